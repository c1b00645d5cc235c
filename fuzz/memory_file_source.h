// What the fuzz targets share: data files served from memory, and a check that stops the run.
#ifndef FUZZ_MEMORY_FILE_SOURCE_H_
#define FUZZ_MEMORY_FILE_SOURCE_H_

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/io/file_source.h"

namespace fuzz {

// Serves files from memory; a path it does not hold is not found, an empty file is empty, as the
// disk source says.
class MemoryFileSource : public core::FileSource {
public:
    std::map<std::string, std::string> files;

    std::optional<core::FileErrorReason> Read(const std::string& path,
                                              core::FileContents& out) const override {
        const auto it = files.find(path);
        if (it == files.end()) {
            return core::FileErrorReason::kNotFound;
        }
        if (it->second.empty()) {
            return core::FileErrorReason::kEmpty;
        }
        // Exactly the file's bytes, no spare one, so that a read past the end shows under ASan.
        const std::string& bytes = it->second;
        std::shared_ptr<char> heap(new char[bytes.size()], std::default_delete<char[]>());
        std::memcpy(heap.get(), bytes.data(), bytes.size());
        out.bytes = std::move(heap);
        out.size = bytes.size();
        return std::nullopt;
    }

    // When set, files arrive in pieces of this many bytes.
    size_t pieceBytes = 0;

    std::optional<core::FileErrorReason> ReadPieces(const std::string& path,
                                                    core::FileReceiver& receiver) const override {
        const auto it = files.find(path);
        if (pieceBytes == 0 || it == files.end() || it->second.empty()) {
            return FileSource::ReadPieces(path, receiver);
        }
        const std::string& bytes = it->second;
        if (!receiver.Opened(bytes.size())) {
            return std::nullopt;
        }
        for (size_t at = 0; at < bytes.size(); at += pieceBytes) {
            // Each piece a copy of its own, so that a view kept past its piece shows under ASan.
            const std::string piece = bytes.substr(at, pieceBytes);
            if (!receiver.Piece(piece)) {
                break;
            }
        }
        return std::nullopt;
    }
};

// A broken invariant ends the run, so that the fuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace fuzz

#endif  // FUZZ_MEMORY_FILE_SOURCE_H_

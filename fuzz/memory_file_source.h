// What the fuzz targets share: data files served from memory, and a check that stops the run.
#ifndef FUZZ_MEMORY_FILE_SOURCE_H_
#define FUZZ_MEMORY_FILE_SOURCE_H_

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "file_source.h"

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
};

// A broken invariant ends the run, so that the fuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace fuzz

#endif  // FUZZ_MEMORY_FILE_SOURCE_H_

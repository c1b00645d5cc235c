// Reads the files of a load ahead of the loader, on a thread of its own: while the lines of one
// file are stored, the next ones are copied out of the page cache. Without it, a load of many
// small files waits for each read in turn, which took twice as long as the same lines in one
// large file, whose pieces the disk source already reads ahead.
#ifndef CORE_IO_FILES_AHEAD_H_
#define CORE_IO_FILES_AHEAD_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/file_source.h"
#include "core/io/slot_handoff.h"

namespace core {

class FilesAhead {
public:
    // Files larger than this are not read ahead but left to the loader.
    static constexpr uint64_t kLargestAhead = 2 * DiskFileSource::kPieceBytes;

    // Starts reading `paths` in order. Both must outlive this.
    FilesAhead(const FileSource& source, const std::vector<std::string>& paths);
    FilesAhead(const FilesAhead&) = delete;
    FilesAhead& operator=(const FilesAhead&) = delete;
    // Stops the reading, which may be some files ahead.
    ~FilesAhead();

    struct File {
        bool left = false;  // not read ahead: the loader reads it itself
        std::optional<FileErrorReason> failure;
        uint64_t size = 0;       // as opened
        std::string_view bytes;  // valid until the next call of Next
    };

    // The next file of the list, once it has been read; at most one call per path. Nothing is
    // read past a file that failed: the files after it come back left.
    File Next();

private:
    class Slot;
    static constexpr int kSlots = 3;  // one being taken, two being read or ready

    void ReadAll();

    const FileSource& m_source;
    const std::vector<std::string>& m_paths;
    std::vector<Slot> m_slots;
    SlotHandoff m_handoff{kSlots};  // last: stops the reading before the above go
};

}  // namespace core

#endif  // CORE_IO_FILES_AHEAD_H_

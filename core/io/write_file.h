// Whole-file writes: every file the programs write reaches the disk whole or not at all. A
// regular file (or a new one) is written as a temporary file in the same folder, flushed to
// disk and renamed over the old one; a device or a FIFO is written to directly, since renaming
// over it would replace the node with a plain file; a symbolic link is written through.
#ifndef CORE_IO_WRITE_FILE_H_
#define CORE_IO_WRITE_FILE_H_

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/status.h"

namespace core {

// Where the bytes of a write go, so that a test can make the disk fill at byte N. The calls
// mirror write(2) and fsync(2): they return what those return and set errno as they do.
class WriteSink {
public:
    virtual ~WriteSink() = default;
    virtual ssize_t Write(int fd, const char* data, size_t size) = 0;
    virtual int Sync(int fd) = 0;
};

// The sink of the operating system.
WriteSink& SystemWriteSink();

// Writes `bytes` as the whole content of `path` (bytes as given, need not be UTF-8).
// - No file, or a regular file: a temporary file ".NAME.XXXXXX" beside it, every write and the
//   fsync checked, then renamed over it. An old file's permission bits are kept (and its owner,
//   where the process may set it); a new file gets 0666 less the umask.
// - A symbolic link: the file it finally names is written as above; the link stays a link.
// - Another kind of file (a character device such as /dev/null, a FIFO, a socket): opened and
//   written to directly, never replaced. A FIFO's open waits for its reader, as a shell's
//   redirection does.
// - A folder: refused (EISDIR).
// On failure: the temporary file is removed, an old file is left as it was, and the status says
// why: code kInvalidArgument for a folder, kIoError otherwise; detail() the errno, message()
// strerror of it ("No space left on device"), path() the file the failure is about (a link's
// target when written through). Bytes already written to a device or FIFO cannot be taken back.
[[nodiscard]] Status WriteWholeFile(const std::string& path, std::string_view bytes,
                                    WriteSink& sink = SystemWriteSink());

// The file a write to `path` writes: its symbolic links followed to the end (a dangling link
// names the file it would create); nullopt for a chain of links that does not end.
std::optional<std::string> WriteTarget(const std::string& path);

// Whether two paths name the same file: the same device and inode when both exist, otherwise
// the same absolute path once links are followed and "." and ".." resolved (a file a write
// would create). Neither path is opened.
bool SameFile(const std::string& a, const std::string& b);

// Writes `bytes` to the open descriptor `fd` (standard output, say), every write checked; on
// failure the errno, else 0. `fd` stays open.
[[nodiscard]] int WriteAll(int fd, std::string_view bytes, WriteSink& sink = SystemWriteSink());

}  // namespace core

#endif  // CORE_IO_WRITE_FILE_H_

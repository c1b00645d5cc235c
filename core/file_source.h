// Where the loader gets the bytes of a data file. Tests substitute a source that fails.
#ifndef CORE_FILE_SOURCE_H_
#define CORE_FILE_SOURCE_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace core {

enum class FileErrorReason {
    kNotFound,
    kNoAccess,
    kNotRegularFile,  // opened, but of a kind none of the reasons below names
    kFolder,
    kNamedPipe,
    kDevice,
    kSocket,
    kEmpty,  // no header line to read
    kReadFailed,
    kTooLarge,
    kDuplicatePoolRecord,  // a BPS line whose first 60 characters repeat an earlier one of the file
    kCancelled,            // the user ended the load
    kChangedWhileRead,     // cut short, grown or rewritten between the open and the last byte
    kBlankPoolName,        // a BPS line whose pool-name field holds only blanks
    kBinaryData,           // a NUL byte: not text; LoadError::line says where
};

// Plain words for the reason, e.g. "the file does not exist".
std::string_view ReasonText(FileErrorReason reason);

// The bytes of one file. `bytes` owns them and is kept by the tables for as long as lines view
// them.
struct FileContents {
    std::shared_ptr<const char> bytes;
    size_t size = 0;

    const char* data() const { return bytes.get(); }
    // A heap copy of `text`, for sources that make their bytes in memory.
    static FileContents Copy(std::string_view text);
};

class FileSource {
public:
    virtual ~FileSource() = default;
    // Reads the whole file. The file is only read, never written.
    virtual std::optional<FileErrorReason> Read(const std::string& path,
                                                FileContents& out) const = 0;
};

// Reads a plain file from disk whole, with one read into one buffer. The file is copied rather
// than mapped: a mapping would fault if the file were cut short while the program still shows it.
// The path is opened first and the open file checked, so that the check and the read see the
// same file, and the open cannot block on a named pipe. Anything but a regular file is refused
// with its kind; a file whose size or time of change moves during the read is refused as
// kChangedWhileRead rather than taken in part.
class DiskFileSource : public FileSource {
public:
    DiskFileSource();
    // Safe to call from several threads at once; copies share their buffers.
    std::optional<FileErrorReason> Read(const std::string& path, FileContents& out) const override;

protected:
    // Called once the open file has been checked and before its first byte is read: a test's
    // way to change the file under the reader.
    virtual void FileChecked(const std::string& path) const { (void)path; }

private:
    class BufferPool;
    std::shared_ptr<BufferPool> m_buffers;
};

}  // namespace core

#endif  // CORE_FILE_SOURCE_H_

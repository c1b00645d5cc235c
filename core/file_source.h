// Where the loader gets the bytes of a data file. Tests substitute a source that fails.
#ifndef CORE_FILE_SOURCE_H_
#define CORE_FILE_SOURCE_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace core {

enum class FileErrorReason {
    kNotFound,
    kNoAccess,
    kNotRegularFile,  // a directory or a device chosen as a file
    kEmpty,           // no header line to read
    kReadFailed,
    kTooLarge,
    kDuplicatePoolRecord,  // a BPS line whose first 60 characters repeat an earlier one of the file
};

// Plain words for the reason, e.g. "the file does not exist".
std::string_view ReasonText(FileErrorReason reason);

struct FileContents {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

class FileSource {
public:
    virtual ~FileSource() = default;
    // Reads the whole file. The file is only read, never written.
    virtual std::optional<FileErrorReason> Read(const std::string& path,
                                                FileContents& out) const = 0;
};

// Reads files from disk with one read per file.
class DiskFileSource : public FileSource {
public:
    std::optional<FileErrorReason> Read(const std::string& path, FileContents& out) const override;
};

}  // namespace core

#endif  // CORE_FILE_SOURCE_H_

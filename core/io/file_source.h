// Where the loader gets the bytes of a data file. Tests substitute a source that fails.
#ifndef CORE_IO_FILE_SOURCE_H_
#define CORE_IO_FILE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
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
    kBinaryData,           // a NUL byte: not text; the status's line says where
};

// Plain words for the reason, e.g. "the file does not exist".
std::string_view ReasonText(FileErrorReason reason);

// The bytes of one file. `bytes` owns them.
struct FileContents {
    std::shared_ptr<const char> bytes;
    size_t size = 0;

    const char* data() const { return bytes.get(); }
    // A heap copy of `text`, for sources that make their bytes in memory.
    static FileContents Copy(std::string_view text);
};

// Takes a file as it is read: first its size, then its bytes in order, piece by piece.
class FileReceiver {
public:
    virtual ~FileReceiver() = default;
    // The file is open and checked, and holds `size` bytes. Called once, before any piece.
    // False declines the file: nothing of it is read.
    virtual bool Opened(uint64_t size) = 0;
    // The next bytes of the file, valid only during the call. False stops the reading.
    virtual bool Piece(std::string_view bytes) = 0;
};

// The loader reads the next files ahead on a thread of its own while it stores the lines of
// one: a source's reads must be safe to run at once.
class FileSource {
public:
    virtual ~FileSource() = default;
    // Reads the whole file. The file is only read, never written.
    virtual std::optional<FileErrorReason> Read(const std::string& path,
                                                FileContents& out) const = 0;
    // Reads the file into `receiver`; this one hands over the whole of Read as one piece. A
    // failure found after some pieces (a file that changed) is still returned: the pieces
    // already taken are then not one version of the file.
    virtual std::optional<FileErrorReason> ReadPieces(const std::string& path,
                                                      FileReceiver& receiver) const;
};

// Reads a plain file from disk through a few buffers of a fixed size, reused for every piece,
// so that a large file costs no memory of its own size. The file is read rather than mapped: a
// mapping would fault if the file were cut short while it is read. The path is opened first and
// the open file checked, so that the check and the read see the same file, and the open cannot
// block on a named pipe. Anything but a regular file is refused with its kind; a file whose
// size or time of change moves during the read is refused as kChangedWhileRead rather than
// taken in part.
class DiskFileSource : public FileSource {
public:
    // The bytes of one piece, at most: with the byte read past it, one huge page.
    static constexpr size_t kPieceBytes = (size_t{2} << 20) - 1;

    // Both are safe to call from several threads at once.
    std::optional<FileErrorReason> Read(const std::string& path, FileContents& out) const override;
    std::optional<FileErrorReason> ReadPieces(const std::string& path,
                                              FileReceiver& receiver) const override;

protected:
    // Called once the open file has been checked and before its first byte is read: a test's
    // way to change the file under the reader.
    virtual void FileChecked(const std::string& path) const { (void)path; }
};

// The regular file at `path`, read from disk as DiskFileSource reads it (a named pipe, a device
// or a link to one refused at once, no more bytes than its size at the open plus one), handed
// to `piece` in order. A false from `piece` stops the reading: kCancelled. An empty file is
// kEmpty, with no piece.
[[nodiscard]] std::optional<FileErrorReason> ReadDiskFilePieces(
    const std::string& path, const std::function<bool(std::string_view)>& piece);

// The captured text at `path` (a display or a policy job) into `out`, read as ReadDiskFilePieces
// reads and at most `limit` + 1 bytes, so that the text's reader refuses a longer one in its own
// words. The reason when the file cannot be read; an empty file reads as "", whose reader then
// says what it looked for.
[[nodiscard]] std::optional<FileErrorReason> ReadCapturedText(const std::string& path, size_t limit,
                                                              std::string& out);

}  // namespace core

#endif  // CORE_IO_FILE_SOURCE_H_

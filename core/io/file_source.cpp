#include "core/io/file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "core/io/prefaulted_memory.h"
#include "core/io/slot_handoff.h"

namespace core {

std::string_view ReasonText(FileErrorReason reason) {
    switch (reason) {
        case FileErrorReason::kNotFound:
            return "the file does not exist";
        case FileErrorReason::kNoAccess:
            return "the file cannot be opened for reading (no access)";
        case FileErrorReason::kNotRegularFile:
            return "not a regular file";
        case FileErrorReason::kFolder:
            return "not a regular file (it is a folder)";
        case FileErrorReason::kNamedPipe:
            return "not a regular file (it is a named pipe)";
        case FileErrorReason::kDevice:
            return "not a regular file (it is a device)";
        case FileErrorReason::kSocket:
            return "not a regular file (it is a socket)";
        case FileErrorReason::kEmpty:
            return "the file is empty (no header line)";
        case FileErrorReason::kReadFailed:
            return "the file could not be read";
        case FileErrorReason::kTooLarge:
            return "the file is too large to load";
        case FileErrorReason::kDuplicatePoolRecord:
            return "a duplicate pool record (its first 60 characters repeat an earlier one)";
        case FileErrorReason::kCancelled:
            return "the load was cancelled";
        case FileErrorReason::kChangedWhileRead:
            return "the file changed while it was read";
        case FileErrorReason::kBlankPoolName:
            return "pool record without a pool name";
        case FileErrorReason::kBinaryData:
            return "not a text statistics file (binary data)";
    }
    return "unknown";
}

FileContents FileContents::Copy(std::string_view text) {
    FileContents contents;
    std::shared_ptr<char> heap(new char[text.size() + 1], std::default_delete<char[]>());
    std::memcpy(heap.get(), text.data(), text.size());
    contents.bytes = std::move(heap);
    contents.size = text.size();
    return contents;
}

namespace {

FileErrorReason ReasonOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
            return FileErrorReason::kNotFound;
        case EACCES:
        case EPERM:
            return FileErrorReason::kNoAccess;
        case EISDIR:
            return FileErrorReason::kFolder;
        default:
            return FileErrorReason::kReadFailed;
    }
}

FileErrorReason KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return FileErrorReason::kFolder;
    }
    if (S_ISFIFO(mode)) {
        return FileErrorReason::kNamedPipe;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return FileErrorReason::kDevice;
    }
    if (S_ISSOCK(mode)) {
        return FileErrorReason::kSocket;
    }
    return FileErrorReason::kNotRegularFile;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Up to `size` bytes; fewer only at the end of the file. -1 on an error.
ssize_t ReadFully(int fd, char* into, size_t size) {
    // Linux moves at most about 2 GiB per call.
    constexpr size_t kMaxChunk = size_t{1} << 30;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, into + done, std::min(size - done, kMaxChunk));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool SameVersion(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The pieces of an open file, in order. A file of several pieces is read ahead on a thread of
// its own while the taker works on the piece before, so that the copy out of the page cache
// overlaps the work on the lines.
class Pieces {
public:
    Pieces(int fd, size_t size, size_t pieceBytes)
        // One byte more than the file should still hold, so that a file that grew shows at once.
        : m_fd(fd), m_size(size), m_bufferSize(std::min(size, pieceBytes) + 1) {
        if (size > 2 * pieceBytes) {
            for (int b = 0; b < kBuffers; ++b) {
                m_owned[b] = NewBuffer(m_bufferSize);
                m_data[b] = m_owned[b].get();
            }
            if (m_handoff.Start([this] { ReadAhead(); })) {
                return;
            }
        }
        // One buffer a thread, kept from file to file: fresh memory for each of many small
        // files cost more than reading them.
        thread_local Buffer t_buffer;
        if (!t_buffer) {
            t_buffer = NewBuffer(pieceBytes + 1);
        }
        m_data[0] = t_buffer.get();
    }

    // The next piece, valid until the next call; false at the end of the file or on a failure.
    bool Next(std::string_view& piece) {
        if (!m_handoff.Started()) {
            size_t got = 0;
            if (m_atEnd || !ReadInto(0, got)) {
                return false;
            }
            piece = std::string_view(m_data[0], got);
            return true;
        }
        const std::optional<int> b = m_handoff.Next();
        if (!b) {
            return false;
        }
        piece = std::string_view(m_data[*b], m_got[*b]);
        return true;
    }

    // Once Next has returned false: why the reading stopped early, if it did.
    std::optional<FileErrorReason> Failure() const { return m_failure; }
    // Once Next has returned false: the bytes read.
    size_t BytesRead() const { return m_done; }

private:
    static constexpr int kBuffers = 3;  // one being read, one ready, one being taken

    struct BufferDeleter {
        size_t size;
        void operator()(char* p) const noexcept { FreePrefaulted(p, size); }
    };
    using Buffer = std::unique_ptr<char[], BufferDeleter>;

    static Buffer NewBuffer(size_t size) {
        return Buffer(static_cast<char*>(AllocatePrefaulted(size)), BufferDeleter{size});
    }

    // Reads the next piece into buffer b; false when there is none.
    bool ReadInto(int b, size_t& got) {
        const size_t want = std::min(m_bufferSize, m_size - m_done + 1);
        const ssize_t n = ReadFully(m_fd, m_data[b], want);
        if (n < 0) {
            m_failure = FileErrorReason::kReadFailed;
            return false;
        }
        m_done += static_cast<size_t>(n);
        if (m_done > m_size) {
            m_failure = FileErrorReason::kChangedWhileRead;
            return false;
        }
        m_atEnd = static_cast<size_t>(n) < want;
        got = static_cast<size_t>(n);
        return got > 0;
    }

    void ReadAhead() {
        while (const std::optional<int> b = m_handoff.Free()) {
            if (!ReadInto(*b, m_got[*b])) {
                m_handoff.Finished();
                return;
            }
            m_handoff.Filled(*b, m_atEnd);
            if (m_atEnd) {
                return;
            }
        }
    }

    const int m_fd;
    const size_t m_size;
    const size_t m_bufferSize;
    Buffer m_owned[kBuffers];
    char* m_data[kBuffers] = {};
    // Written by the reading thread while it runs; read by the taker once handed over.
    size_t m_got[kBuffers] = {};
    size_t m_done = 0;
    bool m_atEnd = false;
    std::optional<FileErrorReason> m_failure;
    SlotHandoff m_handoff{kBuffers};  // last: stops the reading before the above go
};

// Gathers the pieces of a file into one buffer of the size the file had when it was opened.
class WholeFile : public FileReceiver {
public:
    bool Opened(uint64_t size) override {
        m_bytes.reset(new char[size], std::default_delete<char[]>());
        m_size = size;
        return true;
    }
    bool Piece(std::string_view bytes) override {
        if (bytes.size() > m_size - m_used) {
            return false;  // grown: the reader says so
        }
        std::memcpy(m_bytes.get() + m_used, bytes.data(), bytes.size());
        m_used += bytes.size();
        return true;
    }
    FileContents Contents() { return {std::move(m_bytes), m_size}; }

private:
    std::shared_ptr<char> m_bytes;
    size_t m_size = 0;
    size_t m_used = 0;
};

}  // namespace

std::optional<FileErrorReason> FileSource::ReadPieces(const std::string& path,
                                                      FileReceiver& receiver) const {
    FileContents contents;
    if (const auto failure = Read(path, contents)) {
        return failure;
    }
    if (receiver.Opened(contents.size)) {
        receiver.Piece(std::string_view(contents.data(), contents.size));
    }
    return std::nullopt;
}

std::optional<FileErrorReason> DiskFileSource::Read(const std::string& path,
                                                    FileContents& out) const {
    WholeFile whole;
    try {
        if (const auto failure = ReadPieces(path, whole)) {
            return failure;
        }
    } catch (const std::bad_alloc&) {
        return FileErrorReason::kTooLarge;
    }
    out = whole.Contents();
    return std::nullopt;
}

std::optional<FileErrorReason> DiskFileSource::ReadPieces(const std::string& path,
                                                          FileReceiver& receiver) const {
    // The system would read the name only up to the NUL: another file.
    if (path.find('\0') != std::string::npos) {
        return FileErrorReason::kNotFound;
    }
    // Non-blocking, so that opening a named pipe without a writer returns at once; no
    // controlling terminal, should the path be one.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        const int error = errno;
        struct stat kind {};
        // A socket cannot be opened at all; name it rather than call it unreadable.
        if (error == ENXIO && ::stat(path.c_str(), &kind) == 0) {
            return KindOf(kind.st_mode);
        }
        return ReasonOf(error);
    }
    struct stat opened {};
    if (::fstat(file.get(), &opened) != 0) {
        return FileErrorReason::kReadFailed;
    }
    if (!S_ISREG(opened.st_mode)) {
        return KindOf(opened.st_mode);
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return FileErrorReason::kReadFailed;
    }
    FileChecked(path);
    if (opened.st_size == 0) {
        return FileErrorReason::kEmpty;
    }
    if (static_cast<std::uintmax_t>(opened.st_size) > static_cast<std::uintmax_t>(PTRDIFF_MAX)) {
        return FileErrorReason::kTooLarge;
    }
    const auto size = static_cast<size_t>(opened.st_size);
    if (!receiver.Opened(size)) {
        return std::nullopt;
    }
    Pieces pieces(file.get(), size, kPieceBytes);
    std::string_view piece;
    while (pieces.Next(piece)) {
        if (!receiver.Piece(piece)) {
            return std::nullopt;
        }
    }
    if (const auto failure = pieces.Failure()) {
        return failure;
    }
    const size_t done = pieces.BytesRead();
    // Short means cut while it was read; a new size or time of change afterwards means written
    // to. Either way the bytes are not one version of the file.
    struct stat after {};
    if (::fstat(file.get(), &after) != 0) {
        return FileErrorReason::kReadFailed;
    }
    if (done != size || !SameVersion(opened, after)) {
        return FileErrorReason::kChangedWhileRead;
    }
    return std::nullopt;
}

std::optional<FileErrorReason> ReadDiskFilePieces(
    const std::string& path, const std::function<bool(std::string_view)>& piece) {
    class Forward : public FileReceiver {
    public:
        explicit Forward(const std::function<bool(std::string_view)>& piece) : m_piece(piece) {}
        bool Opened(uint64_t) override { return true; }
        bool Piece(std::string_view bytes) override {
            m_stopped = !m_piece(bytes);
            return !m_stopped;
        }
        bool stopped() const { return m_stopped; }

    private:
        const std::function<bool(std::string_view)>& m_piece;
        bool m_stopped = false;
    } forward(piece);
    const std::optional<FileErrorReason> failure = DiskFileSource().ReadPieces(path, forward);
    return forward.stopped() ? FileErrorReason::kCancelled : failure;
}

std::optional<FileErrorReason> ReadCapturedText(const std::string& path, size_t limit,
                                                std::string& out) {
    out.clear();
    const auto add = [&out, limit](std::string_view bytes) {
        out.append(bytes.substr(0, limit + 1 - out.size()));
        return out.size() <= limit;
    };
    const std::optional<FileErrorReason> reason = ReadDiskFilePieces(path, add);
    if (reason && *reason != FileErrorReason::kCancelled && *reason != FileErrorReason::kEmpty) {
        return reason;
    }
    return std::nullopt;
}

}  // namespace core

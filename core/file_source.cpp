#include "file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#define LOOMSTEAD_HAVE_MADVISE 1
#endif

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

// A buffer for a whole file. Large ones are aligned to 2 MiB and advised to use huge pages: the
// kernel then backs them with a fault per 2 MiB instead of per 4 KiB, which was most of the cost
// of reading a big file into fresh memory.
std::shared_ptr<char> NewFileBuffer(size_t size) {
#ifdef LOOMSTEAD_HAVE_MADVISE
    constexpr size_t kHugePage = size_t{2} << 20;
    if (size >= kHugePage) {
        const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        if (void* p = std::aligned_alloc(kHugePage, rounded)) {
            ::madvise(p, rounded, MADV_HUGEPAGE);
            return std::shared_ptr<char>(static_cast<char*>(p), [](char* q) { std::free(q); });
        }
        throw std::bad_alloc();
    }
#endif
    return std::shared_ptr<char>(new char[size], std::default_delete<char[]>());
}

}  // namespace

// A file in memory of its own costs a page fault per 4 KiB, which for many small files costs
// more than reading them. Small files are packed into large blocks instead, advised to use huge
// pages like the buffer of one large file; a block lives as long as any file in it.
class DiskFileSource::BufferPool {
public:
    std::shared_ptr<char> Get(size_t size) {
        constexpr size_t kBlock = size_t{32} << 20;
        constexpr size_t kLargestPacked = kBlock / 4;
        if (size > kLargestPacked) {
            return NewFileBuffer(size);
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_block || kBlock - m_used < size) {
            m_block = NewFileBuffer(kBlock);
            m_used = 0;
        }
        std::shared_ptr<char> file(m_block, m_block.get() + m_used);
        m_used += (size + 63) / 64 * 64;  // files start on cache lines
        return file;
    }

private:
    std::mutex m_mutex;
    std::shared_ptr<char> m_block;
    size_t m_used = 0;
};

DiskFileSource::DiskFileSource() : m_buffers(std::make_shared<BufferPool>()) {}

std::optional<FileErrorReason> DiskFileSource::Read(const std::string& path,
                                                    FileContents& out) const {
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
    std::shared_ptr<char> heap;
    try {
        heap = m_buffers->Get(size);
    } catch (const std::bad_alloc&) {
        return FileErrorReason::kTooLarge;
    }
    const ssize_t got = ReadFully(file.get(), heap.get(), size);
    if (got < 0) {
        return FileErrorReason::kReadFailed;
    }
    // Short means cut while it was read; a byte past the size, or a new size or time of change
    // afterwards, means written to. Either way the bytes are not one version of the file.
    char past = 0;
    const ssize_t extra = ReadFully(file.get(), &past, 1);
    struct stat after {};
    if (extra < 0 || ::fstat(file.get(), &after) != 0) {
        return FileErrorReason::kReadFailed;
    }
    if (static_cast<size_t>(got) != size || extra != 0 || !SameVersion(opened, after)) {
        return FileErrorReason::kChangedWhileRead;
    }
    out.bytes = std::move(heap);
    out.size = size;
    return std::nullopt;
}

}  // namespace core

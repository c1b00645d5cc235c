#include "file_source.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

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
            return "not a regular file (a folder or a device)";
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
            return FileErrorReason::kNotRegularFile;
        default:
            return FileErrorReason::kReadFailed;
    }
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

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

std::optional<FileErrorReason> DiskFileSource::Read(const std::string& path,
                                                    FileContents& out) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        return ec ? ReasonOf(ec.value()) : FileErrorReason::kNotFound;
    }
    // A folder, a pipe or a device would never end or never start; only plain files are data.
    if (!fs::is_regular_file(status)) {
        return FileErrorReason::kNotRegularFile;
    }
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return ReasonOf(errno);
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        return FileErrorReason::kReadFailed;
    }
    if (size == 0) {
        return FileErrorReason::kEmpty;
    }
    if (size > static_cast<std::uintmax_t>(PTRDIFF_MAX)) {
        return FileErrorReason::kTooLarge;
    }
    std::shared_ptr<char> heap;
    try {
        heap = NewFileBuffer(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return FileErrorReason::kTooLarge;
    }
    size_t done = 0;
    while (done < size) {
        const size_t n = std::fread(heap.get() + done, 1, size - done, file.get());
        if (n == 0) {
            if (std::ferror(file.get())) {
                return FileErrorReason::kReadFailed;
            }
            break;  // the file shrank while it was read: take what is there
        }
        done += n;
    }
    out.bytes = std::move(heap);
    out.size = done;
    if (done == 0) {
        return FileErrorReason::kEmpty;
    }
    return std::nullopt;
}

}  // namespace core

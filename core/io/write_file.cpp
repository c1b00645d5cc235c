#include "core/io/write_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>

namespace core {
namespace {

namespace fs = std::filesystem;

// Linux follows at most 40 links in one path; a longer chain is a loop.
constexpr int kMaxLinkHops = 40;
// NAME_MAX is 255; the temporary name adds ".", "." and six characters to the file's own.
constexpr size_t kMaxTempStem = 240;

class SystemSink final : public WriteSink {
public:
    ssize_t Write(int fd, const char* data, size_t size) override {
        return ::write(fd, data, size);
    }
    int Sync(int fd) override { return ::fsync(fd); }
};

Status Failure(const std::string& path, int error) {
    return Status(error == EISDIR ? StatusCode::kInvalidArgument : StatusCode::kIoError,
                  std::strerror(error), path, 0, error);
}

}  // namespace

std::optional<std::string> WriteTarget(const std::string& path) {
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current.string();
        }
        std::error_code ec;
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            return current.string();  // the open that follows reports the reason
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return std::nullopt;
}

namespace {

// A name no other writer picks: the process, a counter and the clock, in letters and digits.
std::string TempSuffix() {
    static std::atomic<uint64_t> counter{0};
    uint64_t seed =
        static_cast<uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^ (counter.fetch_add(1) << 20) ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    static constexpr char kDigits[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kDigits[seed % (sizeof kDigits - 1)];
        seed /= sizeof kDigits - 1;
    }
    return suffix;
}

// Opens a new temporary file beside `target` with mode 0666 less the umask; -1 and errno on
// failure, `*temp` its name otherwise.
int OpenTemp(const fs::path& target, std::string* temp) {
    const std::string stem = "." + target.filename().string().substr(0, kMaxTempStem) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = (target.parent_path() / (stem + TempSuffix())).string();
        const int fd = ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A device, a FIFO or a socket: written in place.
Status WriteInPlace(const std::string& path, std::string_view bytes, WriteSink& sink) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Failure(path, errno);
    }
    int error = WriteAll(fd, bytes, sink);
    // Only some devices keep data to flush; the others answer EINVAL, which is no failure.
    if (error == 0 && sink.Sync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 ? Status() : Failure(path, error);
}

Status WriteByRename(const std::string& path, const struct stat* old, std::string_view bytes,
                     WriteSink& sink) {
    fs::path target = path;
    if (target.parent_path().empty()) {
        target = fs::path(".") / target;
    }
    std::string temp;
    const int fd = OpenTemp(target, &temp);
    if (fd < 0) {
        return Failure(path, errno);
    }
    if (old != nullptr) {
        // Best effort: a file system without modes or owners still takes the content, and only
        // root may give a file to another user.
        (void)::fchmod(fd, old->st_mode & 07777);
        (void)::fchown(fd, old->st_uid, old->st_gid);
    }
    int error = WriteAll(fd, bytes, sink);
    if (error == 0 && sink.Sync(fd) != 0) {
        error = errno;
    }
    // close() reports what a network file system failed to store; it is not retried.
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return Failure(path, error);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status();
}

}  // namespace

WriteSink& SystemWriteSink() {
    static SystemSink sink;
    return sink;
}

int WriteAll(int fd, std::string_view bytes, WriteSink& sink) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = sink.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return ENOSPC;  // write(2) returns 0 for a full disk on some file systems
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

Status WriteWholeFile(const std::string& path, std::string_view bytes, WriteSink& sink) {
    if (path.empty()) {
        return Failure(path, ENOENT);
    }
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) {
        return Failure(path, ELOOP);
    }
    struct stat st {};
    if (::stat(target->c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return Failure(*target, errno);
        }
        return WriteByRename(*target, nullptr, bytes, sink);
    }
    if (S_ISDIR(st.st_mode)) {
        return Failure(*target, EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        return WriteInPlace(*target, bytes, sink);
    }
    // The rename would replace a file the user may not write, as a shell's redirection won't.
    if (::access(target->c_str(), W_OK) != 0) {
        return Failure(*target, errno);
    }
    return WriteByRename(*target, &st, bytes, sink);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat one {};
    struct stat two {};
    if (::stat(a.c_str(), &one) == 0 && ::stat(b.c_str(), &two) == 0) {
        return one.st_dev == two.st_dev && one.st_ino == two.st_ino;
    }
    // Where a path leads once its links are followed, as an absolute path without "." and "..".
    const auto target = [](const std::string& path) {
        const std::string followed = WriteTarget(path).value_or(path);
        std::error_code ec;
        const std::filesystem::path canonical =
            std::filesystem::weakly_canonical(std::filesystem::absolute(followed, ec), ec);
        return ec ? followed : canonical.string();
    };
    return target(a) == target(b);
}

}  // namespace core

#include "core/io/write_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/core/test_files.h"

namespace core {
namespace {

namespace fs = std::filesystem;

// Takes every byte until byte `failAt`, then fails as a full disk does; or fails the fsync.
class FailingSink final : public WriteSink {
public:
    FailingSink(size_t failAt, bool failSync, size_t chunk = SIZE_MAX)
        : m_failAt(failAt), m_failSync(failSync), m_chunk(chunk) {}

    ssize_t Write(int fd, const char* data, size_t size) override {
        if (m_written >= m_failAt) {
            errno = ENOSPC;
            return -1;
        }
        size = std::min({size, m_failAt - m_written, m_chunk});
        const ssize_t n = ::write(fd, data, size);
        m_written += n > 0 ? static_cast<size_t>(n) : 0;
        return n;
    }
    int Sync(int fd) override {
        if (m_failSync) {
            errno = EIO;
            return -1;
        }
        return ::fsync(fd);
    }

private:
    size_t m_failAt;
    bool m_failSync;
    size_t m_chunk;
    size_t m_written = 0;
};

using WriteFileTest = testing::ScratchDirTest;
using testing::ReadAll;

TEST_F(WriteFileTest, FailureAtAnyByteOrAtTheFlushKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string text(10000, 'n');
    const struct {
        size_t failAt;
        bool failSync;
        int error;
    } cases[] = {
        {0, false, ENOSPC},    {1, false, ENOSPC},    {4096, false, ENOSPC},
        {9999, false, ENOSPC}, {SIZE_MAX, true, EIO},
    };
    for (const bool oldFile : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message()
                         << "byte " << c.failAt << " sync " << c.failSync << " old " << oldFile);
            const std::string path = (m_dir / "r.txt").string();
            fs::remove(path);
            if (oldFile) {
                Put("r.txt", "old report\n");
            }
            FailingSink sink(c.failAt, c.failSync);
            const Status result = WriteWholeFile(path, text, sink);
            EXPECT_FALSE(result.ok());
            EXPECT_EQ(result.detail(), c.error);
            EXPECT_EQ(result.code(), StatusCode::kIoError);
            EXPECT_EQ(result.ToString(), path + ": " + std::strerror(c.error));
            EXPECT_EQ(Names(),
                      oldFile ? std::vector<std::string>{"r.txt"} : std::vector<std::string>{});
            if (oldFile) {
                EXPECT_EQ(ReadAll(path), "old report\n");
            }
        }
    }
    // Short writes are no failure.
    FailingSink dribble(SIZE_MAX, false, 7);
    EXPECT_TRUE(WriteWholeFile((m_dir / "r.txt").string(), text, dribble).ok());
    EXPECT_EQ(ReadAll(m_dir / "r.txt"), text);
}

TEST_F(WriteFileTest, ModeOfTheOldFileIsKeptAndNewFilesFollowTheUmask) {
    const std::string old = Put("old.txt", "x");
    ASSERT_EQ(::chmod(old.c_str(), 0604), 0);
    ASSERT_TRUE(WriteWholeFile(old, "new").ok());
    struct stat st {};
    ASSERT_EQ(::stat(old.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(ReadAll(old), "new");

    const mode_t umask = ::umask(027);
    const Status result = WriteWholeFile((m_dir / "new.txt").string(), "");
    ::umask(umask);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(::stat((m_dir / "new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(WriteFileTest, LinksAreWrittenThroughAndStayLinks) {
    Put("target.txt", "old");
    fs::create_directory(m_dir / "sub");
    fs::create_symlink("../target.txt", m_dir / "sub" / "relative");
    fs::create_symlink(m_dir / "sub" / "relative", m_dir / "chain");
    fs::create_symlink("made.txt", m_dir / "dangling");
    fs::create_symlink("loop", m_dir / "loop");
    for (const char* link : {"sub/relative", "chain", "dangling"}) {
        SCOPED_TRACE(link);
        const std::string before = fs::read_symlink(m_dir / link).string();
        ASSERT_TRUE(WriteWholeFile((m_dir / link).string(), link).ok());
        EXPECT_TRUE(fs::is_symlink(m_dir / link));
        EXPECT_EQ(fs::read_symlink(m_dir / link).string(), before);
        EXPECT_EQ(ReadAll(m_dir / link), link);
    }
    EXPECT_EQ(ReadAll(m_dir / "target.txt"), "chain");
    EXPECT_EQ(ReadAll(m_dir / "made.txt"), "dangling");
    EXPECT_EQ(WriteWholeFile((m_dir / "loop").string(), "x").detail(), ELOOP);
    EXPECT_EQ(Names(), (std::vector<std::string>{"chain", "dangling", "loop", "made.txt", "sub",
                                                 "target.txt"}));
}

TEST_F(WriteFileTest, DevicesAreWrittenInPlaceNeverReplaced) {
    // A node of our own where root may make one, so that a fault cannot replace /dev/null.
    fs::path null = "/dev/null";
    if (::geteuid() == 0 && ::mknod((m_dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        null = m_dir / "null";
    }
    fs::create_symlink(null, m_dir / "to-null");
    for (const fs::path& path : {null, m_dir / "to-null"}) {
        SCOPED_TRACE(path.string());
        EXPECT_TRUE(WriteWholeFile(path.string(), "report\n").ok());
        EXPECT_TRUE(fs::is_character_file(path));
    }
    EXPECT_TRUE(fs::is_symlink(m_dir / "to-null"));
    if (fs::is_character_file("/dev/full")) {
        const Status full = WriteWholeFile("/dev/full", "report\n");
        EXPECT_EQ(full.detail(), ENOSPC);
        EXPECT_EQ(full.ToString(), "/dev/full: No space left on device");
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

TEST_F(WriteFileTest, FifoReaderGetsTheBytes) {
    const fs::path fifo = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadAll(fifo); });
    const Status result = WriteWholeFile(fifo.string(), std::string(100000, 'f'));
    reader.join();
    EXPECT_TRUE(result.ok()) << result.ToString();
    EXPECT_EQ(received, std::string(100000, 'f'));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(WriteFileTest, FoldersMissingFoldersAndReadOnlyFilesAreRefused) {
    fs::create_directory(m_dir / "folder");
    const std::string missing = (m_dir / "none" / "r.txt").string();
    EXPECT_EQ(WriteWholeFile((m_dir / "folder").string(), "x"),
              Status(StatusCode::kInvalidArgument, "Is a directory", (m_dir / "folder").string(), 0,
                     EISDIR));
    EXPECT_EQ(WriteWholeFile(missing, "x"),
              Status(StatusCode::kIoError, "No such file or directory", missing, 0, ENOENT));
    EXPECT_EQ(WriteWholeFile("", "x").detail(), ENOENT);
    EXPECT_EQ(Names(), std::vector<std::string>{"folder"});
    if (::geteuid() != 0) {
        const std::string locked = Put("locked.txt", "old");
        ::chmod(locked.c_str(), 0444);
        EXPECT_EQ(WriteWholeFile(locked, "new").detail(), EACCES);
        EXPECT_EQ(ReadAll(locked), "old");
    }
}

}  // namespace
}  // namespace core

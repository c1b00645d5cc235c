#include "core/io/files_ahead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/file_source.h"

namespace core {
namespace {

// Files made of scripted pieces; remembers which paths were read, since the reading runs on a
// thread of the FilesAhead's own.
class ScriptedSource : public FileSource {
public:
    struct File {
        uint64_t size = 0;  // as opened
        std::vector<std::string> pieces;
        std::optional<FileErrorReason> failure;  // after the pieces; before the open if none
    };

    void Add(const std::string& path, File file) { m_files[path] = std::move(file); }

    std::vector<std::string> Reads() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_reads;
    }

    std::optional<FileErrorReason> Read(const std::string&, FileContents&) const override {
        ADD_FAILURE() << "files are read ahead piece by piece";
        return FileErrorReason::kReadFailed;
    }

    std::optional<FileErrorReason> ReadPieces(const std::string& path,
                                              FileReceiver& receiver) const override {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_reads.push_back(path);
        }
        const File& file = m_files.at(path);
        if (file.failure && file.pieces.empty()) {
            return file.failure;
        }
        if (!receiver.Opened(file.size)) {
            return std::nullopt;
        }
        for (const std::string& piece : file.pieces) {
            if (!receiver.Piece(piece)) {
                return FileErrorReason::kCancelled;
            }
        }
        return file.failure;
    }

private:
    std::map<std::string, File> m_files;
    mutable std::mutex m_mutex;
    mutable std::vector<std::string> m_reads;
};

ScriptedSource::File Whole(std::vector<std::string> pieces) {
    ScriptedSource::File file;
    for (const std::string& piece : pieces) {
        file.size += piece.size();
    }
    file.pieces = std::move(pieces);
    return file;
}

ScriptedSource::File Failing(FileErrorReason reason) {
    ScriptedSource::File file;
    file.failure = reason;
    return file;
}

std::vector<std::string> Paths(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
        paths.push_back("/data/f" + std::to_string(i));
    }
    return paths;
}

TEST(FilesAheadTest, DeliversEachFileWholeAndInOrder) {
    ScriptedSource source;
    const std::vector<std::string> paths = Paths(5);
    source.Add(paths[0], Whole({"HEADER ENV\r\n", "BPS BP1\r", "\nBPD DB.TS1\r\n"}));
    source.Add(paths[1], Whole({"one piece, no end of line"}));
    source.Add(paths[2], Whole({}));  // opened and empty
    source.Add(paths[3], Whole({"a", "", "b"}));
    source.Add(paths[4], Whole({std::string(300000, 'x'), std::string(5, 'y')}));
    const std::string expected[] = {"HEADER ENV\r\nBPS BP1\r\nBPD DB.TS1\r\n",
                                    "one piece, no end of line", "", "ab",
                                    std::string(300000, 'x') + "yyyyy"};

    FilesAhead ahead(source, paths);
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        const FilesAhead::File file = ahead.Next();
        EXPECT_FALSE(file.left);
        EXPECT_FALSE(file.failure);
        EXPECT_EQ(file.size, expected[i].size());
        EXPECT_EQ(file.bytes, expected[i]);
    }
}

TEST(FilesAheadTest, FailureEndsTheReadingAfterTheFilesBeforeIt) {
    const struct {
        const char* what;
        size_t failing;  // 0-based
        ScriptedSource::File file;
        std::string_view bytesBefore;  // what the failing file delivered before its failure
    } cases[] = {
        {"third file cannot be opened", 2, Failing(FileErrorReason::kNoAccess), ""},
        {"first file not found", 0, Failing(FileErrorReason::kNotFound), ""},
        {"third file changes after a piece", 2,
         ScriptedSource::File{10, {"ENV 1\r\n"}, FileErrorReason::kChangedWhileRead}, "ENV 1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSource source;
        const std::vector<std::string> paths = Paths(6);
        for (size_t i = 0; i < paths.size(); ++i) {
            source.Add(paths[i], i == c.failing ? c.file : Whole({"file ", std::to_string(i)}));
        }
        {
            FilesAhead ahead(source, paths);
            for (size_t i = 0; i < c.failing; ++i) {
                const FilesAhead::File file = ahead.Next();
                EXPECT_FALSE(file.left);
                EXPECT_FALSE(file.failure);
                EXPECT_EQ(file.bytes, "file " + std::to_string(i));
            }
            const FilesAhead::File failed = ahead.Next();
            EXPECT_FALSE(failed.left);
            EXPECT_EQ(failed.failure, c.file.failure);
            EXPECT_EQ(failed.bytes, c.bytesBefore);
            // Nothing was read past the failure: a taker that goes on reads the rest itself.
            EXPECT_TRUE(ahead.Next().left);
        }
        const std::vector<std::string> upToFailure(paths.begin(), paths.begin() + c.failing + 1);
        EXPECT_EQ(source.Reads(), upToFailure);
    }
}

TEST(FilesAheadTest, ReaderStoppingEarlyLeavesTheFileToTheTaker) {
    const struct {
        const char* what;
        ScriptedSource::File file;
        bool left;
    } cases[] = {
        // Two pieces of 2 MiB - 1 bytes are the most read ahead.
        {"larger than read ahead", ScriptedSource::File{4194303, {}, std::nullopt}, true},
        {"grown since the open", ScriptedSource::File{3, {"abc", "d"}, std::nullopt}, true},
        {"the largest read ahead", Whole({std::string(4194302, 'z')}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSource source;
        const std::vector<std::string> paths = Paths(3);
        source.Add(paths[0], c.file);
        source.Add(paths[1], Whole({"after ", "it"}));
        source.Add(paths[2], Whole({"last"}));
        FilesAhead ahead(source, paths);
        const FilesAhead::File first = ahead.Next();
        EXPECT_EQ(first.left, c.left);
        EXPECT_EQ(first.size, c.file.size);
        if (!c.left) {
            EXPECT_EQ(first.bytes.size(), c.file.size);
        }
        // The files after it are still read ahead.
        EXPECT_EQ(ahead.Next().bytes, "after it");
        EXPECT_EQ(ahead.Next().bytes, "last");
    }
}

TEST(FilesAheadTest, TakerLeavingFirstStopsTheReading) {
    // Three files at most are in hand at once: the one taken and two read ahead.
    const struct {
        int taken;    // files the taker takes before it leaves
        size_t most;  // files read by then at most
    } cases[] = {{0, 3}, {1, 3}, {2, 4}};
    for (const auto [taken, most] : cases) {
        SCOPED_TRACE(taken);
        ScriptedSource source;
        const std::vector<std::string> paths = Paths(20);
        for (const std::string& path : paths) {
            source.Add(path, Whole({path}));
        }
        {
            FilesAhead ahead(source, paths);
            for (int i = 0; i < taken; ++i) {
                EXPECT_EQ(ahead.Next().bytes, paths[static_cast<size_t>(i)]);
            }
        }  // leaves while the reading waits for a free slot
        const std::vector<std::string> reads = source.Reads();
        EXPECT_GE(reads.size(), static_cast<size_t>(taken));
        EXPECT_LE(reads.size(), most);
        EXPECT_EQ(reads, std::vector<std::string>(paths.begin(), paths.begin() + reads.size()));
    }
}

}  // namespace
}  // namespace core

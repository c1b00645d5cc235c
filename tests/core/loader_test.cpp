#include "core/loader.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "core/input_files.h"
#include "core/tables.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Crlf;
using testing::kHeader;
using testing::MemoryFileSource;
using testing::Put;
using Texts = std::vector<std::string>;

// Each pool row as "file pool start..end", "-" for a missing index.
Texts Rows(const CoreTables& t) {
    auto text = [](const std::optional<int32_t>& v) { return v ? std::to_string(*v) : "-"; };
    Texts rows;
    for (const PoolRow& r : t.lvControl) {
        rows.push_back(std::to_string(r.FileNo) + " " + r.BPool + " " + text(r.StartObjectIndex) +
                       ".." + text(r.EndObjectIndex));
    }
    return rows;
}

class LoaderTest : public ::testing::Test {
protected:
    LoadResult Load(const std::vector<std::string>& files) {
        for (size_t i = 0; i < files.size(); ++i) {
            source.Add("/d/f" + std::to_string(i), files[i]);
            AddSelectedFile(tables, "/d/f" + std::to_string(i));
        }
        LoadResult result = LoadDataFiles(tables, source);
        CountWorkFileObjects(tables);
        return result;
    }

    MemoryFileSource source;
    CoreTables tables;
};

const std::string kTwoPools =
    Crlf({kHeader, BpsLine("BP0"), BpdLine("DB1.TS1"), BpdLine("DB1.TS2"), BpsLine("BP1"),
          BpdLine("DB2.TS1"), BpdLine("DB2.TS2"), BpdLine("DB2.IX1", 'I')});

// Its rows are among those RangesFollowTheRecordsAcrossFiles checks. A later load empties the
// shared lists, and an empty file list gives empty tables.
TEST_F(LoaderTest, OneFileGivesLinesRowsAndPoolsNoFileNothing) {
    const LoadResult result = Load({kTwoPools});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(tables.lstData.size(), 7u);
    EXPECT_EQ(tables.lstData[0].stored, BpsLine("BP0"));  // the header line is not stored
    EXPECT_EQ(tables.lvControl[1].key, "0" + BpsLine("BP1").substr(0, 60));
    EXPECT_EQ(tables.lvControl[1].bpsLineIndex, 3);
    EXPECT_FALSE(tables.FilesChanged);
    EXPECT_EQ(result.totalBytes, kTwoPools.size());
    EXPECT_EQ(result.dataSizeText, "0.00 Mb");

    tables.lvSharedPools.push_back({"BP0", 2});
    tables.lstSharedPools.push_back("BP0");
    RemoveSelectedFile(tables, 0);
    const LoadResult none = LoadDataFiles(tables, source);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(tables.lstData.empty() && tables.lvControl.empty() && tables.lstPools.empty());
    EXPECT_TRUE(tables.lvSharedPools.empty() && tables.lstSharedPools.empty());
    EXPECT_EQ(none.dataSizeText, "0.00 Mb");
}

TEST_F(LoaderTest, RangesFollowTheRecordsAcrossFiles) {
    std::string many = Crlf({kHeader, BpsLine("BP0")});
    for (int i = 0; i < 40'000; ++i) {
        many += BpdLine("DB.TS" + std::to_string(i)) + "\r\n";
    }
    const std::tuple<const char*, std::vector<std::string>, Texts> cases[] = {
        {"a trailer line lies inside the last range",
         {kTwoPools + "TRL  END OF DATA\r\n"},
         {"0 BP0 1..2", "0 BP1 4..7"}},
        {"the second file's indices continue; its BP1 line repeats the first's, no duplicate",
         {kTwoPools, Crlf({kHeader, BpsLine("BP1"), BpdLine("DB3.TS1")})},
         {"0 BP0 1..2", "0 BP1 4..6", "1 BP1 8..8"}},
        {"a file without BPS is stored, but no row of another file reaches into it",
         {kTwoPools, Crlf({kHeader, "OTHER", BpdLine("DB9.TS1")})},
         {"0 BP0 1..2", "0 BP1 4..6"}},
        {"BPD lines before the first BPS belong to no row",
         {Crlf({kHeader, BpdLine("DB1.TS0"), BpsLine("BP0"), BpdLine("DB1.TS1")})},
         {"0 BP0 2..2"}},
        {"BPS after BPS: no range; the last pool of a file only gets an end",
         {Crlf({kHeader, BpsLine("BP0"), BpsLine("BP1"), BpdLine("X"), BpsLine("BP2")})},
         {"0 BP0 -..-", "0 BP1 2..2", "0 BP2 -..3"}},
        {"other lines between BPD lines stay inside the range",
         {Crlf({kHeader, BpsLine("BP0"), "NOTE", BpdLine("A"), "NOTE", BpdLine("B"),
                BpsLine("BP1")})},
         {"0 BP0 2..4", "0 BP1 -..5"}},
        {"a file too large to read ahead, between two that are read ahead",
         {kTwoPools, kTwoPools + std::string(5'000'000, 'x'), kTwoPools},
         {"0 BP0 1..2", "0 BP1 4..6", "1 BP0 8..9", "1 BP1 11..14", "2 BP0 16..17",
          "2 BP1 19..21"}},
        {"BPD lines before a later file's first BPS belong to no row",
         {Crlf({kHeader, BpsLine("BP0"), BpdLine("A")}),
          Crlf({kHeader, BpdLine("B"), BpdLine("C"), BpsLine("BP1"), BpdLine("D")})},
         {"0 BP0 1..1", "1 BP1 5..5"}},
        {"indices past 32767 lines",
         {many + Crlf({BpsLine("BP1"), BpdLine("DB.LAST")})},
         {"0 BP0 1..40000", "0 BP1 40002..40002"}},
    };
    for (const auto& [name, files, rows] : cases) {
        SCOPED_TRACE(name);
        tables = CoreTables{};
        ASSERT_TRUE(Load(files).ok());
        EXPECT_EQ(Rows(tables), rows);
    }
}

TEST_F(LoaderTest, EachFilesLeadRecordStaysWholeWhateverItsKind) {
    // A lead record that is an object line still carries the file's collection time.
    const std::string leadA = Put(BpdLine("DB1.TS0"), 142, "12.34.56");
    const std::string leadB = Put(BpdLine("DB2.TS0"), 142, "13.00.00");
    const std::string longObject = BpdLine("DB1.TS1", 'T', "1", "2");
    ASSERT_TRUE(Load({Crlf({kHeader, leadA, BpsLine("BP0"), longObject}),
                      Crlf({kHeader, leadB, longObject})})
                    .ok());
    EXPECT_EQ(tables.lstData[0].stored, leadA);
    EXPECT_EQ(tables.lstData[3].stored, leadB);
    EXPECT_TRUE(tables.lstData[2].partial && tables.lstData[4].partial);
    const std::vector<InputFile> files = DescribeInputFiles(tables);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].collectionTime, "12.34.56");
    EXPECT_EQ(files[1].collectionTime, "13.00.00");
    EXPECT_EQ(files[1].lines, 2);
}

TEST_F(LoaderTest, AFileThatRepeatsAnEarlierOneIsFound) {
    std::string sameSizeOtherName = kTwoPools;
    sameSizeOtherName.replace(sameSizeOtherName.find("DB2.TS2"), 7, "DB2.TS3");
    std::string sameSizeOtherHeader = kTwoPools;
    sameSizeOtherHeader.replace(sameSizeOtherHeader.find("TEST"), 4, "PROD");
    const std::string shorter = Crlf({kHeader, BpsLine("BP0")});
    ASSERT_TRUE(Load({kTwoPools, sameSizeOtherName, shorter, kTwoPools, sameSizeOtherHeader,
                      sameSizeOtherName, kTwoPools})
                    .ok());
    std::vector<std::string> repeats;
    for (const InputFile& file : DescribeInputFiles(tables)) {
        repeats.push_back(file.repeats ? std::to_string(*file.repeats) : "-");
    }
    // Each copy names the first file it repeats; files of equal size that differ do not.
    EXPECT_EQ(repeats, (Texts{"-", "-", "-", "0", "-", "1", "0"}));
}

TEST_F(LoaderTest, PoolNamesAreListedOnceInAlphabeticalOrder) {
    Load({Crlf({kHeader, BpsLine("bp2"), BpsLine("BP10"), BpsLine("bp1")}),
          Crlf({kHeader, BpsLine("BP1"), BpsLine("BP2"), BpsLine("  BP0  ")})});
    // The first spelling read is the one listed.
    EXPECT_EQ(tables.lstPools, (Texts{"BP0", "bp1", "BP10", "bp2"}));
    EXPECT_EQ(tables.lvControl.size(), 6u);
}

TEST_F(LoaderTest, LinesAreTheSameHoweverTheFileArrivesInPieces) {
    const std::string odd("BPD\x01\xFFX");
    const std::string bytes = std::string(kHeader) + "\r" + BpsLine("BP0") + "\n" + BpdLine("A") +
                              "\r\n\r\n" + odd + "\n\r" + std::string(3'000'000, 'x');
    const std::string binary = Crlf({kHeader, BpsLine("BP5"), "BPD"}) + std::string("A\0B\r\n", 5);
    for (const size_t piece : {0, 1, 2, 3, 7, 4096}) {
        SCOPED_TRACE(piece);
        source.pieceBytes = piece;
        tables = CoreTables{};
        ASSERT_TRUE(Load({bytes}).ok());
        ASSERT_EQ(tables.lstData.size(), 6u);
        EXPECT_EQ(tables.lstData[1].stored, BpdLine("A"));
        EXPECT_EQ(tables.lstData[2].stored, "");  // a blank line is a line
        EXPECT_EQ(tables.lstData[3].stored, odd);
        EXPECT_EQ(tables.lstData[4].stored, "");  // LF then CR: two ends
        EXPECT_EQ(tables.lstData[5].stored.size(), 3'000'000u);
        EXPECT_EQ(Rows(tables), Texts{"0 BP0 1..5"});
        tables = CoreTables{};
        const LoadResult failed = Load({binary});
        ASSERT_FALSE(failed.ok());
        EXPECT_EQ(failed.status.line(), 4);  // in whichever piece the byte arrives
    }
}

TEST_F(LoaderTest, ObjectLinesKeepTheColumnsTheProgramReads) {
    // Lines ending on either side of each kept span; the fields must read as from the whole line.
    std::vector<std::string> lines;
    for (const size_t length : {40, 66, 67, 200, 338, 339, 344, 348, 349, 448, 600}) {
        std::string line = BpdLine("DB1.TS" + std::to_string(length), 'T', "1234567890");
        line = testing::Put(line, 339, "9876543210");
        line.resize(length, '7');
        lines.push_back(line);
    }
    std::string bytes = Crlf({kHeader, BpsLine("BP0")});
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    ASSERT_TRUE(Load({bytes}).ok());
    for (size_t i = 0; i < lines.size(); ++i) {
        const DataLine& stored = tables.lstData[i + 1];
        SCOPED_TRACE(lines[i].size());
        EXPECT_EQ(stored.partial, lines[i].size() > 66u);
        EXPECT_LE(stored.stored.size(), 76u);
        for (const int field : {bpd_field::kObjectKind, bpd_field::kObjectName,
                                bpd_field::kStatisticA, bpd_field::kStatisticB}) {
            EXPECT_EQ(stored.Field(BPDLayout, field), ExtractField(lines[i], BPDLayout, field));
        }
    }
}

TEST_F(LoaderTest, WorkFileObjectsAreCountedInTheNameColumns) {
    const std::string outside = testing::Put(BpdLine("DB1.TS1"), 60, "DSNDB07");  // a statistic
    Load({Crlf({kHeader, BpsLine("BP0"), BpdLine("DSNDB07.DSN4K01"), BpdLine("XDSNDB07X"),
                BpdLine("dsndb07.low"), outside, BpsLine("BP1"), BpsLine("BP2")})});
    ASSERT_EQ(tables.lvControl.size(), 3u);
    EXPECT_EQ(tables.lvControl[0].DSNDB07s, 2);
    EXPECT_EQ(tables.lvControl[1].DSNDB07s, 0);  // no object lines
    EXPECT_EQ(tables.lvControl[2].DSNDB07s, 0);  // only an end
}

TEST_F(LoaderTest, HeaderWithoutEnvWarnsOncePerFileAndLoadsOn) {
    const LoadResult result =
        Load({Crlf({"stats env=test", BpsLine("BP0"), BpdLine("A"), BpsLine("BP1")}), kTwoPools});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.headerWarnings, Texts{"/d/f0"});
    EXPECT_EQ(tables.lvControl.size(), 4u);
}

TEST_F(LoaderTest, ReadErrorsNameFileReasonAndLine) {
    source.Add("/d/good", kTwoPools);
    source.Add("/d/dup", Crlf({kHeader, BpsLine("BP5"), BpdLine("A"), BpsLine("BP5")}));
    source.Add("/d/empty", "");
    source.Add("/d/nameless", Crlf({kHeader, BpsLine("BP5"), BpdLine("A"), BpsLine("   ")}));
    source.Add("/d/binary", Crlf({kHeader, BpsLine("BP5")}) + std::string("BPD\0\r\nBPD A", 10));
    source.Add("/d/binhead", std::string("ENV\0", 4));
    source.Fail("/d/locked", FileErrorReason::kNoAccess);
    using R = FileErrorReason;
    using C = StatusCode;
    // {path, reason, code, line, lines kept}
    const std::tuple<const char*, FileErrorReason, StatusCode, int64_t, size_t> cases[] = {
        {"/d/missing", R::kNotFound, C::kNotFound, 0, 7},
        {"/d/empty", R::kEmpty, C::kInvalidData, 0, 7},
        {"/d/locked", R::kNoAccess, C::kIoError, 0, 7},
        {"/d/dup", R::kDuplicatePoolRecord, C::kInvalidData, 4, 10},
        {"/d/nameless", R::kBlankPoolName, C::kInvalidData, 4, 10},
        {"/d/binary", R::kBinaryData, C::kInvalidData, 3, 8},
        {"/d/binhead", R::kBinaryData, C::kInvalidData, 1, 7}};
    for (const auto& [path, reason, code, line, linesKept] : cases) {
        SCOPED_TRACE(path);
        CoreTables t;
        for (const char* file : {"/d/good", path, "/d/good2"}) {
            AddSelectedFile(t, file);
        }
        const LoadResult result = LoadDataFiles(t, source);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.status.path(), path);
        EXPECT_EQ(LoadFailureReason(result.status), reason);
        EXPECT_EQ(result.status.code(), code);
        EXPECT_EQ(result.status.line(), line);
        EXPECT_EQ(result.dataSizeText, "");
        EXPECT_TRUE(t.FilesChanged);             // the next departure tries again
        EXPECT_EQ(t.lstData.size(), linesKept);  // what was read before the error stays
    }
    AddSelectedFile(tables, "/d/binary");
    EXPECT_EQ(LoadFailureDetail(LoadDataFiles(tables, source).status),
              "File: /d/binary\nReason: not a text statistics file (binary data at line 3)\n"
              "Line: 3");
}

TEST(DataSizeTextTest, MegabytesWithTwoDecimalsHalfUp) {
    // 3,276,800 bytes are exactly 3.125 Mb.
    const std::pair<uint64_t, const char*> rows[] = {
        {0, "0.00 Mb"},     {1'572'864, "1.50 Mb"}, {5'242, "0.00 Mb"},
        {5'243, "0.01 Mb"}, {3'276'800, "3.13 Mb"}, {5'000'000'000, "4768.37 Mb"},
    };
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(DataSizeText(bytes), text) << bytes;
    }
}

using DiskFilesTest = testing::ScratchDirTest;

// Changes the file once it has been opened and checked, as another program might.
class ChangingFileSource : public DiskFileSource {
public:
    std::function<void(const std::string&)> change;

protected:
    void FileChecked(const std::string& path) const override { change(path); }
};

TEST_F(DiskFilesTest, OnlyOneVersionOfARegularFileIsRead) {
    // A file of many pieces is read ahead on a thread of its own.
    const std::string large = kTwoPools + std::string(3 * DiskFileSource::kPieceBytes, 'x');
    FileContents contents;
    for (const std::string& bytes : {kTwoPools, large}) {
        ASSERT_FALSE(DiskFileSource().Read(Put("day1.sta", bytes), contents).has_value());
        EXPECT_TRUE(std::string_view(contents.data(), contents.size) == bytes);
    }

    ASSERT_EQ(::mkfifo((m_dir / "pipe").c_str(), 0600), 0);  // would block a plain open
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (m_dir / "sock").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    using R = FileErrorReason;
    const std::pair<std::string, R> refused[] = {{(m_dir / "nope.sta").string(), R::kNotFound},
                                                 {Put("empty.sta", ""), R::kEmpty},
                                                 {m_dir.string(), R::kFolder},
                                                 {(m_dir / "pipe").string(), R::kNamedPipe},
                                                 {"/dev/null", R::kDevice},
                                                 {(m_dir / "sock").string(), R::kSocket}};
    for (const auto& [path, reason] : refused) {
        EXPECT_EQ(DiskFileSource().Read(path, contents), reason) << path;
    }
    ::close(sock);

    ChangingFileSource changing;
    const std::pair<const char*, std::function<void(const std::string&)>> changes[] = {
        {"grown", [](const std::string& p) { std::ofstream(p, std::ios::app) << "BPD X\r\n"; }},
        {"cut", [](const std::string& p) { std::filesystem::resize_file(p, 10); }}};
    for (const auto& [name, change] : changes) {
        changing.change = change;
        for (const std::string& bytes : {kTwoPools, large}) {
            EXPECT_EQ(changing.Read(Put("changing.sta", bytes), contents), R::kChangedWhileRead)
                << name << " " << bytes.size();
        }
    }
    EXPECT_EQ(ReasonText(R::kChangedWhileRead), "the file changed while it was read");
}

TEST_F(DiskFilesTest, ChosenPathsAreTheFilesOnDiskExactly) {
    const std::string member = Put("member.sta", kTwoPools);
    std::filesystem::create_symlink(member, m_dir / "link.sta");
    CoreTables t;
    const std::string chosen[] = {Put(" lead.sta", kTwoPools),   member,
                                  Put("MEMBER.STA", kTwoPools),  Put("\xFF\xFE.sta", kTwoPools),
                                  (m_dir / "link.sta").string(), member};
    for (const std::string& path : chosen) {
        t.FilesChanged = false;
        AddSelectedFile(t, path);
        EXPECT_TRUE(t.FilesChanged);
    }
    EXPECT_EQ(t.lstSelectedFiles, Texts(chosen, chosen + 4));
    const LoadResult result = LoadDataFiles(t, DiskFileSource());
    ASSERT_TRUE(result.ok()) << LoadFailureDetail(result.status);
    EXPECT_EQ(t.lvControl.size(), 8u);
}

}  // namespace
}  // namespace core

#include "gen/sample_generator.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"
#include "core/pool_rows.h"
#include "core/record_layouts.h"

namespace samplegen {
namespace {

// The file's lines without their terminators; the header is line 0. A stray CR or LF inside a
// line is a terminator of the wrong kind.
std::vector<std::string> SplitLines(const std::string& bytes, std::string_view end) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = bytes.find(end); at != std::string::npos; at = bytes.find(end, start)) {
        lines.push_back(bytes.substr(start, at - start));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "line " << lines.size();
        start = at + end.size();
    }
    EXPECT_EQ(start, bytes.size()) << "the last line lacks its terminator";
    return lines;
}

// Each text at its 1-based column of `line`, counted by hand from the record formats.
void ExpectAt(const std::string& line,
              std::initializer_list<std::pair<size_t, std::string_view>> fields) {
    for (const auto& [column, text] : fields) {
        EXPECT_EQ(line.substr(column - 1, text.size()), text) << "column " << column;
    }
}

TEST(RecordLineTest, FieldsSitAtTheirColumns) {
    // {pool, VP, HP, ratio denominator, ratio numerator}
    const std::string bps = BpsLine({"BP8K0", 12500, 3000, 1234567, 98765});
    ASSERT_EQ(bps.size(), 458u);
    EXPECT_TRUE(core::IsBpsRecord(bps));
    ExpectAt(bps, {{21, "BP8K0   "},
                   {34, "     12500"},
                   {50, "      3000"},
                   {67, "   1234567"},
                   {349, "     98765"}});
    // {pool, kind, object, statistic A, statistic B}
    const std::string bpd = BpdLine({"BP1", 'I', "PAYDB01.IXPAY01A", 45000, 321});
    ASSERT_EQ(bpd.size(), 448u);
    EXPECT_TRUE(core::IsBpdRecord(bpd));
    ExpectAt(bpd, {{21, "BP1     "},
                   {29, "I"},
                   {30, "PAYDB01.IXPAY01A           "},
                   {57, "     45000"},
                   {339, "       321"}});
    // Overlong text is cut at the field's end.
    ExpectAt(BpdLine({.objectName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"}),
             {{30, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0"}, {57, "         0"}});

    const std::string lead = LeadLine("09.15.30", "DB2X");
    ASSERT_EQ(lead.size(), 149u);
    EXPECT_FALSE(core::IsBpsRecord(lead) || core::IsBpdRecord(lead));
    ExpectAt(lead, {{142, "09.15.30"}});
    EXPECT_TRUE(core::CheckHeaderLine(HeaderLine("DB2X")));
}

TEST(GeneratedFileTest, LineCountIsMetExactlyAboveTheSmallestFileWithTheChosenEnds) {
    // Six default pools: header, lead, 6 BPS and one object each make 14 lines at least.
    using E = LineEnding;
    const std::tuple<int64_t, bool, E, std::string_view, size_t> cases[] = {
        {300, false, E::kCrLf, "\r\n", 300}, {300, true, E::kCrLf, "\r\n", 300},
        {15, false, E::kCrLf, "\r\n", 15},   {14, false, E::kCrLf, "\r\n", 14},
        {3, false, E::kCrLf, "\r\n", 14},    {3, true, E::kCrLf, "\r\n", 15},
        {20, false, E::kLf, "\n", 20},       {20, false, E::kCr, "\r", 20}};
    for (const auto& [lines, trailer, ending, end, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << "lines " << lines << " trailer " << trailer);
        const Options options{.lines = lines, .lineEnding = ending, .trailer = trailer};
        EXPECT_EQ(SplitLines(GenerateDataFile(options), end).size(), expected);
    }
}

TEST(GeneratedFileTest, LoadedPoolsHoldTheirObjectsAndWorkFiles) {
    core::CoreTables t;
    ASSERT_TRUE(
        core::testing::LoadFiles(
            t, {{"gen.sta", GenerateDataFile({.lines = 400, .pools = {"BP0", "BP7", "BP32K"}})}})
            .ok());
    EXPECT_EQ(t.lstData.size(), 399u);  // the header is not stored
    ASSERT_EQ(t.lvControl.size(), 3u);
    const auto& [bp0, bp7, bp32k] = std::tie(t.lvControl[0], t.lvControl[1], t.lvControl[2]);
    EXPECT_EQ(bp0.BPool + " " + bp7.BPool + " " + bp32k.BPool, "BP0 BP7 BP32K");
    // BP0 mixes work files with ordinary objects; BP7 holds work files only.
    EXPECT_EQ(bp0.DSNDB07s, 3);
    EXPECT_GT(core::SumPoolTableSpaceObjects(t, bp0), 0);
    EXPECT_GT(bp7.ObjectCount(), 0);
    EXPECT_EQ(bp7.DSNDB07s, bp7.ObjectCount());
    EXPECT_EQ(bp32k.DSNDB07s, 0);
    EXPECT_GT(core::SumPoolTableSpaceObjects(t, bp32k), 0);
}

using WrittenFileTest = core::testing::ScratchDirTest;

TEST_F(WrittenFileTest, EqualsGeneratedBytes) {
    const Options options{.lines = 50};
    ASSERT_TRUE(WriteDataFile((m_dir / "written.sta").string(), options));
    EXPECT_EQ(core::testing::ReadAll(m_dir / "written.sta"), GenerateDataFile(options));
    EXPECT_FALSE(WriteDataFile((m_dir / "no/such/dir/x.sta").string(), options));
}

// The bundled samples are what the commands in samples/README.md produce; other tests work out
// their expected values from these files, so the generator must not drift from them: this also
// shows that a seed gives the same bytes on every run.
TEST(GeneratedFileTest, GeneratorReproducesBundledSamples) {
    EXPECT_EQ(GenerateDataFile({.seed = 11, .member = "DB1A", .lines = 300}),
              core::testing::ReadAll(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    EXPECT_EQ(GenerateDataFile({.seed = 12,
                                .member = "DB1B",
                                .lines = 260,
                                .workFileOnlyPools = {},
                                .mixedWorkFilePools = {"BP0", "BP7"},
                                .trailer = true}),
              core::testing::ReadAll(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
}

}  // namespace
}  // namespace samplegen

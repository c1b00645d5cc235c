#include "sample_generator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "record_layouts.h"
#include "text.h"

namespace samplegen {
namespace {

using core::ExtractField;

// The file's lines without their terminators; the header is line 0.
std::vector<std::string> SplitLines(const std::string& bytes, std::string_view end) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = bytes.find(end); at != std::string::npos; at = bytes.find(end, start)) {
        lines.push_back(bytes.substr(start, at - start));
        start = at + end.size();
    }
    EXPECT_EQ(start, bytes.size()) << "the last line lacks its terminator";
    return lines;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RecordLineTest, BpsFieldsSitAtTheirColumns) {
    const std::string line = BpsLine({.poolName = "BP8K0",
                                      .vpSizePages = 12500,
                                      .hpSizePages = 3000,
                                      .ratioDenominator = 1234567,
                                      .ratioNumerator = 98765});
    ASSERT_EQ(line.size(), 458u);
    EXPECT_TRUE(core::IsBpsRecord(line));
    EXPECT_EQ(ExtractField(line, core::BPSLayout, core::bps_field::kPoolName), "BP8K0   ");
    EXPECT_EQ(ExtractField(line, core::BPSLayout, core::bps_field::kVpSize), "     12500");
    EXPECT_EQ(ExtractField(line, core::BPSLayout, core::bps_field::kHpSize), "      3000");
    EXPECT_EQ(ExtractField(line, core::BPSLayout, core::bps_field::kRatioDenominator),
              "   1234567");
    EXPECT_EQ(ExtractField(line, core::BPSLayout, core::bps_field::kRatioNumerator), "     98765");
    EXPECT_EQ(line.substr(348, 10), "     98765");  // columns 349-358, counted by hand
}

TEST(RecordLineTest, BpdFieldsSitAtTheirColumns) {
    const std::string line = BpdLine({.poolName = "BP1",
                                      .kind = 'I',
                                      .objectName = "PAYDB01.IXPAY01A",
                                      .statisticA = 45000,
                                      .statisticB = 321});
    ASSERT_EQ(line.size(), 448u);
    EXPECT_TRUE(core::IsBpdRecord(line));
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kObjectKind), "I");
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kObjectName),
              "PAYDB01.IXPAY01A           ");
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kStatisticA), "     45000");
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kStatisticB), "       321");
    EXPECT_EQ(line.substr(338, 10), "       321");  // columns 339-348
}

TEST(RecordLineTest, OverlongTextIsCutAtTheFieldEnd) {
    const std::string line = BpdLine({.objectName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"});
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kObjectName),
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ0");
    EXPECT_EQ(ExtractField(line, core::BPDLayout, core::bpd_field::kStatisticA), "         0");
}

TEST(RecordLineTest, LeadLineIsNoPoolRecordAndCarriesTheTime) {
    const std::string line = LeadLine("09.15.30", "DB2X");
    ASSERT_EQ(line.size(), 149u);
    EXPECT_FALSE(core::IsBpsRecord(line));
    EXPECT_FALSE(core::IsBpdRecord(line));
    EXPECT_EQ(ExtractField(line, core::LeadLayout, core::lead_field::kCollectionTime), "09.15.30");
    EXPECT_TRUE(core::IsFlatFileHeader(HeaderLine("DB2X")));
}

struct CountCase {
    int64_t lines;
    bool trailer;
    size_t expected;
};

TEST(GeneratedFileTest, LineCountIsMetExactlyAboveTheSmallestFile) {
    // Six default pools: header, lead, 6 BPS and one object each make 14 lines at least.
    const CountCase cases[] = {{300, false, 300}, {300, true, 300}, {15, false, 15},
                               {14, false, 14},   {3, false, 14},   {3, true, 15}};
    for (const CountCase& c : cases) {
        Options options;
        options.lines = c.lines;
        options.trailer = c.trailer;
        EXPECT_EQ(SplitLines(GenerateDataFile(options), "\r\n").size(), c.expected)
            << "lines " << c.lines << " trailer " << c.trailer;
    }
}

TEST(GeneratedFileTest, PoolsHoldTheirObjectsAndWorkFiles) {
    Options options;
    options.lines = 400;
    options.pools = {"BP0", "BP7", "BP32K"};
    const std::vector<std::string> lines = SplitLines(GenerateDataFile(options), "\r\n");
    ASSERT_EQ(lines.size(), 400u);
    EXPECT_TRUE(core::IsFlatFileHeader(lines[0]));
    EXPECT_EQ(ExtractField(lines[1], core::LeadLayout, core::lead_field::kCollectionTime),
              "14.30.00");

    std::vector<std::string> pools;
    std::vector<int> objects, workFiles, tableSpaces;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (core::IsBpsRecord(line)) {
            EXPECT_EQ(line.size(), 458u);
            pools.emplace_back(
                core::Trim(ExtractField(line, core::BPSLayout, core::bps_field::kPoolName)));
            objects.push_back(0);
            workFiles.push_back(0);
            tableSpaces.push_back(0);
            continue;
        }
        ASSERT_TRUE(core::IsBpdRecord(line)) << "line " << i + 1;
        ASSERT_FALSE(pools.empty());
        EXPECT_EQ(line.size(), 448u);
        ++objects.back();
        const auto name = ExtractField(line, core::BPDLayout, core::bpd_field::kObjectName);
        const auto kind = ExtractField(line, core::BPDLayout, core::bpd_field::kObjectKind);
        if (core::Contains(name, "DSNDB07")) {
            ++workFiles.back();
        } else if (kind == "T") {
            ++tableSpaces.back();
            const auto a = ExtractField(line, core::BPDLayout, core::bpd_field::kStatisticA);
            const auto b = ExtractField(line, core::BPDLayout, core::bpd_field::kStatisticB);
            EXPECT_GT(std::stol(std::string(a)), 10 * std::stol(std::string(b))) << line;
        }
    }
    EXPECT_EQ(pools, (std::vector<std::string>{"BP0", "BP7", "BP32K"}));
    // BP0 mixes work files with ordinary objects; BP7 holds work files only.
    EXPECT_EQ(workFiles[0], 3);
    EXPECT_GT(tableSpaces[0], 0);
    EXPECT_GT(objects[1], 0);
    EXPECT_EQ(workFiles[1], objects[1]);
    EXPECT_EQ(workFiles[2], 0);
    EXPECT_GT(tableSpaces[2], 0);
}

TEST(GeneratedFileTest, SameSeedGivesSameBytes) {
    Options options;
    options.seed = 42;
    const std::string first = GenerateDataFile(options);
    EXPECT_EQ(GenerateDataFile(options), first);
    options.seed = 43;
    EXPECT_NE(GenerateDataFile(options), first);
}

TEST(GeneratedFileTest, LineEndingsAreTheChosenOnes) {
    Options options;
    options.lines = 20;
    options.lineEnding = LineEnding::kLf;
    const std::string lf = GenerateDataFile(options);
    EXPECT_EQ(lf.find('\r'), std::string::npos);
    EXPECT_EQ(SplitLines(lf, "\n").size(), 20u);
    options.lineEnding = LineEnding::kCr;
    const std::string cr = GenerateDataFile(options);
    EXPECT_EQ(cr.find('\n'), std::string::npos);
    EXPECT_EQ(SplitLines(cr, "\r").size(), 20u);
}

TEST(GeneratedFileTest, WrittenFileEqualsGeneratedBytes) {
    Options options;
    options.lines = 50;
    const std::string path = ::testing::TempDir() + "samplegen_written.sta";
    ASSERT_TRUE(WriteDataFile(path, options));
    EXPECT_EQ(ReadFile(path), GenerateDataFile(options));
    EXPECT_FALSE(WriteDataFile(::testing::TempDir() + "no/such/dir/x.sta", options));
}

// The bundled samples are what the commands in samples/README.md produce; other tests work out
// their expected values from these files, so the generator must not drift from them.
TEST(GeneratedFileTest, GeneratorReproducesBundledSamples) {
    Options db1a;
    db1a.seed = 11;
    db1a.member = "DB1A";
    db1a.lines = 300;
    EXPECT_EQ(GenerateDataFile(db1a), ReadFile(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));

    Options db1b;
    db1b.seed = 12;
    db1b.member = "DB1B";
    db1b.lines = 260;
    db1b.workFileOnlyPools = {};
    db1b.mixedWorkFilePools = {"BP0", "BP7"};
    db1b.trailer = true;
    EXPECT_EQ(GenerateDataFile(db1b), ReadFile(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
}

}  // namespace
}  // namespace samplegen

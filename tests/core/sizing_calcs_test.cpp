#include "sizing_calcs.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

std::string Put(std::string line, size_t column, std::string_view text) {
    testing::PutAt(line, column, text);
    return line;
}

std::string BpdLine(std::string_view kind, std::string_view name, std::string_view a = "",
                    std::string_view b = "") {
    return Put(Put(Put(Put("BPD", 29, kind), 30, name), 57, a), 339, b);
}

PoolRow Row(std::string pool, std::optional<int32_t> start, std::optional<int32_t> end) {
    PoolRow row;
    row.BPool = std::move(pool);
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    return row;
}

TEST(ScaSizeTest, SizeSteppedByTableSpaceCount) {
    const std::pair<int64_t, int64_t> rows[] = {
        {0, 8},     {449, 8},   {450, 16},  {1799, 16},  {1800, 32},  {3799, 32},
        {3800, 48}, {5799, 48}, {5800, 64}, {32767, 64}, {40000, 64},
    };
    for (const auto& [count, mb] : rows) {
        EXPECT_EQ(ScaSizeForTableSpaces(count), mb) << count;
    }
}

TEST(ScaSizeTest, CountsTheTableSpacesOfSharedPoolsOnly) {
    CoreTables tables;
    tables.AppendLine("BPS BP2");                    // 0
    tables.AppendLine(BpdLine("T", "DB2.TS1"));      // 1  unshared pool
    tables.AppendLine("BPS BP1");                    // 2
    tables.AppendLine(BpdLine("T", "DB1.TS1"), -1);  // 3  cached, still counted once
    tables.AppendLine(BpdLine("I", "DB1.IX1"));      // 4
    tables.AppendLine("BPS BP1");                    // 5  second file
    tables.AppendLine(BpdLine("T", "DB1.TS2"));      // 6
    tables.AppendLine(BpdLine("T", "DSNDB07.TS1"));  // 7
    tables.lvControl = {Row("BP2", 1, 1), Row("BP3", std::nullopt, std::nullopt), Row("BP1", 3, 4),
                        Row("bp1", 6, 7)};
    tables.lstSharedPools = {" BP1 ", "BP3"};
    EXPECT_EQ(CountSharedTableSpaces(tables), 2);
    EXPECT_EQ(CalcSCASize(tables), 8);

    // The sizing run's one pass over the lines gives the same count.
    const PoolRowTally tally = TallyPoolRows(tables);
    EXPECT_EQ(tally.tableSpaces, (std::vector<int64_t>{1, 0, 1, 1}));
    EXPECT_EQ(tally.cachedObjects, (std::vector<int64_t>{0, 0, 1, 0}));
    EXPECT_EQ(CountSharedTableSpaces(tables, PoolRowIndex(tables), tally), 2);
}

TEST(LockStructureSizeTest, FitsHalfTheProductPlusTenPercent) {
    struct Case {
        const char* members;
        const char* ecsa;
        int64_t mb;
    };
    const Case cases[] = {
        {"1", "4", 8},          {"2", "10", 16},    {"1", "19", 8},   {"1", "20", 16},
        {"32", "2", 32},        {"10", "10", 64},   {"5", "7", 16},   {"1", "35", 16},
        {"1", "36", 32},        {"2", "33", 32},    {"1", "67", 64},  {"2.5", "7", 8},
        {"3.5", "5", 16},       {" 4 ", "1 0", 32}, {"", "4", 8},     {"0", "100", 8},
        {"2", "", 8},           {"-2", "-40", 8},   {"abc", "40", 8}, {"1000", "1000", 64},
        {"1e300", "1e300", 64}, {"0.4", "100", 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CalcLockStructureSize(c.members, c.ecsa), c.mb)
            << "members \"" << c.members << "\" ecsa \"" << c.ecsa << '"';
    }
}

TEST(ObjectStatisticTest, StrictReadingWithZeroForAnythingElse) {
    const std::pair<const char*, int64_t> rows[] = {
        {"      1000", 1000},
        {"-7", -7},
        {" 2.5 ", 2},
        {"3.5", 4},
        {"1e3", 1000},
        {"", 0},
        {"          ", 0},
        {"12x", 0},
        {"1 000", 0},
        {"abc", 0},
        {"2147483647", 2147483647},
        {"9999999999", 0},
        {"-2147483649", 0},
    };
    for (const auto& [field, value] : rows) {
        EXPECT_EQ(ReadObjectStatistic(field), value) << '"' << field << '"';
    }
}

TEST(DirectoryRatioTest, FromSums) {
    struct Case {
        DirectoryRatioSums sums;
        int64_t ratio;
    };
    const Case cases[] = {
        {{40000, 1000, 0, 0}, 3},  // 2.5 rounds to 2, raised to 3
        {{60000, 1000, 0, 0}, 4},  // 3.5 rounds to 4
        {{40000, 1000, 5, 0}, 2},  // five cached table spaces keep the 2
        {{40000, 1000, 4, 0}, 3},   {{1000, 1000, 10, 0}, 1},   // 0.55 rounds to 1
        {{0, 1000, 10, 0}, 1},                                  // 0.5 rounds to 0, raised to 1
        {{0, 1000, 0, 0}, 3},       {{100000, 1000, 0, 0}, 6},  // 5.5 rounds to 6
        {{-40000, 1000, 10, 0}, 1}, {{4000000000, 1000, 0, 0}, 200000},  // 200000.5, past 16 bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DirectoryRatioFromSums(c.sums), c.ratio)
            << c.sums.sumA << " / " << c.sums.Denominator() << ", " << c.sums.cachedTableSpaces
            << " cached";
    }
}

TEST(DirectoryRatioTest, CannotBeComputedWithoutADenominator) {
    EXPECT_EQ(DirectoryRatioFromSums({}), std::nullopt);
    EXPECT_EQ(DirectoryRatioFromSums({5000, 0, 0, 0}), std::nullopt);
    // Cached table spaces whose A cancels the B of the others.
    EXPECT_EQ(DirectoryRatioFromSums({0, 1000, 1, -1000}), std::nullopt);
    EXPECT_EQ(CalcDirectoryRatio(CoreTables{}), std::nullopt);
}

class DirectoryRatioTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.AppendLine("BPS BP1");                                  // 0
        tables.AppendLine(BpdLine("T", "DB1.TS1", "200000", "100"));   // 1
        tables.AppendLine(BpdLine("T", "DB1.TS2", "0", "900"));        // 2
        tables.AppendLine(BpdLine("I", "DB1.IX1", "garbage", "x"));    // 3
        tables.AppendLine(BpdLine("T", "DSNDB07.TS1", "99999", "1"));  // 4
        tables.AppendLine(BpdLine("T", "DB1.TS3", "", "abc"));         // 5
        tables.AppendLine(BpdLine("T", "DB1.TS4", " 2.5", "3.5 "));    // 6
        tables.AppendLine("BPS BP2");                                  // 7
        // No pool is shared: every pool row counts all the same.
        tables.lvControl = {Row("BP1", 1, 6), Row("BP2", std::nullopt, std::nullopt)};
    }
    CoreTables tables;
};

TEST_F(DirectoryRatioTablesTest, SumsQualifyingTableSpacesOfEveryRow) {
    const DirectoryRatioSums sums = SumDirectoryStatistics(tables);
    EXPECT_EQ(sums.sumA, 200002);
    EXPECT_EQ(sums.sumB, 1004);
    EXPECT_EQ(sums.cachedTableSpaces, 0);
    EXPECT_EQ(CalcDirectoryRatio(tables), 10);  // 200002 / 1004 / 20 + 0.5 = 10.46
}

TEST_F(DirectoryRatioTablesTest, CachingATableSpaceWithLargerAEnlargesTheDenominator) {
    tables.lstData[1].ItemData = -1;
    tables.lstData[3].ItemData = -1;  // an index space: cached but not counted
    const DirectoryRatioSums sums = SumDirectoryStatistics(tables);
    EXPECT_EQ(sums.cachedTableSpaces, 1);
    EXPECT_EQ(sums.cachedAdjustment, 199900);
    EXPECT_EQ(sums.Denominator(), 200904);
    EXPECT_EQ(CalcDirectoryRatio(tables), 3);  // 0.55 rounds to 1, raised to 3
}

TEST(IrlmEcsaSizeTest, TypedSizePlusTwoRoundedHalfToEven) {
    const std::pair<const char*, int64_t> rows[] = {
        {"4", 6}, {"4.5", 6}, {"5.5", 8}, {"", 2}, {"abc", 2}, {" 1 0 ", 12}, {"-3", -1},
    };
    for (const auto& [text, mb] : rows) {
        EXPECT_EQ(CalcIrlmEcsaSize(text), mb) << '"' << text << '"';
    }
}

TEST(GbpMemoryTest, FourKilobytePagesToMbRoundedHalfToEven) {
    const std::pair<int64_t, int64_t> rows[] = {
        {0, 0}, {2000, 8}, {3100, 12}, {3125, 12}, {3375, 14}, {1000000000000, 4000000000},
    };
    for (const auto& [pages, mb] : rows) {
        EXPECT_EQ(GbpMemoryMb(pages), mb) << pages;
    }
}

TEST(GbpSizeTest, WorkedExamples) {
    struct Case {
        GbpInputs in;
        int64_t pages;
    };
    // {table spaces, cached, VP, HP, numerator, denominator, Cache All, members}
    const Case cases[] = {
        {{200, 80, 5000, 1000, 7, 9, false, 2}, 8000},     // share 40: 0.75
        {{200, 78, 5000, 1000, 7, 9, false, 2}, 5000},     // share 39: 0.5
        {{200, 150, 4000, 0, 7, 9, true, 1}, 4000},        // share 75: 1.0
        {{200, 0, 5000, 1000, 30, 1000, false, 2}, 1000},  // 0.03 raised to 0.05: 600
        {{200, 0, 2000, 0, 300, 1000, false, 2}, 2000},    // 0.3: 1200
        {{0, 40, 3000, 800, 500, 1000, true, 1.5}, 3000},  // no table space: activity, 2250
        {{200, 0, 5000, 1000, 0, 1000, false, 2}, 0},
        {{200, 0, 5000, 1000, 1000, 0, false, 2}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CalcGBPSize(c.in), c.pages)
            << "t " << c.in.tableSpaces << " c " << c.in.cachedObjects << " VP " << c.in.vpPages;
    }
}

TEST(GbpSizeTest, RulesAndRounding) {
    struct Case {
        const char* what;
        GbpInputs in;
        int64_t pages;
    };
    const Case cases[] = {
        {"exactly 3000 stays", {0, 0, 3000, 0, 1, 1, false, 1}, 3000},
        {"3001 goes up", {0, 0, 3001, 0, 1, 1, false, 1}, 4000},
        {"share above 100", {10, 30, 1000, 500, 0, 0, false, 1}, 1000},
        {"share 39.5 rounds to 40", {200, 79, 2000, 0, 0, 0, false, 1}, 2000},
        {"share 74.5 rounds to 74", {200, 149, 4000, 0, 0, 0, false, 1}, 3000},
        {"share 75.5 rounds to 76", {200, 151, 4000, 0, 0, 0, false, 1}, 4000},
        {"activity with Cache All leaves HP out", {200, 0, 5000, 1000, 300, 1000, true, 2}, 3000},
        {"activity without Cache All adds HP", {200, 0, 5000, 1000, 300, 1000, false, 2}, 4000},
        {"activity ratio above 1", {0, 0, 1000, 0, 2, 1, false, 1}, 2000},
        {"no members", {200, 80, 5000, 1000, 300, 1000, false, 0}, 0},
        {"cached rule ignores HP and the ratio", {200, 200, 1000, 9000, 0, 0, false, 1}, 1000},
        {"past 32 bits", {0, 0, 2000000000, 2000000000, 1, 1, false, 32}, 128000000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CalcGBPSize(c.in), c.pages) << c.what;
    }
}

TEST(GbpSizeTest, AbsurdMembersSaturateInsteadOfWrapping) {
    const int64_t pages = CalcGBPSize({0, 0, 1000, 0, 1, 1, false, 1e300});
    EXPECT_GT(pages, 9000000000000000000);
    EXPECT_EQ(pages % 1000, 0);
    EXPECT_EQ(SaturatingAdd(pages, pages), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(CalcGBPSize({0, 0, 1000, 0, 1, 1, false, -1e300}) % 1000, 0);
}

}  // namespace
}  // namespace core

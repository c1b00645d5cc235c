#include "core/sizing_calcs.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/tables.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::Row;

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
    tables.AppendLine("BPS BP2");                // 0
    tables.AppendLine(BpdLine("DB2.TS1"));       // 1  unshared pool
    tables.AppendLine("BPS BP1");                // 2
    tables.AppendLine(BpdLine("DB1.TS1"), -1);   // 3  cached, still counted once
    tables.AppendLine(BpdLine("DB1.IX1", 'I'));  // 4
    tables.AppendLine("BPS BP1");                // 5  second file
    tables.AppendLine(BpdLine("DB1.TS2"));       // 6
    tables.AppendLine(BpdLine("DSNDB07.TS1"));   // 7
    tables.lvControl = {Row("BP2", 1, 1), Row("BP3", std::nullopt, std::nullopt), Row("BP1", 3, 4),
                        Row("bp1", 6, 7)};
    tables.lstSharedPools = {" BP1 ", "BP3"};
    EXPECT_EQ(CountSharedTableSpaces(tables, PoolRowIndex(tables), TallyPoolRows(tables)), 2);
}

TEST(LockStructureSizeTest, FitsHalfTheProductPlusTenPercent) {
    // {members, ECSA, Mb}
    const std::tuple<const char*, const char*, int64_t> cases[] = {
        {"1", "4", 8},          {"2", "10", 16},    {"1", "19", 8},   {"1", "20", 16},
        {"32", "2", 32},        {"10", "10", 64},   {"5", "7", 16},   {"1", "35", 16},
        {"1", "36", 32},        {"2", "33", 32},    {"1", "67", 64},  {"2.5", "7", 8},
        {"3.5", "5", 16},       {" 4 ", "1 0", 32}, {"", "4", 8},     {"0", "100", 8},
        {"2", "", 8},           {"-2", "-40", 8},   {"abc", "40", 8}, {"1000", "1000", 64},
        {"1e300", "1e300", 64}, {"0.4", "100", 8},
    };
    for (const auto& [members, ecsa, mb] : cases) {
        EXPECT_EQ(CalcLockStructureSize(members, ecsa), mb)
            << "members \"" << members << "\" ecsa \"" << ecsa << '"';
    }
}

TEST(ObjectStatisticTest, StrictReadingWithZeroForAnythingElse) {
    const std::pair<const char*, int64_t> rows[] = {
        {"      1000", 1000}, {"-7", -7},    {" 2.5 ", 2},
        {"3.5", 4},           {"1e3", 1000}, {"2147483647", 2147483647}};
    for (const auto& [field, value] : rows) {
        EXPECT_EQ(ReadObjectStatistic(field), value) << '"' << field << '"';
    }
    for (const char* bad :
         {"", "          ", "12x", "1 000", "1,5", ".", "abc", "9999999999", "-2147483649"}) {
        EXPECT_EQ(ReadObjectStatistic(bad), 0) << '"' << bad << '"';
    }
}

TEST(DirectoryRatioTest, FromSums) {
    // {sum of A, sum of B, cached table spaces, cached adjustment}
    const std::pair<DirectoryRatioSums, std::optional<int64_t>> cases[] = {
        {{40000, 1000, 0, 0}, 3},  // 2.5 rounds to 2, raised to 3
        {{60000, 1000, 0, 0}, 4},  // 3.5 rounds to 4
        {{40000, 1000, 5, 0}, 2},  // five cached table spaces keep the 2
        {{40000, 1000, 4, 0}, 3},
        {{1000, 1000, 10, 0}, 1},  // 0.55 rounds to 1
        {{0, 1000, 10, 0}, 1},     // 0.5 rounds to 0, raised to 1
        {{-40000, 1000, 10, 0}, 1},
        {{4000000000, 1000, 0, 0}, 200000},  // 200000.5, past 16 bits
        {{}, std::nullopt},
        {{5000, 0, 0, 0}, std::nullopt},
        {{0, 1000, 1, -1000}, std::nullopt},  // cached A cancels the others' B
    };
    for (const auto& [sums, ratio] : cases) {
        EXPECT_EQ(CalcDirectoryRatio(sums), ratio) << sums.sumA << " / " << sums.Denominator()
                                                   << ", " << sums.cachedTableSpaces << " cached";
    }
    EXPECT_EQ(CalcDirectoryRatio(TallyPoolRows(CoreTables{}).ratio), std::nullopt);
}

TEST(DirectoryRatioTest, SumsQualifyingTableSpacesOfEveryRow) {
    CoreTables tables;
    tables.AppendLine("BPS BP1");                                  // 0
    tables.AppendLine(BpdLine("DB1.TS1", 'T', "200000", "100"));   // 1
    tables.AppendLine(BpdLine("DB1.TS2", 'T', "0", "900"));        // 2
    tables.AppendLine(BpdLine("DB1.IX1", 'I', "garbage", "x"));    // 3
    tables.AppendLine(BpdLine("DSNDB07.TS1", 'T', "99999", "1"));  // 4
    tables.AppendLine(BpdLine("DB1.TS3", 'T', "", "abc"));         // 5
    tables.AppendLine(BpdLine("DB1.TS4", 'T', " 2.5", "3.5 "));    // 6
    tables.AppendLine("BPS BP2");                                  // 7
    // No pool is shared: every pool row counts all the same.
    tables.lvControl = {Row("BP1", 1, 6), Row("BP2", std::nullopt, std::nullopt)};
    DirectoryRatioSums sums = TallyPoolRows(tables).ratio;
    EXPECT_EQ(sums.sumA, 200002);
    EXPECT_EQ(sums.sumB, 1004);
    EXPECT_EQ(sums.cachedTableSpaces, 0);
    EXPECT_EQ(CalcDirectoryRatio(sums), 10);  // 200002 / 1004 / 20 + 0.5 = 10.46

    // Caching a table space with larger A enlarges the denominator.
    tables.lstData[1].ItemData = -1;
    tables.lstData[3].ItemData = -1;  // an index space: cached but not counted
    sums = TallyPoolRows(tables).ratio;
    EXPECT_EQ(sums.cachedTableSpaces, 1);
    EXPECT_EQ(sums.Denominator(), 200904);
    EXPECT_EQ(CalcDirectoryRatio(sums), 3);  // 0.55 rounds to 1, raised to 3

    // Split over two threads at line 4, inside BP1's range, the tally is the same.
    const PoolRowTally split = TallyPoolRows(tables, 0);
    EXPECT_EQ(split.ratio.sumA, 200002);
    EXPECT_EQ(split.ratio.Denominator(), 200904);
    EXPECT_EQ(split.ratio.cachedTableSpaces, 1);
    EXPECT_EQ(split.tableSpaces, (std::vector<int64_t>{4, 0}));
    EXPECT_EQ(split.cachedObjects, (std::vector<int64_t>{2, 0}));
}

TEST(MbRoundingTest, EcsaPlusTwoAndFourKilobytePagesRoundHalfToEven) {
    const std::pair<const char*, int64_t> ecsa[] = {
        {"4", 6}, {"4.5", 6}, {"5.5", 8}, {"", 2}, {"abc", 2}, {" 1 0 ", 12}, {"-3", -1},
    };
    for (const auto& [text, mb] : ecsa) {
        EXPECT_EQ(CalcIrlmEcsaSize(text), mb) << '"' << text << '"';
    }
    const std::pair<int64_t, int64_t> pages[] = {
        {0, 0}, {2000, 8}, {3100, 12}, {3125, 12}, {3375, 14}, {1000000000000, 4000000000},
    };
    for (const auto& [count, mb] : pages) {
        EXPECT_EQ(GbpMemoryMb(count), mb) << count;
    }
}

TEST(GbpSizeTest, WorkedExamplesRulesAndRounding) {
    struct Case {
        const char* what;
        GbpInputs in;  // {table spaces, cached, VP, HP, numerator, denominator, Cache All, members}
        int64_t pages;
    };
    const Case cases[] = {
        {"share 40: 0.75", {200, 80, 5000, 1000, 7, 9, false, 2}, 8000},
        {"share 39: 0.5", {200, 78, 5000, 1000, 7, 9, false, 2}, 5000},
        {"share 75: 1.0", {200, 150, 4000, 0, 7, 9, true, 1}, 4000},
        {"activity 0.03 raised to 0.05: 600", {200, 0, 5000, 1000, 30, 1000, false, 2}, 1000},
        {"activity 0.3: 1200", {200, 0, 2000, 0, 300, 1000, false, 2}, 2000},
        {"no table space: activity, 2250", {0, 40, 3000, 800, 500, 1000, true, 1.5}, 3000},
        {"no activity", {200, 0, 5000, 1000, 0, 1000, false, 2}, 0},
        {"no denominator", {200, 0, 5000, 1000, 1000, 0, false, 2}, 0},
        {"exactly 3000 stays", {0, 0, 3000, 0, 1, 1, false, 1}, 3000},
        {"3001 goes up", {0, 0, 3001, 0, 1, 1, false, 1}, 4000},
        {"share above 100", {10, 30, 1000, 500, 0, 0, false, 1}, 1000},
        {"share 39.5 rounds to 40", {200, 79, 2000, 0, 0, 0, false, 1}, 2000},
        {"share 74.5 rounds to 74", {200, 149, 4000, 0, 0, 0, false, 1}, 3000},
        {"activity with Cache All leaves HP out", {200, 0, 5000, 1000, 300, 1000, true, 2}, 3000},
        {"activity without Cache All adds HP", {200, 0, 5000, 1000, 300, 1000, false, 2}, 4000},
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

#include "core/pool_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "core/tables.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Put;
using testing::Row;

TEST(QualifyingTableSpaceTest, OnlyTableSpacesOutsideTheWorkFileDatabase) {
    const std::pair<std::string, bool> cases[] = {
        {BpdLine("DB1.TS1"), true},
        {BpdLine("DB1.TS1", 't'), false},
        {BpdLine("DB1.IX1", 'I'), false},
        {BpdLine("DSNDB07.DSN4K01"), false},
        {BpdLine("DSNDB07X.TS1"), false},
        {BpdLine("XDSNDB07"), false},
        {BpdLine("dsndb07.TS1"), true},              // the database test is exact case
        {"BPD" + std::string(25, ' ') + "T", true},  // ends before the name
        {"BPD", false},                              // ends before the kind column
        // DSNDB07 in the statistics that follow the name field does not disqualify.
        {BpdLine("DB1.TS1", 'T', "DSNDB07"), true},
        // A name cut short by the end of the line is still tested.
        {"BPD" + std::string(25, ' ') + "TDSNDB0", true},
        {"BPD" + std::string(25, ' ') + "TDSNDB07", false},
    };
    for (const auto& [line, qualifies] : cases) {
        EXPECT_EQ(IsQualifyingTableSpace(line), qualifies) << '"' << line << '"';
    }
}

TEST(PoolRowCountsTest, CountsOnlyWholeRangesWithinTheLineStore) {
    CoreTables tables;
    tables.AppendLine(BpsLine("BP1", "100"));        // 0
    tables.AppendLine(BpdLine("DB1.TS1"), -1);       // 1 cached table space
    tables.AppendLine(BpdLine("DB1.IX1", 'I'), -1);  // 2 cached index space
    tables.AppendLine("a trailer line of no kind");  // 3
    tables.AppendLine(BpdLine("DSNDB07.TS1"));       // 4
    tables.AppendLine(BpdLine("DB2.TS2"));           // 5
    EXPECT_EQ(SumPoolTableSpaceObjects(tables, Row("BP1", 1, 5)), 2);
    EXPECT_EQ(CountCachedObjects(tables, Row("BP1", 1, 5)), 2);
    for (const PoolRow& row : {Row("BP1", {}, {}, 0), Row("BP1", {}, 5, 0), Row("BP1", 1, {}, 0),
                               Row("BP1", 100, 99), Row("BP1", 3, 1)}) {
        EXPECT_EQ(SumPoolTableSpaceObjects(tables, row), 0);
        EXPECT_EQ(CountCachedObjects(tables, row), 0);
    }
    // Lines beyond the line store hold no objects.
    EXPECT_EQ(ObjectLines(tables, Row("BP1", 4, 40)).size(), 2u);
    EXPECT_EQ(SumPoolTableSpaceObjects(tables, Row("BP1", 4, 40)), 1);
}

TEST(ReadPoolStatisticTest, ReadsEachFieldLeniently) {
    CoreTables tables;
    tables.AppendLine(BpsLine("BP1", "1 234", " 56", "300", "1000"));
    tables.AppendLine(BpsLine("BP1", std::string(10, ' '), "12.5", "13.5", "2.5e2"));
    using S = PoolStatistic;
    const std::tuple<int64_t, PoolStatistic, int32_t> cases[] = {
        {0, S::kVpSize, 1234},        {0, S::kHpSize, 56},
        {0, S::kRatioNumerator, 300}, {0, S::kRatioDenominator, 1000},
        {1, S::kVpSize, 0},           {1, S::kHpSize, 12},
        {1, S::kRatioNumerator, 14},  {1, S::kRatioDenominator, 250}};
    for (const auto& [line, statistic, expected] : cases) {
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", line), expected)
            << "line " << line << " statistic " << static_cast<int>(statistic);
    }
}

TEST(ReadPoolStatisticTest, GivesZeroWhenTheLineIsNotThePoolsOrTheValueDoesNotFit) {
    CoreTables tables;
    tables.AppendLine(BpsLine("bp1", "100", "100", "100", "100"));
    tables.AppendLine(Put(BpsLine("BP1", "100"), 1, "XXX"));  // no "BPS" left in the line
    tables.AppendLine(BpsLine("BP1", "9999999999", "9999999999", "9999999999"));
    tables.AppendLine(BpsLine("BP1", "2147483647"));
    for (const auto statistic :
         {PoolStatistic::kVpSize, PoolStatistic::kHpSize, PoolStatistic::kRatioNumerator}) {
        for (const int64_t line : {0, 1, 2, -1, 4}) {
            EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", line), 0) << line;
        }
    }
    // The name is trimmed before the test.
    EXPECT_EQ(ReadPoolStatistic(tables, PoolStatistic::kVpSize, " BP1  ", 3), 2147483647);
}

TEST(PoolStatisticLineTest, LineBeforeTheObjectsElseTheRowsOwnBpsLine) {
    EXPECT_EQ(PoolStatisticLine(Row("BP1", 7, 9, 5)), 6);
    EXPECT_EQ(PoolStatisticLine(Row("BP1", std::nullopt, std::nullopt, 5)), 5);
    EXPECT_EQ(PoolStatisticLine(Row("BP1", std::nullopt, 9, 5)), 5);
}

}  // namespace
}  // namespace core

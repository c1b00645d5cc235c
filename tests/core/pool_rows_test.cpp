#include "pool_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

std::string Put(std::string line, size_t column, std::string_view text) {
    testing::PutAt(line, column, text);
    return line;
}

std::string BpsLine(std::string_view pool, std::string_view vp, std::string_view hp = "",
                    std::string_view numerator = "", std::string_view denominator = "") {
    std::string line = Put("BPS", 21, pool);
    line = Put(line, 34, vp);
    line = Put(line, 50, hp);
    line = Put(line, 67, denominator);
    return Put(line, 349, numerator);
}

std::string BpdLine(std::string_view kind, std::string_view name) {
    return Put(Put("BPD", 29, kind), 30, name);
}

PoolRow Row(std::string pool, std::optional<int32_t> start, std::optional<int32_t> end,
            int32_t bpsLine = -1) {
    PoolRow row;
    row.BPool = std::move(pool);
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    row.bpsLineIndex = bpsLine;
    return row;
}

TEST(QualifyingTableSpaceTest, OnlyTableSpacesOutsideTheWorkFileDatabase) {
    struct Case {
        std::string line;
        bool qualifies;
    };
    const Case cases[] = {
        {BpdLine("T", "DB1.TS1"), true},
        {BpdLine("t", "DB1.TS1"), false},
        {BpdLine("I", "DB1.IX1"), false},
        {BpdLine("T", "DSNDB07.DSN4K01"), false},
        {BpdLine("T", "DSNDB07X.TS1"), false},
        {BpdLine("T", "XDSNDB07"), false},
        {BpdLine("T", "dsndb07.TS1"), true},  // the database test is exact case
        {BpdLine("T", ""), true},
        {"BPD", false},  // ends before the kind column
        // DSNDB07 in the statistics that follow the name field does not disqualify.
        {Put(BpdLine("T", "DB1.TS1"), 57, "DSNDB07"), true},
        // A name cut short by the end of the line is still tested.
        {"BPD" + std::string(25, ' ') + "TDSNDB0", true},
        {"BPD" + std::string(25, ' ') + "TDSNDB07", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsQualifyingTableSpace(c.line), c.qualifies) << '"' << c.line << '"';
    }
}

class PoolRowCountsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.AppendLine(BpsLine("BP1", "100"));        // 0
        tables.AppendLine(BpdLine("T", "DB1.TS1"), -1);  // 1 cached table space
        tables.AppendLine(BpdLine("I", "DB1.IX1"), -1);  // 2 cached index space
        tables.AppendLine("a trailer line of no kind");  // 3
        tables.AppendLine(BpdLine("T", "DSNDB07.TS1"));  // 4
        tables.AppendLine(BpdLine("T", "DB2.TS2"));      // 5
    }
    CoreTables tables;
};

TEST_F(PoolRowCountsTest, CountsOverTheWholeRange) {
    const PoolRow row = Row("BP1", 1, 5);
    EXPECT_EQ(SumPoolTableSpaceObjects(tables, row), 2);
    EXPECT_EQ(CountCachedObjects(tables, row), 2);
}

TEST_F(PoolRowCountsTest, RowsWithoutObjectLinesCountNothing) {
    for (const PoolRow& row :
         {Row("BP1", std::nullopt, std::nullopt, 0), Row("BP1", std::nullopt, 5, 0),
          Row("BP1", 1, std::nullopt, 0), Row("BP1", 100, 99), Row("BP1", 3, 1)}) {
        EXPECT_EQ(SumPoolTableSpaceObjects(tables, row), 0);
        EXPECT_EQ(CountCachedObjects(tables, row), 0);
    }
}

TEST_F(PoolRowCountsTest, LinesBeyondTheLineStoreHoldNoObjects) {
    const PoolRow row = Row("BP1", 4, 40);
    EXPECT_EQ(ObjectLines(tables, row).size(), 2u);
    EXPECT_EQ(SumPoolTableSpaceObjects(tables, row), 1);
}

TEST(ReadPoolStatisticTest, ReadsEachFieldLeniently) {
    CoreTables tables;
    tables.AppendLine(BpsLine("BP1", "1 234", " 56", "300", "1000"));
    tables.AppendLine(BpsLine("BP1", std::string(10, ' '), "12.5", "13.5", "2.5e2"));
    struct Case {
        int64_t line;
        PoolStatistic statistic;
        int32_t expected;
    };
    const Case cases[] = {
        {0, PoolStatistic::kVpSize, 1234},        {0, PoolStatistic::kHpSize, 56},
        {0, PoolStatistic::kRatioNumerator, 300}, {0, PoolStatistic::kRatioDenominator, 1000},
        {1, PoolStatistic::kVpSize, 0},           {1, PoolStatistic::kHpSize, 12},
        {1, PoolStatistic::kRatioNumerator, 14},  {1, PoolStatistic::kRatioDenominator, 250},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadPoolStatistic(tables, c.statistic, "BP1", c.line), c.expected)
            << "line " << c.line << " statistic " << static_cast<int>(c.statistic);
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
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", 0), 0);
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", 1), 0);
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", 2), 0);
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", -1), 0);
        EXPECT_EQ(ReadPoolStatistic(tables, statistic, "BP1", 4), 0);
    }
    EXPECT_EQ(ReadPoolStatistic(tables, PoolStatistic::kVpSize, "BP1", 3), 2147483647);
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

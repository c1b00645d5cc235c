#include "object_selection.h"

#include <gtest/gtest.h>

#include <string>

#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

using testing::BpdLine;

PoolRow Row(std::string pool, std::optional<int32_t> start, std::optional<int32_t> end) {
    PoolRow row;
    row.BPool = std::move(pool);
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    return row;
}

// Three files. BP1: lines 1-2 of the first file, none in the second (its row has only an end, as
// the last pool of a file without object lines gets), lines 9-11 of the third. BP2: lines 4-6.
class ObjectSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.AppendLine("BPS BP1");                                    // 0
        tables.AppendLine(BpdLine("DB1.TS1"));                           // 1
        tables.AppendLine(BpdLine("DB1.TS2"));                           // 2
        tables.AppendLine("BPS BP2");                                    // 3
        tables.AppendLine(BpdLine("DB2.TS1"));                           // 4
        tables.AppendLine(BpdLine("DB2.TS2"));                           // 5
        tables.AppendLine(BpdLine("DB2.TS3"));                           // 6
        tables.AppendLine("BPS BP1");                                    // 7
        tables.AppendLine("BPS BP9");                                    // 8
        tables.AppendLine(BpdLine("DB1.TS3"));                           // 9
        tables.AppendLine(BpdLine("DB1.TS4"));                           // 10
        tables.AppendLine(BpdLine("A-NAME-LONGER-THAN-27-CHARACTERS"));  // 11
        tables.lvControl = {Row("BP1", 1, 2), Row("BP2", 4, 6), Row("BP1", std::nullopt, 7),
                            Row("bp1", 9, 11)};
    }

    void Cache(std::initializer_list<int32_t> lines) {
        for (const int32_t line : lines) {
            tables.lstData[static_cast<size_t>(line)].ItemData = -1;
        }
    }

    std::vector<bool> CacheAllFlags() const {
        std::vector<bool> flags;
        for (const PoolRow& row : tables.lvControl) {
            flags.push_back(row.CacheAll);
        }
        return flags;
    }

    CoreTables tables;
    PoolObjects page;
};

TEST_F(ObjectSelectionTest, KeysAndNamesOfObjectEntries) {
    EXPECT_EQ(ObjectKey(12), "O12");
    EXPECT_EQ(ObjectKey(0), "O0");
    EXPECT_EQ(ObjectName(tables, 1), "DB1.TS1" + std::string(20, ' '));  // blanks kept
    EXPECT_EQ(ObjectName(tables, 11), "A-NAME-LONGER-THAN-27-CHARA");
    EXPECT_EQ(ObjectName(tables, 0), "");
    EXPECT_EQ(ObjectName(tables, 99), "");
    tables.AppendLine("BPD" + std::string(25, ' ') + "TDB9");  // ends inside the name
    EXPECT_EQ(ObjectName(tables, 12), "DB9");
}

TEST_F(ObjectSelectionTest, ListsEveryFileOfThePoolSkippingRowsWithoutObjects) {
    Cache({2, 10});
    ShowPoolObjects(tables, " BP1 ", page);
    EXPECT_EQ(page.poolName, "BP1");
    EXPECT_EQ(page.lines, (std::vector<int32_t>{1, 2, 9, 10, 11}));
    EXPECT_EQ(page.listed, 5);
    EXPECT_EQ(page.cached, 2);
    EXPECT_TRUE(page.countsVisible);
    EXPECT_EQ(page.box, CacheBoxState::kMixed);
}

TEST_F(ObjectSelectionTest, BoxShowsWhetherAllSomeOrNoneAreCached) {
    ShowPoolObjects(tables, "BP2", page);
    EXPECT_EQ(page.box, CacheBoxState::kUnchecked);
    Cache({4, 5});
    ShowPoolObjects(tables, "BP2", page);
    EXPECT_EQ(page.box, CacheBoxState::kMixed);
    Cache({6});
    ShowPoolObjects(tables, "BP2", page);
    EXPECT_EQ(page.box, CacheBoxState::kChecked);
    EXPECT_EQ(page.listed, 3);
    EXPECT_EQ(page.cached, 3);
}

TEST_F(ObjectSelectionTest, PoolWithoutObjectsKeepsTheBox) {
    page.box = CacheBoxState::kMixed;
    ShowPoolObjects(tables, "BP9", page);
    EXPECT_TRUE(page.lines.empty());
    EXPECT_EQ(page.listed, 0);
    EXPECT_EQ(page.cached, 0);
    EXPECT_TRUE(page.countsVisible);
    EXPECT_EQ(page.box, CacheBoxState::kMixed);
}

TEST_F(ObjectSelectionTest, CheckingTheLastUncachedObjectChecksTheBoxAndCachesAllRows) {
    Cache({1, 2, 9, 10});
    ShowPoolObjects(tables, "BP1", page);
    ToggleObjectCached(tables, page, 4, true);
    EXPECT_EQ(tables.lstData[11].ItemData, -1);
    EXPECT_EQ(page.cached, 5);
    EXPECT_EQ(page.box, CacheBoxState::kChecked);
    // Every row of the pool, the row without objects included; BP2 untouched.
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{true, false, true, true}));

    ToggleObjectCached(tables, page, 0, false);
    EXPECT_EQ(tables.lstData[1].ItemData, 0);
    EXPECT_EQ(page.cached, 4);
    EXPECT_EQ(page.box, CacheBoxState::kMixed);
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{false, false, false, false}));
}

TEST_F(ObjectSelectionTest, UncheckingTheOnlyCachedObjectUnchecksTheBox) {
    Cache({5});
    ShowPoolObjects(tables, "BP2", page);
    tables.lvControl[1].CacheAll = true;
    ToggleObjectCached(tables, page, 1, false);
    EXPECT_EQ(tables.lstData[5].ItemData, 0);
    EXPECT_EQ(page.cached, 0);
    EXPECT_EQ(page.box, CacheBoxState::kUnchecked);
    EXPECT_FALSE(tables.lvControl[1].CacheAll);
}

TEST_F(ObjectSelectionTest, CheckedBoxCachesEveryListedObject) {
    Cache({9});
    ShowPoolObjects(tables, "BP1", page);
    page.box = CacheBoxState::kChecked;
    CacheAllObjects(tables, page);
    for (const int32_t line : {1, 2, 9, 10, 11}) {
        EXPECT_EQ(tables.lstData[static_cast<size_t>(line)].ItemData, -1) << line;
    }
    EXPECT_EQ(tables.lstData[4].ItemData, 0);
    EXPECT_EQ(page.cached, 5);
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{true, false, true, true}));
}

TEST_F(ObjectSelectionTest, UncheckedBoxUncachesEveryListedObjectAndClearsCacheAll) {
    Cache({1, 2, 9, 10, 11, 4});
    ShowPoolObjects(tables, "BP1", page);
    for (PoolRow& row : tables.lvControl) {
        row.CacheAll = true;
    }
    page.box = CacheBoxState::kUnchecked;
    CacheAllObjects(tables, page);
    for (const int32_t line : {1, 2, 9, 10, 11}) {
        EXPECT_EQ(tables.lstData[static_cast<size_t>(line)].ItemData, 0) << line;
    }
    EXPECT_EQ(tables.lstData[4].ItemData, -1);
    EXPECT_EQ(page.cached, 0);
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(ObjectSelectionTest, MixedBoxChangesNothing) {
    Cache({1});
    ShowPoolObjects(tables, "BP1", page);
    ASSERT_EQ(page.box, CacheBoxState::kMixed);
    CacheAllObjects(tables, page);
    EXPECT_EQ(tables.lstData[2].ItemData, 0);
    EXPECT_EQ(page.cached, 1);
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{false, false, false, false}));
}

TEST_F(ObjectSelectionTest, AfterAPageChangeTheBoxChangesNoObjectAndNoRow) {
    ShowPoolObjects(tables, "BP2", page);
    ClearPoolObjects(page);
    EXPECT_FALSE(page.countsVisible);
    EXPECT_TRUE(page.poolName.empty());
    page.box = CacheBoxState::kChecked;
    CacheAllObjects(tables, page);
    EXPECT_EQ(page.cached, 0);
    for (const DataLine& line : tables.lstData) {
        EXPECT_EQ(line.ItemData, 0);
    }
    EXPECT_EQ(CacheAllFlags(), (std::vector<bool>{false, false, false, false}));
}

TEST_F(ObjectSelectionTest, SelectingNoPoolLeavesThePageAlone) {
    ShowPoolObjects(tables, "BP2", page);
    ShowPoolObjects(tables, "  ", page);
    EXPECT_EQ(page.poolName, "BP2");
    EXPECT_EQ(page.listed, 3);
}

TEST(ObjectSelectionLargeTest, ListsMoreThan32767Objects) {
    CoreTables tables;
    tables.AppendLine("BPS BP1");
    for (int i = 0; i < 40000; ++i) {
        tables.AppendLine(BpdLine("DB.TS"), i % 2 == 0 ? -1 : 0);
    }
    PoolRow row;
    row.BPool = "BP1";
    row.StartObjectIndex = 1;
    row.EndObjectIndex = 40000;
    tables.lvControl = {row};
    PoolObjects page;
    ShowPoolObjects(tables, "BP1", page);
    EXPECT_EQ(page.listed, 40000);
    EXPECT_EQ(page.cached, 20000);
    EXPECT_EQ(page.lines.back(), 40000);
}

}  // namespace
}  // namespace core

#include "core/object_selection.h"

#include <gtest/gtest.h>

#include <string>

#include "core/tables.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::Row;

// Three files. BP1: lines 1-2 of the first file, none in the second (its row has only an end, as
// the last pool of a file without object lines gets), lines 9-11 of the third. BP2: lines 4-6.
class ObjectSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& line :
             {std::string("BPS BP1"), BpdLine("DB1.TS1"), BpdLine("DB1.TS2"),      // 0-2
              std::string("BPS BP2"), BpdLine("DB2.TS1"), BpdLine("DB2.TS2"),      // 3-5
              BpdLine("DB2.TS3"), std::string("BPS BP1"), std::string("BPS BP9"),  // 6-8
              BpdLine("DB1.TS3"), BpdLine("DB1.TS4"),
              BpdLine("A-NAME-LONGER-THAN-27-CHARACTERS")}) {
            tables.AppendLine(line);
        }
        tables.lvControl = {Row("BP1", 1, 2), Row("BP2", 4, 6), Row("BP1", std::nullopt, 7),
                            Row("bp1", 9, 11)};
    }

    void Cache(std::initializer_list<int32_t> lines) {
        for (const int32_t line : lines) {
            tables.lstData[static_cast<size_t>(line)].ItemData = -1;
        }
    }

    // "cached lines | page counts | box | Cache All of each row", e.g. "1 9 | 2 of 5 | mixed |
    // FFFF".
    std::string State() const {
        std::string s;
        for (size_t i = 0; i < tables.lstData.size(); ++i) {
            s += tables.lstData[i].ItemData == -1 ? std::to_string(i) + " " : "";
        }
        s += "| " + std::to_string(page.cached) + " of " + std::to_string(page.listed) + " | ";
        s += page.box == CacheBoxState::kChecked ? "checked"
             : page.box == CacheBoxState::kMixed ? "mixed"
                                                 : "unchecked";
        s += " | ";
        for (const PoolRow& row : tables.lvControl) {
            s += row.CacheAll ? 'T' : 'F';
        }
        return s;
    }

    CoreTables tables;
    PoolObjects page;
};

TEST_F(ObjectSelectionTest, NamesOfObjectEntries) {
    EXPECT_EQ(ObjectName(tables, 11), "A-NAME-LONGER-THAN-27-CHARA");
    EXPECT_EQ(ObjectName(tables, 99), "");
    tables.AppendLine("BPD" + std::string(25, ' ') + "TDB9");  // ends inside the name
    EXPECT_EQ(ObjectName(tables, 12), "DB9");
}

TEST_F(ObjectSelectionTest, ListsEveryFileOfThePoolSkippingRowsWithoutObjects) {
    Cache({2, 10});
    ShowPoolObjects(tables, " BP1 ", page);
    EXPECT_EQ(page.poolName, "BP1");
    EXPECT_EQ(page.lines, (std::vector<int32_t>{1, 2, 9, 10, 11}));
    EXPECT_TRUE(page.countsVisible);
    EXPECT_EQ(State(), "2 10 | 2 of 5 | mixed | FFFF");
    ShowPoolObjects(tables, "  ", page);  // no pool selected: the page stays
    EXPECT_EQ(page.poolName, "BP1");
    EXPECT_EQ(page.lines.size(), 5u);
    // A pool without objects keeps the box.
    ShowPoolObjects(tables, "BP9", page);
    EXPECT_TRUE(page.lines.empty() && page.countsVisible);
    EXPECT_EQ(State(), "2 10 | 0 of 0 | mixed | FFFF");
    ShowPoolObjects(tables, "BP2", page);
    EXPECT_EQ(State(), "2 10 | 0 of 3 | unchecked | FFFF");
}

TEST_F(ObjectSelectionTest, TogglingAnObjectUpdatesCountsBoxAndCacheAll) {
    Cache({1, 2, 9, 10});
    ShowPoolObjects(tables, "BP1", page);
    ToggleObjectCached(tables, page, 4, true);  // the last uncached one
    // Every row of the pool, the row without objects included; BP2 untouched.
    EXPECT_EQ(State(), "1 2 9 10 11 | 5 of 5 | checked | TFTT");
    ToggleObjectCached(tables, page, 0, false);
    EXPECT_EQ(State(), "2 9 10 11 | 4 of 5 | mixed | FFFF");
}

TEST_F(ObjectSelectionTest, TheBoxActsOnEveryListedObjectAndTheCacheAllFlags) {
    // BP1 starts with line 1 cached, BP2 with line 4.
    const std::tuple<CacheBoxState, bool, std::string> cases[] = {
        {CacheBoxState::kChecked, false, "1 2 4 9 10 11 | 5 of 5 | checked | TFTT"},
        {CacheBoxState::kUnchecked, true, "4 | 0 of 5 | unchecked | FTFF"},
        {CacheBoxState::kMixed, true, "1 4 | 1 of 5 | mixed | TTTT"},  // changes nothing
    };
    for (const auto& [box, cacheAllBefore, state] : cases) {
        tables = CoreTables{};
        page = PoolObjects{};
        SetUp();
        Cache({1, 4});
        ShowPoolObjects(tables, "BP1", page);
        for (PoolRow& row : tables.lvControl) {
            row.CacheAll = cacheAllBefore;
        }
        page.box = box;
        CacheAllObjects(tables, page);
        EXPECT_EQ(State(), state);
    }
}

TEST_F(ObjectSelectionTest, FilterKeepsTheListAndTheCountsAndIgnoresLetterCase) {
    ShowPoolObjects(tables, "BP1", page);  // DB1.TS1, DB1.TS2, DB1.TS3, DB1.TS4, A-NAME-...
    const struct {
        const char* text;
        std::vector<size_t> shown;
    } cases[] = {
        {"", {0, 1, 2, 3, 4}}, {"ts", {0, 1, 2, 3}}, {"db1.Ts3", {2}},
        {"name-l", {4}},       {"DB1.TS5", {}},      {"CHARACTERS", {}},  // past column 27
        {"DB1.TS1 x", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterPoolObjects(tables, page, c.text), c.shown) << c.text;
    }
    EXPECT_EQ(page.listed, 5);
}

TEST(ObjectSelectionPlaceTest, EachStoredLineIsTracedToItsFileAndLine) {
    using testing::Crlf;
    const std::string bp1 = Crlf({testing::kHeader, testing::BpsLine("BP1")});
    CoreTables tables;
    ASSERT_TRUE(
        testing::LoadFiles(tables, {{"/d/a.sta", bp1 + Crlf({BpdLine("DB.A"), BpdLine("DB.B")})},
                                    {"/d/empty.sta", Crlf({testing::kHeader})},
                                    {"/d/b.sta", bp1 + Crlf({BpdLine("DB.C")})}})
            .ok());
    std::string places;
    for (int32_t k = -1; k <= static_cast<int32_t>(tables.lstData.size()); ++k) {
        const std::optional<LinePlace> place = PlaceOfLine(tables, k);
        places +=
            place ? std::to_string(place->fileNo) + ":" + std::to_string(place->line) + " " : "- ";
    }
    EXPECT_EQ(places, "- 0:2 0:3 0:4 2:2 2:3 - ");
}

TEST(ObjectSelectionLargeTest, ListsMoreThan32767Objects) {
    CoreTables tables;
    tables.AppendLine("BPS BP1");
    for (int i = 0; i < 40000; ++i) {
        tables.AppendLine(BpdLine("DB.TS"), i % 2 == 0 ? -1 : 0);
    }
    tables.lvControl = {Row("BP1", 1, 40000)};
    PoolObjects page;
    ShowPoolObjects(tables, "BP1", page);
    EXPECT_EQ(page.listed, 40000);
    EXPECT_EQ(page.cached, 20000);
    EXPECT_EQ(page.lines.back(), 40000);
}

}  // namespace
}  // namespace core

#include "core/tables.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(TablesTest, FindListEntryMatchesWholeTextIgnoringCase) {
    const std::vector<std::string> list{"BP1", "bp10", "BP2", "bp1"};
    EXPECT_EQ(FindListEntry(list, "bp1"), 0);
    EXPECT_EQ(FindListEntry(list, "BP10"), 1);
    EXPECT_EQ(FindListEntry(list, "BP"), -1);
    EXPECT_EQ(FindListEntry({}, "BP1"), -1);
}

// Paths that are not there compare as text; loader_test has the files on disk.
TEST(TablesTest, AddingAFileTwiceListsItOnceButMarksTheChange) {
    CoreTables t;
    EXPECT_TRUE(AddSelectedFile(t, " /data/Day1.sta"));
    EXPECT_TRUE(AddSelectedFile(t, "/DATA/day1.STA"));
    t.FilesChanged = false;
    EXPECT_FALSE(AddSelectedFile(t, "/DATA/day1.STA"));
    EXPECT_TRUE(t.FilesChanged);
    EXPECT_EQ(t.lstSelectedFiles, (std::vector<std::string>{" /data/Day1.sta", "/DATA/day1.STA"}));
    RemoveSelectedFile(t, 0);
    EXPECT_EQ(t.lstSelectedFiles, std::vector<std::string>{"/DATA/day1.STA"});
}

TEST(TablesTest, SharedPoolListIsRebuiltInAlphabeticalOrder) {
    CoreTables t;
    t.lvSharedPools = {{"BP2", 1}, {" BP10 ", 1}, {"bp1", 1}};
    t.lstSharedPools = {"stale"};
    RebuildSharedPoolList(t);
    EXPECT_EQ(t.lstSharedPools, (std::vector<std::string>{"bp1", "BP10", "BP2"}));
}

TEST(TablesTest, LinesOutliveTheirSourceAndAMove) {
    CoreTables t;
    for (int i = 0; i < 1000; ++i) {
        t.AppendLine(std::string(40, 'x') + std::to_string(i));  // a temporary each time
    }
    CoreTables moved = std::move(t);
    EXPECT_EQ(moved.lstData[999].stored, std::string(40, 'x') + "999");
}

}  // namespace
}  // namespace core

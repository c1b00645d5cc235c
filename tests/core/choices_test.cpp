#include "core/choices.h"

#include <gtest/gtest.h>

#include "core/object_selection.h"
#include "core/pool_sharing.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::Row;

// Every kind of choice made and then put back, in any order: the tables come back exactly.
TEST(Choices, RestoredChoicesAreTheTakenOnesExactly) {
    CoreTables tables;
    for (const std::string& line : {std::string("BPS BP1"), BpdLine("DB1.TS1"), BpdLine("DB1.TS2"),
                                    std::string("BPS BP2"), BpdLine("DB2.TS1")}) {
        tables.AppendLine(line);
    }
    tables.lvControl = {Row("BP1", 1, 2), Row("BP2", 4, 4)};
    tables.lstPools = {"BP1", "BP2"};
    const Choices none = TakeChoices(tables);

    ASSERT_FALSE(SharePool(tables, 1));  // BP2
    const Choices shared = TakeChoices(tables);
    EXPECT_NE(shared, none);
    PoolObjects page;
    ShowPoolObjects(tables, "BP2", page);
    page.box = CacheBoxState::kChecked;
    CacheAllObjects(tables, page);
    const Choices cachedAll = TakeChoices(tables);
    EXPECT_EQ(cachedAll.cachedLines, std::vector<int32_t>{4});
    EXPECT_EQ(cachedAll.cacheAll, std::vector<bool>({false, true}));

    RestoreChoices(tables, shared);
    EXPECT_EQ(TakeChoices(tables), shared);
    EXPECT_EQ(tables.lstData[4].ItemData, 0);
    RestoreChoices(tables, none);
    EXPECT_EQ(TakeChoices(tables), none);
    EXPECT_EQ(tables.lstPools, std::vector<std::string>({"BP1", "BP2"}));
    RestoreChoices(tables, cachedAll);
    EXPECT_EQ(TakeChoices(tables), cachedAll);
    EXPECT_TRUE(tables.lvControl[1].CacheAll);
}

}  // namespace
}  // namespace core

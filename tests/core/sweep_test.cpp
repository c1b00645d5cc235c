#include "core/sweep.h"

#include <gtest/gtest.h>

#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/tables.h"

namespace core {
namespace {

// Both samples, every pool shared that can be, every fifth object line cached.
TEST(SweepTest, EveryPointEqualsAPlainRunAndLeavesTheTablesAlone) {
    CoreTables tables;
    for (const char* name : {"db1a.sta", "db1b.sim"}) {
        AddSelectedFile(tables, std::string(LOOMSTEAD_SAMPLES_DIR) + "/" + name);
    }
    ASSERT_TRUE(LoadDataFiles(tables, DiskFileSource{}).ok());
    CountWorkFileObjects(tables);
    (void)ShareAllPools(tables);
    RebuildSharedPoolList(tables);
    for (size_t k = 2; k < tables.lstData.size(); k += 5) {
        tables.lstData[k].ItemData = -1;
    }
    tables.lvControl[1].CacheAll = true;

    const std::vector<SweepPoint> points = SweepMembers(tables, "7.5", {1, 8});
    ASSERT_EQ(points.size(), 8u);
    for (const SweepPoint& point : points) {
        EXPECT_TRUE(point.result == RunSizing(tables, std::to_string(point.members), "7.5"))
            << point.members << " members";
    }
    EXPECT_EQ(points[3].members, 4);
    EXPECT_EQ(points[3].result.lockStructureSizeMb, 16);      // 4 x 8 / 2 x 1.1 = 17.6
    EXPECT_EQ(points.back().result.lockStructureSizeMb, 32);  // 35.2

    // Counts outside 1-32 are held there; an empty range gives nothing.
    const std::vector<SweepPoint> wide = SweepMembers(tables, "4", {0, 40});
    ASSERT_EQ(wide.size(), 32u);
    EXPECT_EQ(wide.front().members, 1);
    EXPECT_EQ(wide.back().members, 32);
    EXPECT_TRUE(SweepMembers(tables, "4", {5, 4}).empty());

    // Cancelled: it stops before the next member count, keeping the points it has.
    const std::atomic<bool> cancelled = true;
    EXPECT_TRUE(SweepMembers(tables, "4", {1, 32, &cancelled}).empty());
    const std::atomic<bool> running = false;
    EXPECT_EQ(SweepMembers(tables, "4", {1, 32, &running}).size(), 32u);
}

}  // namespace
}  // namespace core

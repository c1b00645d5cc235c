#include "core/sizing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pool_sharing.h"
#include "core/tables.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Put;
using testing::Row;
using Info = std::array<std::string, 4>;
using Recommendation = std::array<std::string, 5>;

// "pool shared cacheAll VP HP GBP"
std::string Text(const PoolResult& p) {
    return p.pool + " " + std::to_string(p.shared) + " " + std::to_string(p.cacheAll) + " " +
           std::to_string(p.vpSize) + " " + std::to_string(p.hpSize) + " " +
           std::to_string(p.gbpSize);
}

// BP1 reported by two files, BP2 (not shared) by the first.
class SizingRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.AppendLine(Put(BpsLine("BP1", "2000", "500", "300", "1000"), 142, "10.15.32"));
        tables.AppendLine(BpdLine("DB1.TS1", 'T', "20000", "500"));        // 1
        tables.AppendLine(BpdLine("DB1.TS2", 'T', "20000", "500"));        // 2
        tables.AppendLine(BpdLine("DB1.IX1", 'I', "x", "y"));              // 3
        tables.AppendLine(BpsLine("BP2", "1000", "0", "100", "1000"));     // 4
        tables.AppendLine(BpdLine("DB2.TS1", 'T', "20000", "0"));          // 5
        tables.AppendLine(BpsLine("BP1", "3000", "1000", "300", "1000"));  // 6
        tables.AppendLine(BpdLine("DB1.TS3", 'T', "0", "0"));              // 7
        tables.AppendLine(BpdLine("DB1.TS4", 'T', "60000", "1000"));       // 8
        tables.lvControl = {Row("BP1", 1, 3, 0), Row("BP2", 5, 5, 4), Row("BP1", 7, 8, 6, 1)};
        tables.lstSharedPools = {"BP1"};
    }
    CoreTables tables;
};

// BP1's rows size (2000 + 500) and (5000 + 1500) pages x members x 0.3; the limit is about
// 9.22e18.
TEST_F(SizingRunTest, UncachedEmptyMembersAtTheLimitAndAllCached) {
    // Uncached over two files.
    const SizingResult r = RunSizing(tables, " 2 ", "4");
    // Directory ratio: 120000 / 2000 / 20 + 0.5 = 3.5 -> 4. Memory: 8 + 24 + 6 + 8.
    EXPECT_EQ(r.lblInfo, (Info{"  10.15.32", "  1", "  2", "  5"}));
    EXPECT_EQ(r.lblRecommendation,
              (Recommendation{"  8 Mb", "  8 Mb", "  4", "  6 Mb", "  46 Mb"}));
    // First row: (2000 + 500) x 2 x 0.3 = 1500 -> 2000. Second row with both rows' sums:
    // (5000 + 1500) x 2 x 0.3 = 3900 -> 4000.
    EXPECT_EQ(r.gbpTotalPages, 6000);
    ASSERT_EQ(r.pools.size(), 1u);
    EXPECT_EQ(Text(r.pools[0]), "BP1 5 0 5000 1500 4000");
    // The cell shows the last row; the trace says the total adds both.
    EXPECT_EQ(r.pools[0].why.back(),
              "cells: Shared 5 object lines, Cache All 0, VP Size 5000, HP Size 1500, GBP Size "
              "4000 (the last row's); the total adds every row: 2000 + 4000 = 6000 pages");
    EXPECT_EQ(r.whyTotalMemory[0],
              "GBP pages of every row of the 1 shared pools: BP1 2000 + 4000 = 6000 (the GBP Size "
              "cells, each pool's last row, add up to 4000)");

    // Empty members count as none.
    const SizingResult none = RunSizing(tables, "", "");
    EXPECT_EQ(none.lblInfo[2], "  ");
    EXPECT_EQ(none.lblRecommendation,
              (Recommendation{"  8 Mb", "  8 Mb", "  4", "  2 Mb", "  18 Mb"}));
    EXPECT_EQ(none.gbpTotalPages, 0);

    // Figures held at the limit are marked with the typed number behind them.
    using F = HeldFigure;
    using N = TypedNumber;
    const std::tuple<const char*, const char*, std::vector<LimitMark>> cases[] = {
        {"2", "4", {}},
        // Rows of 3e18 and 7.8e18 pages: each fits, their sum does not.
        {"4e15", "4", {{F::kGbpTotal, N::kMembers, {}}}},
        // The last row, 1.95e19 pages, is the cell.
        {"1e16", "4", {{F::kGbpSize, N::kMembers, "BP1"}, {F::kGbpTotal, N::kMembers, {}}}},
        {"-1e16", "4", {{F::kGbpSize, N::kMembers, "BP1"}, {F::kGbpTotal, N::kMembers, {}}}},
        // The IRLM ECSA size at the limit carries the total memory over too.
        {"2", "9.3e18", {{F::kIrlmEcsaSize, N::kEcsa, {}}, {F::kTotalMemory, N::kEcsa, {}}}},
        // The IRLM ECSA size, read as a double, is 9223372036854773760: 2047 below the limit,
        // room for 24 Mb of GBP memory with 2 members, not for 10800000 Mb with a million.
        {"2", "9223372036854774000", {}},
        {"1e6", "9223372036854774000", {{F::kTotalMemory, N::kEcsa, {}}}},
    };
    for (const auto& [members, ecsa, marks] : cases) {
        EXPECT_EQ(RunSizing(tables, members, ecsa).heldAtLimit, marks) << members << " " << ecsa;
    }

    // All cached: no HP size.
    for (const int line : {1, 2, 3, 7, 8}) {
        tables.lstData[static_cast<size_t>(line)].ItemData = -1;
    }
    tables.lvControl[0].CacheAll = true;
    tables.lvControl[2].CacheAll = true;
    const SizingResult cached = RunSizing(tables, "2", "4");
    // 3 cached of 2 table spaces: factor 1.0, 2000 x 2; then 5000 x 2.
    ASSERT_EQ(cached.pools.size(), 1u);
    EXPECT_EQ(Text(cached.pools[0]), "BP1 5 5 5000 0 10000");
    EXPECT_EQ(cached.pools[0].why[1],
              "cached share = 3 cached / 2 table spaces x 100 = 150 %: factor 1 (below 40: 0.5, "
              "below 75: 0.75, else 1.0)");
    EXPECT_EQ(cached.pools[0].why[2], "VP 2000 x members 2 x 1 = 4000");
    EXPECT_EQ(cached.gbpTotalPages, 14000);
    // 4 cached table spaces: 120000 / (2000 + 98000) / 20 + 0.5 = 0.56 -> 1 -> 3.
    EXPECT_EQ(cached.directoryDataRatio, 3);
    EXPECT_EQ(cached.totalMemoryMb, 78);  // 8 + 56 + 6 + 8
}

TEST(SizingRunEmptyTest, NothingLoadedNothingShared) {
    CoreTables tables;
    const SizingResult r = RunSizing(tables, "1", "4");
    EXPECT_TRUE(r.pools.empty());
    EXPECT_EQ(r.lblInfo, (Info{"  ", "  0", "  1", "  0"}));
    EXPECT_EQ(r.lblRecommendation,
              (Recommendation{"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  22 Mb"}));

    // A shared pool that no pool row carries still gets its results row.
    tables.lstSharedPools = {"BP4"};
    EXPECT_EQ(Text(RunSizing(tables, "1", "4").pools.at(0)), "BP4 0 0 0 0 0");

    CoreTables shortLead;
    shortLead.AppendLine(Put("BPS", 142, "10.1"));
    EXPECT_EQ(RunSizing(shortLead, "1", "4").collectionTime, "10.1");
}

// One file, one pool BP1 of 120 object lines: 80 table spaces whose A add up to 40000 and B
// to 1000, and 40 index spaces; VP 2000, HP 0, activity 300 / 1000; members 2, ECSA 4.
TEST(SizingWorkedExampleTest, FromADataFileToEveryLabel) {
    std::string file = "LOOMSTEAD STATISTICS ENV=PROD\r\n" +
                       Put(BpsLine("BP1", "2000", "0", "300", "1000"), 142, "10.15.32") + "\r\n";
    for (int i = 0; i < 120; ++i) {
        const std::string name = "DB1.OBJ" + std::to_string(i);
        file += (i < 80 ? BpdLine(name, 'T', "500", i < 40 ? "12" : "13")
                        : BpdLine(name, 'I', "99999", "1")) +
                "\r\n";
    }
    CoreTables tables;
    ASSERT_TRUE(testing::LoadFiles(tables, {{"/data/worked.sta", file}}).ok());
    EXPECT_TRUE(ShareAllPools(tables).empty());
    RebuildSharedPoolList(tables);

    // The labels of this run are checked through the batch sizer's text report; here each
    // figure's trace, step by step with the values worked out above.
    const SizingResult r = RunSizing(tables, "2", "4");
    ASSERT_EQ(r.pools.size(), 1u);
    EXPECT_EQ(r.whyScaSize,
              (Trace{"qualifying table spaces (kind T, not DSNDB07) of every row of the 1 shared "
                     "pools: BP1 80 = 80",
                     "80 falls in the band below 450 table spaces = 8 Mb"}));
    EXPECT_EQ(r.whyLockStructureSize,
              (Trace{"members \"2\" read as 2, ECSA \"4\" read as 4 Mb",
                     "members x ECSA / 2 x 1.1 = 2 x 4 / 2 x 1.1 = 4.4, rounded to 4",
                     "fitted to a power of two from 8 to 64 Mb (up to 10 served by 8, up to 19 by "
                     "16, up to 36 by 32) = 8 Mb"}));
    EXPECT_EQ(r.whyDirectoryDataRatio,
              (Trace{"over the 80 qualifying table spaces of every pool row, shared or not: sum of "
                     "A (columns 57-66) = 40000, sum of B (columns 339-348) = 1000",
                     "denominator = sum of B + (A - B) of the 0 cached table spaces = 1000 + 0 = "
                     "1000",
                     "q = 40000 / 1000 / 20 + 0.5 = 2.5, rounded half to even = 2",
                     "at most 2 with fewer than 5 cached table spaces (0): raised to 3"}));
    EXPECT_EQ(r.whyIrlmEcsaSize, (Trace{"ECSA \"4\" read as 4 Mb", "4 + 2 = 6 Mb"}));
    EXPECT_EQ(r.whyTotalMemory,
              (Trace{"GBP pages of every row of the 1 shared pools: BP1 2000 = 2000",
                     "GBP memory = 2000 pages x 4 / 1000 (every page counted as 4 KB) = 8 Mb",
                     "total = SCA 8 + GBP memory 8 + IRLM ECSA 6 + lock structure 8 = 30 Mb"}));
    EXPECT_EQ(r.pools[0].why,
              (Trace{"row 1 of 1 (statistics at worked.sta line 2): 120 object lines, 80 table "
                     "spaces, 0 cached, Cache All F; virtual pool size VP (columns 34-43) 2000 "
                     "pages (pool so far 2000), hiperpool size HP (columns 50-59) 0 pages (so "
                     "far 0), activity ratio: numerator (columns 349-358) 300 / denominator "
                     "(columns 67-76) 1000",
                     "nothing of the row is cached: activity ratio 300 / 1000 = 0.3",
                     "(VP 2000 + HP 0) x members 2 x 0.3 = 1200",
                     "rounded up to a multiple of 1000 = 2000 pages",
                     "cells: Shared 120 object lines, Cache All 0, VP Size 2000, HP Size 0, GBP "
                     "Size 2000 pages, added to the total"}));
}

}  // namespace
}  // namespace core

#include "sizing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "loader.h"
#include "pool_sharing.h"
#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

std::string Put(std::string line, size_t column, std::string_view text) {
    testing::PutAt(line, column, text);
    return line;
}

std::string BpsLine(std::string_view pool, std::string_view vp, std::string_view hp,
                    std::string_view numerator, std::string_view denominator) {
    std::string line = Put("BPS", 21, pool);
    line = Put(line, 34, vp);
    line = Put(line, 50, hp);
    line = Put(line, 67, denominator);
    return Put(line, 349, numerator);
}

std::string BpdLine(std::string_view kind, std::string_view name, std::string_view a = "",
                    std::string_view b = "") {
    return Put(Put(Put(Put("BPD", 29, kind), 30, name), 57, a), 339, b);
}

PoolRow Row(int32_t fileNo, std::string pool, std::optional<int32_t> start,
            std::optional<int32_t> end, int32_t bpsLine) {
    PoolRow row;
    row.FileNo = fileNo;
    row.BPool = std::move(pool);
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    row.bpsLineIndex = bpsLine;
    return row;
}

class RecordingObserver : public SizingObserver {
public:
    void StepStarting(SizingStep step) override { texts.emplace_back(StatusText(step)); }
    std::vector<std::string> texts;
};

// BP1 reported by two files, BP2 (not shared) by the first.
class SizingRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.AppendLine(Put(BpsLine("BP1", "2000", "500", "300", "1000"), 142, "10.15.32"));
        tables.AppendLine(BpdLine("T", "DB1.TS1", "20000", "500"));        // 1
        tables.AppendLine(BpdLine("T", "DB1.TS2", "20000", "500"));        // 2
        tables.AppendLine(BpdLine("I", "DB1.IX1", "x", "y"));              // 3
        tables.AppendLine(BpsLine("BP2", "1000", "0", "100", "1000"));     // 4
        tables.AppendLine(BpdLine("T", "DB2.TS1", "20000", "0"));          // 5
        tables.AppendLine(BpsLine("BP1", "3000", "1000", "300", "1000"));  // 6
        tables.AppendLine(BpdLine("T", "DB1.TS3", "0", "0"));              // 7
        tables.AppendLine(BpdLine("T", "DB1.TS4", "60000", "1000"));       // 8
        tables.lvControl = {Row(0, "BP1", 1, 3, 0), Row(0, "BP2", 5, 5, 4), Row(1, "BP1", 7, 8, 6)};
        tables.lstSharedPools = {"BP1"};
    }
    CoreTables tables;
};

TEST_F(SizingRunTest, PoolOverTwoFilesUncached) {
    const SizingResult r = RunSizing(tables, " 2 ", "4");
    EXPECT_EQ(r.collectionTime, "10.15.32");
    EXPECT_EQ(r.poolsShared, 1);
    EXPECT_EQ(r.sharedDb2, "2");
    EXPECT_EQ(r.totalSystemObjects, 5);
    EXPECT_EQ(r.scaSizeMb, 8);
    EXPECT_EQ(r.lockStructureSizeMb, 8);
    EXPECT_EQ(r.directoryDataRatio, 4);  // 120000 / 2000 / 20 + 0.5 = 3.5
    EXPECT_EQ(r.irlmEcsaSizeMb, 6);
    // First row: (2000 + 500) x 2 x 0.3 = 1500 -> 2000. Second row with both rows' sums:
    // (5000 + 1500) x 2 x 0.3 = 3900 -> 4000.
    EXPECT_EQ(r.gbpTotalPages, 6000);
    EXPECT_EQ(r.totalMemoryMb, 46);  // 8 + 24 + 6 + 8
    ASSERT_EQ(r.pools.size(), 1u);
    const PoolResult& p = r.pools[0];
    EXPECT_EQ(p.pool, "BP1");
    EXPECT_EQ(p.shared, 5);
    EXPECT_EQ(p.cacheAll, 0);
    EXPECT_EQ(p.vpSize, 5000);
    EXPECT_EQ(p.hpSize, 1500);
    EXPECT_EQ(p.gbpSize, 4000);
    EXPECT_EQ(r.lblInfo, (std::array<std::string, 4>{"  10.15.32", "  1", "  2", "  5"}));
    EXPECT_EQ(r.lblRecommendation,
              (std::array<std::string, 5>{"  8 Mb", "  8 Mb", "  4", "  6 Mb", "  46 Mb"}));
}

TEST_F(SizingRunTest, PoolAllCachedShowsNoHpSize) {
    for (const int line : {1, 2, 3, 7, 8}) {
        tables.lstData[static_cast<size_t>(line)].ItemData = -1;
    }
    tables.lvControl[0].CacheAll = true;
    tables.lvControl[2].CacheAll = true;
    const SizingResult r = RunSizing(tables, "2", "4");
    ASSERT_EQ(r.pools.size(), 1u);
    const PoolResult& p = r.pools[0];
    EXPECT_EQ(p.cacheAll, 5);
    EXPECT_EQ(p.hpSize, 0);
    // 3 cached of 2 table spaces: factor 1.0, 2000 x 2; then 5000 x 2.
    EXPECT_EQ(p.gbpSize, 10000);
    EXPECT_EQ(r.gbpTotalPages, 14000);
    // 4 cached table spaces: 120000 / (2000 + 98000) / 20 + 0.5 = 0.56 -> 1 -> 3.
    EXPECT_EQ(r.directoryDataRatio, 3);
    EXPECT_EQ(r.totalMemoryMb, 78);  // 8 + 56 + 6 + 8
}

TEST_F(SizingRunTest, PoolRowWithoutObjectLinesSizedFromItsOwnBpsLine) {
    tables.AppendLine(BpsLine("BP3", "1000", "200", "500", "1000"));  // 9
    tables.lvControl.push_back(Row(1, "BP3", std::nullopt, 9, 9));
    tables.lstSharedPools = {"BP1", "BP3", "BP4"};  // BP4 has no pool row at all
    const SizingResult r = RunSizing(tables, "2", "4");
    EXPECT_EQ(r.totalSystemObjects, 5);
    EXPECT_EQ(r.scaSizeMb, 8);
    EXPECT_EQ(r.directoryDataRatio, 4);
    ASSERT_EQ(r.pools.size(), 3u);
    const PoolResult& bp3 = r.pools[1];
    EXPECT_EQ(bp3.pool, "BP3");
    EXPECT_EQ(bp3.shared, 0);
    EXPECT_EQ(bp3.cacheAll, 0);
    EXPECT_EQ(bp3.vpSize, 1000);
    EXPECT_EQ(bp3.hpSize, 0);
    EXPECT_EQ(bp3.gbpSize, 2000);  // (1000 + 200) x 2 x 0.5 = 1200
    const PoolResult& bp4 = r.pools[2];
    EXPECT_EQ(bp4.pool, "BP4");
    EXPECT_EQ(bp4.shared + bp4.cacheAll + bp4.vpSize + bp4.hpSize + bp4.gbpSize, 0);
    EXPECT_EQ(r.gbpTotalPages, 8000);
}

TEST_F(SizingRunTest, EmptyMembersCountAsNone) {
    const SizingResult r = RunSizing(tables, "", "");
    EXPECT_EQ(r.lblInfo[2], "  ");
    EXPECT_EQ(r.lockStructureSizeMb, 8);
    EXPECT_EQ(r.irlmEcsaSizeMb, 2);
    EXPECT_EQ(r.gbpTotalPages, 0);
    EXPECT_EQ(r.pools[0].gbpSize, 0);
    EXPECT_EQ(r.totalMemoryMb, 18);
}

TEST_F(SizingRunTest, StatusTextsInOrder) {
    RecordingObserver observer;
    (void)RunSizing(tables, "1", "4", &observer);
    EXPECT_EQ(observer.texts, (std::vector<std::string>{
                                  "Calculating SCA Size", "Calculating Lock Structure Size",
                                  "Calculating Directory Ratio", "Calculating ECSCA Size",
                                  "Calculating GB Pool Sizes", "Calculating Total Memory Reqd"}));
}

TEST(SizingRunScaTest, TableSpacesOfBothFilesReachTheNextSize) {
    CoreTables tables;
    for (int file = 0; file < 2; ++file) {
        const auto bps = static_cast<int32_t>(tables.lstData.size());
        tables.AppendLine(BpsLine("BP1", "1000", "0", "1", "1"));
        for (int i = 0; i < 225; ++i) {
            tables.AppendLine(BpdLine("T", "DB.TS" + std::to_string(i), "1", "1"));
        }
        tables.lvControl.push_back(Row(file, "BP1", bps + 1, bps + 225, bps));
    }
    tables.lstSharedPools = {"BP1"};
    EXPECT_EQ(RunSizing(tables, "1", "4").scaSizeMb, 16);  // 450 table spaces
    tables.lstData.back().text = "BPD";                    // one fewer
    EXPECT_EQ(RunSizing(tables, "1", "4").scaSizeMb, 8);
}

TEST(SizingRunEmptyTest, NothingLoadedNothingShared) {
    const SizingResult r = RunSizing(CoreTables{}, "1", "4");
    EXPECT_EQ(r.totalSystemObjects, 0);
    EXPECT_EQ(r.directoryDataRatio, std::nullopt);
    EXPECT_TRUE(r.pools.empty());
    EXPECT_EQ(r.lblInfo, (std::array<std::string, 4>{"  ", "  0", "  1", "  0"}));
    EXPECT_EQ(r.lblRecommendation,
              (std::array<std::string, 5>{"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  22 Mb"}));
}

TEST(SizingRunEmptyTest, ShortLeadLineGivesAShortCollectionTime) {
    CoreTables tables;
    tables.AppendLine(Put("BPS", 142, "10.1"));
    EXPECT_EQ(RunSizing(tables, "1", "4").collectionTime, "10.1");
}

// One file, one pool BP1 of 120 object lines: 80 table spaces whose A add up to 40000 and B
// to 1000, and 40 index spaces; VP 2000, HP 0, activity 300 / 1000; members 2, ECSA 4.
TEST(SizingWorkedExampleTest, FromADataFileToEveryLabel) {
    std::string file = "LOOMSTEAD STATISTICS ENV=PROD\r\n";
    file += Put(BpsLine("BP1", "2000", "0", "300", "1000"), 142, "10.15.32") + "\r\n";
    for (int i = 0; i < 120; ++i) {
        const std::string name = "DB1.OBJ" + std::to_string(i);
        if (i < 80) {
            file += BpdLine("T", name, "500", i < 40 ? "12" : "13") + "\r\n";
        } else {
            file += BpdLine("I", name, "99999", "1") + "\r\n";
        }
    }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("sizing_worked_example_" + std::to_string(::getpid()) + ".sta");
    std::ofstream(path, std::ios::binary) << file;

    CoreTables tables;
    ASSERT_TRUE(AddSelectedFile(tables, path.string()));
    const LoadResult load = LoadDataFiles(tables, DiskFileSource{});
    std::filesystem::remove(path);
    ASSERT_TRUE(load.ok()) << load.error->Detail();
    CountWorkFileObjects(tables);
    EXPECT_TRUE(ShareAllPools(tables).empty());
    RebuildSharedPoolList(tables);

    const SizingResult r = RunSizing(tables, "2", "4");
    EXPECT_EQ(r.lblInfo, (std::array<std::string, 4>{"  10.15.32", "  1", "  2", "  119"}));
    EXPECT_EQ(r.lblRecommendation,
              (std::array<std::string, 5>{"  8 Mb", "  8 Mb", "  3", "  6 Mb", "  30 Mb"}));
    ASSERT_EQ(r.pools.size(), 1u);
    const PoolResult& p = r.pools[0];
    EXPECT_EQ(p.pool, "BP1");
    EXPECT_EQ(p.shared, 120);
    EXPECT_EQ(p.cacheAll, 0);
    EXPECT_EQ(p.vpSize, 2000);
    EXPECT_EQ(p.hpSize, 0);
    EXPECT_EQ(p.gbpSize, 2000);
    EXPECT_EQ(r.gbpTotalPages, 2000);
}

}  // namespace
}  // namespace core

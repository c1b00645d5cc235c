#include "core/pool_sharing.h"

#include <gtest/gtest.h>

#include "core/tables.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::kHeader;

// A file whose pools, in this order, have {objects, of them DSNDB07 first}.
std::string File(std::initializer_list<std::tuple<std::string, int, int>> pools) {
    std::string bytes = std::string(kHeader) + "\r\n";
    for (const auto& [pool, objects, workFiles] : pools) {
        bytes += BpsLine(pool) + "\r\n";
        for (int i = 0; i < objects; ++i) {
            const std::string n = std::to_string(i);
            bytes += BpdLine(i < workFiles ? "DSNDB07.DSN4K0" + n : "PAY.TS" + n) + "\r\n";
        }
    }
    return bytes;
}

// "available pools | shared pools with their object counts", e.g. "BP8 | BP7=5".
std::string Lists(const CoreTables& t) {
    std::string s;
    for (const std::string& pool : t.lstPools) {
        s += pool + " ";
    }
    s += "|";
    for (const SharedPoolEntry& e : t.lvSharedPools) {
        s += " " + e.name + "=" + std::to_string(e.totalObjects);
    }
    return s;
}

class PoolSharingTest : public ::testing::Test {
protected:
    void Load(const std::vector<std::string>& files) {
        std::vector<std::pair<std::string, std::string>> named;
        for (size_t i = 0; i < files.size(); ++i) {
            named.emplace_back("/data/day" + std::to_string(i + 1) + ".sta", files[i]);
        }
        ASSERT_TRUE(testing::LoadFiles(tables, named).ok());
    }

    CoreTables tables;
};

TEST_F(PoolSharingTest, WorkFileOnlyRowsRefuseThePool) {
    // {objects and DSNDB07 objects of BP7 per file, the file that refuses it, Lists}
    const std::tuple<std::vector<std::pair<int, int>>, const char*, const char*> cases[] = {
        {{{5, 5}}, "/data/day1.sta", "BP7 BP8 |"},
        {{{5, 4}}, "none", "BP8 | BP7=5"},
        {{{3, 0}, {4, 4}}, "/data/day2.sta", "BP7 BP8 |"},
        {{{2, 2}, {4, 0}}, "/data/day1.sta", "BP7 BP8 |"},
        {{{3, 0}, {4, 1}}, "none", "BP8 | BP7=7"},
        {{{0, 0}}, "none", "BP8 | BP7=0"},  // no object lines
        {{{1, 1}}, "/data/day1.sta", "BP7 BP8 |"},
    };
    // The message naming the file is checked by pools_page_test and batch_sizer_test.
    for (const auto& [perFile, refusingFile, lists] : cases) {
        SCOPED_TRACE(::testing::PrintToString(perFile));
        tables = CoreTables{};
        std::vector<std::string> files;
        for (const auto& [objects, workFiles] : perFile) {
            files.push_back(File({{"BP7", objects, workFiles}, {"BP8", 1, 0}}));
        }
        Load(files);
        const auto refusal = SharePool(tables, 0);
        EXPECT_EQ(refusal ? refusal->file : "none", refusingFile);
        EXPECT_EQ(Lists(tables), lists);
    }
}

TEST_F(PoolSharingTest, ShareAllGoesAlphabeticallyAndPassesRefusedPools) {
    EXPECT_TRUE(ShareAllPools(tables).empty());  // nothing available
    Load({File({{"BP2", 2, 0}, {"bp10", 3, 3}, {"BP1", 1, 0}, {"BP3", 4, 1}})});
    const auto refusals = ShareAllPools(tables);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].pool, "bp10");
    EXPECT_EQ(refusals[0].file, "/data/day1.sta");
    EXPECT_EQ(Lists(tables), "bp10 | BP1=1 BP2=2 BP3=4");
    EXPECT_EQ(ShareAllPools(tables).size(), 1u);  // a second run refuses bp10 again
}

TEST_F(PoolSharingTest, UnshareReturnsThePoolToItsPlaceAndKeepsCacheChoices) {
    Load({File({{"BP0", 2, 0}, {"BP1", 1, 0}, {"BP2", 1, 0}})});
    EXPECT_TRUE(ShareAllPools(tables).empty());
    tables.lstData[1].ItemData = -1;
    tables.lvControl[0].CacheAll = true;
    UnsharePool(tables, 1);
    UnsharePool(tables, 0);
    UnsharePool(tables, 5);  // no such entry
    EXPECT_EQ(Lists(tables), "BP0 BP1 | BP2=1");
    ASSERT_FALSE(SharePool(tables, 0).has_value());
    EXPECT_EQ(Lists(tables), "BP1 | BP2=1 BP0=2");
    EXPECT_EQ(tables.lstData[1].ItemData, -1);
    EXPECT_TRUE(tables.lvControl[0].CacheAll);
}

TEST_F(PoolSharingTest, ShareAllCopesWithTensOfThousandsOfPools) {
    std::string bytes = std::string(kHeader) + "\r\n";
    for (int i = 39'999; i >= 0; --i) {  // read in reverse order: every name sorts first
        bytes += BpsLine("P" + std::to_string(i)) + "\r\n" + BpdLine("DB.TS") + "\r\n";
    }
    Load({bytes});
    EXPECT_TRUE(ShareAllPools(tables).empty());
    EXPECT_TRUE(tables.lstPools.empty());
    ASSERT_EQ(tables.lvSharedPools.size(), 40'000u);
    EXPECT_EQ(tables.lvSharedPools[2].name, "P10");
    RebuildSharedPoolList(tables);
    EXPECT_EQ(tables.lstSharedPools.back(), "P9999");
}

}  // namespace
}  // namespace core

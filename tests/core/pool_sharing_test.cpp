#include "pool_sharing.h"

#include <gtest/gtest.h>

#include "loader.h"
#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Crlf;
using testing::kHeader;

// A file section for `pool` with `objects` object lines, the first `workFiles` of them DSNDB07.
std::vector<std::string> PoolSection(const std::string& pool, int objects, int workFiles) {
    std::vector<std::string> lines{BpsLine(pool)};
    for (int i = 0; i < objects; ++i) {
        lines.push_back(BpdLine(i < workFiles ? "DSNDB07.DSN4K0" + std::to_string(i)
                                              : "PAY.TS" + std::to_string(i)));
    }
    return lines;
}

std::string File(std::initializer_list<std::vector<std::string>> sections) {
    std::string bytes = std::string(kHeader) + "\r\n";
    for (const auto& section : sections) {
        for (const auto& line : section) {
            bytes += line + "\r\n";
        }
    }
    return bytes;
}

std::vector<std::string> SharedNames(const CoreTables& t) {
    std::vector<std::string> names;
    for (const auto& e : t.lvSharedPools) {
        names.push_back(e.name + "=" + std::to_string(e.totalObjects));
    }
    return names;
}

class PoolSharingTest : public ::testing::Test {
protected:
    void Load(std::initializer_list<std::string> files) {
        int i = 0;
        for (const std::string& bytes : files) {
            const std::string path = "/data/day" + std::to_string(++i) + ".sta";
            source.Add(path, bytes);
            AddSelectedFile(tables, path);
        }
        ASSERT_TRUE(LoadDataFiles(tables, source).ok());
        CountWorkFileObjects(tables);
    }

    testing::MemoryFileSource source;
    CoreTables tables;
};

TEST_F(PoolSharingTest, WorkFileOnlyRowsRefuseThePool) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> perFile;  // objects, DSNDB07 objects of BP7 per file
        std::optional<std::string> refusingFile;
        int64_t total;
    };
    const Case cases[] = {
        {"all five are work files", {{5, 5}}, "/data/day1.sta", 0},
        {"four of five", {{5, 4}}, std::nullopt, 5},
        {"the second file is work files only", {{3, 0}, {4, 4}}, "/data/day2.sta", 0},
        {"the first file is, the second is not", {{2, 2}, {4, 0}}, "/data/day1.sta", 0},
        {"neither file", {{3, 0}, {4, 1}}, std::nullopt, 7},
        {"no object lines at all", {{0, 0}}, std::nullopt, 0},
        {"a single work-file object", {{1, 1}}, "/data/day1.sta", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreTables t;
        testing::MemoryFileSource files;
        for (size_t i = 0; i < c.perFile.size(); ++i) {
            const std::string path = "/data/day" + std::to_string(i + 1) + ".sta";
            files.Add(path, File({PoolSection("BP7", c.perFile[i].first, c.perFile[i].second),
                                  PoolSection("BP8", 1, 0)}));
            AddSelectedFile(t, path);
        }
        ASSERT_TRUE(LoadDataFiles(t, files).ok());
        CountWorkFileObjects(t);
        ASSERT_EQ(t.lstPools[0], "BP7");
        const auto refusal = SharePool(t, 0);
        if (c.refusingFile) {
            ASSERT_TRUE(refusal.has_value());
            EXPECT_EQ(refusal->message,
                      "Pool BP7 will not be shared because it has only DSNDB07 Objects in the "
                      "File: " +
                          *c.refusingFile);
            EXPECT_EQ(t.lstPools, (std::vector<std::string>{"BP7", "BP8"}));
            EXPECT_TRUE(t.lvSharedPools.empty());
        } else {
            EXPECT_FALSE(refusal.has_value());
            EXPECT_EQ(SharedNames(t), std::vector<std::string>{"BP7=" + std::to_string(c.total)});
            EXPECT_EQ(t.lstPools, std::vector<std::string>{"BP8"});
        }
    }
}

TEST_F(PoolSharingTest, ShareAllGoesAlphabeticallyAndPassesRefusedPools) {
    Load({File({PoolSection("BP2", 2, 0), PoolSection("bp10", 3, 3), PoolSection("BP1", 1, 0),
                PoolSection("BP3", 4, 1)})});
    ASSERT_EQ(tables.lstPools, (std::vector<std::string>{"BP1", "bp10", "BP2", "BP3"}));
    const auto refusals = ShareAllPools(tables);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].pool, "bp10");
    EXPECT_EQ(refusals[0].file, "/data/day1.sta");
    EXPECT_EQ(SharedNames(tables), (std::vector<std::string>{"BP1=1", "BP2=2", "BP3=4"}));
    EXPECT_EQ(tables.lstPools, std::vector<std::string>{"bp10"});
    EXPECT_EQ(ShareAllPools(tables).size(), 1u);  // a second run refuses bp10 again
}

TEST_F(PoolSharingTest, ShareAllWithNothingAvailableExaminesNothing) {
    EXPECT_TRUE(ShareAllPools(tables).empty());
    EXPECT_TRUE(tables.lvSharedPools.empty());
}

TEST_F(PoolSharingTest, UnshareReturnsThePoolToItsPlaceAndKeepsCacheChoices) {
    Load({File({PoolSection("BP0", 2, 0), PoolSection("BP1", 1, 0), PoolSection("BP2", 1, 0)})});
    EXPECT_TRUE(ShareAllPools(tables).empty());
    tables.lstData[1].ItemData = -1;
    tables.lvControl[0].CacheAll = true;
    UnsharePool(tables, 1);
    EXPECT_EQ(tables.lstPools, std::vector<std::string>{"BP1"});
    UnsharePool(tables, 0);
    EXPECT_EQ(tables.lstPools, (std::vector<std::string>{"BP0", "BP1"}));
    EXPECT_EQ(SharedNames(tables), std::vector<std::string>{"BP2=1"});
    UnsharePool(tables, 5);  // no such entry
    EXPECT_EQ(SharedNames(tables), std::vector<std::string>{"BP2=1"});
    ASSERT_FALSE(SharePool(tables, 0).has_value());
    EXPECT_EQ(SharedNames(tables), (std::vector<std::string>{"BP2=1", "BP0=2"}));
    EXPECT_EQ(tables.lstData[1].ItemData, -1);
    EXPECT_TRUE(tables.lvControl[0].CacheAll);
}

TEST_F(PoolSharingTest, APoolWithoutRowsStaysAvailableAndIsPassedOver) {
    Load({File({PoolSection("BP1", 1, 0)})});
    tables.lstPools.insert(tables.lstPools.begin(), "BP0");  // a name no row carries
    EXPECT_FALSE(SharePool(tables, 0).has_value());
    EXPECT_EQ(tables.lstPools, (std::vector<std::string>{"BP0", "BP1"}));
    EXPECT_TRUE(ShareAllPools(tables).empty());
    EXPECT_EQ(tables.lstPools, std::vector<std::string>{"BP0"});
    EXPECT_EQ(SharedNames(tables), std::vector<std::string>{"BP1=1"});
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
    EXPECT_EQ(tables.lvSharedPools.front().name, "P0");
    EXPECT_EQ(tables.lvSharedPools[1].name, "P1");
    EXPECT_EQ(tables.lvSharedPools[2].name, "P10");
    RebuildSharedPoolList(tables);
    EXPECT_EQ(tables.lstSharedPools.back(), "P9999");
}

}  // namespace
}  // namespace core

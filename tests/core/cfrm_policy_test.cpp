#include "cfrm_policy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

#include "cfrm_text.h"
#include "sizing.h"
#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

struct ReadStructure {
    int64_t initSize = 0, size = 0, minSize = 0;
    std::vector<std::string> preflist;
    bool duplex = false;
};

// Reads the statements back as the policy utility would, failing the test on any line it
// would refuse; returns the structures by name.
std::map<std::string, ReadStructure> ReadBack(const std::string& text) {
    std::map<std::string, ReadStructure> read;
    std::istringstream lines(text);
    std::string line, statement;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 71u) << line;  // the utility reads bytes
        EXPECT_NE(line.rfind("/*", 0), 0u) << line;
        if (line.rfind(" /* ", 0) == 0) {
            EXPECT_EQ(line.find("*/"), line.size() - 2) << line;
            continue;
        }
        statement += line + " ";
    }
    // Tokens KEYWORD(value) with the blanks of a broken PREFLIST taken out.
    std::string name;
    size_t at = 0;
    while ((at = statement.find_first_not_of(' ', at)) != std::string::npos) {
        const size_t open = statement.find('(', at);
        const size_t close = statement.find(')', at);
        const std::string keyword =
            statement.substr(at, std::min({open, close, statement.find(' ', at)}) - at);
        if (keyword == "STRUCTURE") {
            at += keyword.size();
            continue;
        }
        if (open == std::string::npos || close == std::string::npos || open > close ||
            statement.find('(', open + 1) < close) {
            ADD_FAILURE() << "unbalanced at " << statement.substr(at, 40);
            return read;
        }
        std::string value;
        for (char c : statement.substr(open + 1, close - open - 1)) {
            value += c == ' ' ? "" : std::string(1, c);
        }
        at = close + 1;
        const auto sizeKb = [&value] {
            EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos) << value;
            const int64_t kb = std::stoll(value);
            EXPECT_TRUE(kb > 0 && kb % 1024 == 0) << kb;  // whole MB
            return kb;
        };
        if (keyword == "NAME") {
            name = value;
            EXPECT_TRUE(name.size() <= 16 && name[0] >= 'A' && name[0] <= 'Z') << name;
            EXPECT_EQ(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789$#@_"),
                      std::string::npos);
            EXPECT_EQ(read.count(name), 0u) << name;
            read[name];
        } else if (keyword == "SIZE" || keyword == "INITSIZE" || keyword == "MINSIZE") {
            (keyword == "SIZE"       ? read[name].size
             : keyword == "INITSIZE" ? read[name].initSize
                                     : read[name].minSize) = sizeKb();
        } else if (keyword == "PREFLIST") {
            std::istringstream names(value);
            for (std::string cf; std::getline(names, cf, ',');) {
                read[name].preflist.push_back(cf);
            }
        } else if (keyword == "DUPLEX") {
            read[name].duplex = value == "ENABLED";
        } else {
            EXPECT_EQ(keyword + value, "ALLOWAUTOALTYES");
        }
    }
    for (const auto& [n, s] : read) {
        EXPECT_TRUE(s.initSize <= s.size && s.size <= 2 * s.initSize) << n;
        EXPECT_LE(s.minSize, s.initSize) << n;
        EXPECT_TRUE(!s.preflist.empty() && s.preflist.size() <= 8) << n;
    }
    return read;
}

// Lock 16 Mb, SCA 8 Mb, ratio 5; BP1 4000 pages, BP8K0 1000, BPX (no Db2 name), BP2 0 pages.
SizingResult HandSizing() {
    SizingResult s;
    s.lockStructureSizeMb = 16;
    s.scaSizeMb = 8;
    s.directoryDataRatio = 5;
    s.pools = {{"BP1", 0, 0, 0, 0, 4000, {}},
               {"bp8k0", 0, 0, 0, 0, 1000, {}},
               {"BPX", 0, 0, 0, 0, 500, {}},
               {"BP2", 0, 0, 0, 0, 0, {}}};
    return s;
}

CfrmOptions TwoFacilities() {
    CfrmOptions o;
    o.groupName = "dsndb0g";
    o.facilities = {"CF01", "cf02"};
    o.freeSpaceMb = {100, 50};
    return o;
}

TEST(CfrmPolicyTest, WorkedExampleByHand) {
    const CfrmPolicy p = MakeCfrmPolicy(HandSizing(), {}, TwoFacilities());
    ASSERT_TRUE(p.ok()) << p.problem;
    // GBP1: 4000 x 4 + 1.1 x 5 x 4000 x 0.2 = 20400 KB -> 20 MB; SIZE 30 MB.
    // GBP8K0: 1000 x 8 + 1100 = 9100 KB -> 9 MB; SIZE 13.5 -> 14 MB.
    std::string got;
    for (const CfrmStructure& s : p.structures) {
        got += s.name + " " + std::to_string(s.initSizeKb) + " " + std::to_string(s.sizeKb) +
               (s.duplex ? " D" : "") + (s.minSizeKb ? " M" + std::to_string(*s.minSizeKb) : "") +
               ";";
    }
    EXPECT_EQ(got,
              "DSNDB0G_LOCK1 16384 24576;DSNDB0G_SCA 8192 12288;"
              "DSNDB0G_GBP1 20480 30720 D M20480;DSNDB0G_GBP8K0 9216 14336 D M9216;");
    EXPECT_EQ(p.commands, (std::vector<std::string>{"-ALTER GROUPBUFFERPOOL(GBP1) RATIO(5)",
                                                    "-ALTER GROUPBUFFERPOOL(GBP8K0) RATIO(5)"}));
    ASSERT_EQ(p.leftOut.size(), 2u);
    EXPECT_EQ(p.leftOut[0].pool + "|" + p.leftOut[1].reason,
              "BPX|Pool BP2 has a GBP Size of 0 pages.");
    const std::string& text = p.text;
    EXPECT_NE(text.find("  STRUCTURE NAME(DSNDB0G_GBP1)\n"
                        "            SIZE(30720)\n"
                        "            INITSIZE(20480)\n"
                        "            MINSIZE(20480)\n"
                        "            ALLOWAUTOALT(YES)\n"
                        "            PREFLIST(CF01,CF02)\n"
                        "            DUPLEX(ENABLED)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(p.notes.back().find("define GBP0, GBP16K0 and GBP32K as well."), std::string::npos);
    EXPECT_NE(text.find(" /*   -ALTER GROUPBUFFERPOOL(GBP8K0) RATIO(5)"), std::string::npos);
    EXPECT_EQ(ReadBack(text).size(), 4u);
}

TEST(CfrmPolicyTest, FitCountsDuplexedStructuresInBothFacilities) {
    // Lock 16/24, SCA 8/12, GBP1 20/30, GBP8K0 9/14 MB: INITSIZE, SIZE, one facility's need.
    for (const auto& [duplex, fit] : {std::pair{DuplexChoice::kDefault, "82 124 80"},
                                      {DuplexChoice::kNone, "53 80 80"},
                                      {DuplexChoice::kAll, "106 160 80"}}) {
        CfrmOptions o = TwoFacilities();
        o.duplex = duplex;
        const CfrmFit f = MakeCfrmPolicy(HandSizing(), {}, o).fit;
        EXPECT_EQ(std::to_string(f.totalInitSizeKb / 1024) + " " +
                      std::to_string(f.totalSizeKb / 1024) + " " +
                      std::to_string(f.oneFacilityNeedsKb / 1024),
                  fit);
    }
    const std::vector<std::string> lines =
        FitLines(MakeCfrmPolicy(HandSizing(), {}, TwoFacilities()));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2] + lines[3],
              "CF01: 100 MB free, holds them all with 20 MB to spare."
              "CF02: 50 MB free, falls 30 MB short.");
}

TEST(CfrmPolicyTest, NameAndOptionRules) {
    const std::pair<const char*, bool> groups[] = {
        {"DSNDB0G", true},  {"dsn", true},   {"J", true},    {"JABCDEFG", true},   {"J$#@9", true},
        {"UNDESIG1", true}, {"SYXA", true},  {"", false},    {"JABCDEFGH", false}, {"ABC", false},
        {"IXYZ", false},    {"SYSA", false}, {"sys", false}, {"UNDESIG", false},   {"1ABC", false},
        {"$ABC", false},    {"J_A", false},  {"J-A", false}};
    for (const auto& [name, ok] : groups) {
        EXPECT_EQ(GroupNameProblem(name).empty(), ok) << name;
    }
    const std::pair<const char*, bool> facilities[] = {
        {"CF01", true}, {"cf_1,C2345678", true}, {"A B C D E F G H", true},    {"", false},
        {"_CF", false}, {"C23456789", false},    {"A B C D E F G H I", false}, {"CF01 cf01", false},
        {"CF-1", false}};
    for (const auto& [list, ok] : facilities) {
        EXPECT_EQ(FacilityNamesProblem(SplitNameList(list)).empty(), ok) << list;
    }
    for (const auto& [factor, ok] :
         {std::pair{0.99, false}, {1.0, true}, {2.0, true}, {2.01, false}}) {
        EXPECT_EQ(GrowthFactorProblem(factor).empty(), ok) << factor;
    }
    const std::pair<const char*, bool> prefixes[] = {
        {"-", true},    {"-DB1A", true}, {"12345678", true}, {"", false},  {"123456789", false},
        {"- A", false}, {"/*", false},   {"-*/", false},     {"*-/", true}};
    for (const auto& [prefix, ok] : prefixes) {
        EXPECT_EQ(CommandPrefixProblem(prefix).empty(), ok) << prefix;
    }
    CfrmOptions one = TwoFacilities();
    one.facilities = {"CF01"};
    one.freeSpaceMb = {};
    for (const auto& [duplex, ok] : {std::pair{DuplexChoice::kDefault, true},
                                     {DuplexChoice::kNone, true},
                                     {DuplexChoice::kGroupBufferPools, false},
                                     {DuplexChoice::kAll, false}}) {
        one.duplex = duplex;
        EXPECT_EQ(MakeCfrmPolicy(HandSizing(), {}, one).ok(), ok);
    }
    const std::vector<std::string> cfs = {"CF01", "CF02"};
    EXPECT_EQ(ParseFreeSpace(" 500 ", cfs).freeSpaceMb,
              (std::vector<std::optional<double>>{500, 500}));
    EXPECT_EQ(ParseFreeSpace("cf02=12.5", cfs).freeSpaceMb,
              (std::vector<std::optional<double>>{std::nullopt, 12.5}));
    EXPECT_EQ(ParseFreeSpace("1", cfs).freeSpaceMb, (std::vector<std::optional<double>>{1, 1}));
    for (const char* bad :
         {"0", "-5", "CF03=5", "CF01=", "CF01=5,", "5 MB", "1e3", "0.5", "CF02=0.99"}) {
        EXPECT_FALSE(ParseFreeSpace(bad, cfs).problem.empty()) << bad;
    }
    EXPECT_EQ(ParseFreeSpace("CF01=5,cf01=6", cfs).problem,
              "CF01 is given twice in the free space.");
    EXPECT_EQ(ParseFreeSpace("0.5", cfs).problem,
              "The free space must be at least 1 MB, not \"0.5\".");
    CfrmOptions small = TwoFacilities();
    small.freeSpaceMb = {0.5};
    EXPECT_EQ(CfrmOptionsProblem(small), "The free space must be at least 1 MB.");
}

TEST(CfrmPolicyTest, CommentsWrapAndNeverCloseEarly) {
    CfrmSource source;
    source.files = {{"/data/" + std::string(80, 'x') + "/a*/b.sta", "14.30.00"}};
    // Characters outside ASCII take a byte each, as "?": the utility's records are bytes.
    source.files.push_back(
        {"/data/" + std::string(40 * 2, '\xC3') + "/caf\xC3\xA9\xFF\xE2\x82.sta", "14.30.00"});
    for (size_t i = 0; i < 40; ++i) {
        source.files.back().path[6 + 2 * i + 1] = '\xA9';
    }
    source.membersText = "2*/";
    source.ecsaText = "4\t";
    const CfrmPolicy p = MakeCfrmPolicy(HandSizing(), source, TwoFacilities());
    ReadBack(p.text);
    EXPECT_NE(p.text.find(" /*   /data/" + std::string(40, '?') + "/caf???.sta"), std::string::npos)
        << p.text;
    EXPECT_NE(p.text.find(" /*   /data/xxxx"), std::string::npos);
    EXPECT_NE(p.text.find(" /*     " + std::string(24, 'x') + "/a* /b.sta"), std::string::npos);
    EXPECT_NE(p.text.find("No Of Shared DB2: 2* /"), std::string::npos);
    EXPECT_NE(p.text.find("ECSA Size for IRLM: 4?"), std::string::npos);
    // Eight facilities of eight characters break PREFLIST after a comma.
    CfrmOptions eight = TwoFacilities();
    eight.facilities = SplitNameList("CFAAAAA1 CFAAAAA2 CFAAAAA3 CFAAAAA4 CFAAAAA5 CFAAAAA6 C7 C8");
    EXPECT_EQ(ReadBack(MakeCfrmPolicy(HandSizing(), {}, eight).text)["DSNDB0G_SCA"].preflist.size(),
              8u);
}

// Random pool tables of every page size, Db2 names and others, some without a ratio.
TEST(CfrmPolicyTest, RandomSizingRunsReadBack) {
    std::mt19937 random(7);
    const char* names[] = {"BP0",   "bp1",    "BP49", "BP8K0",  "BP8K9", "BP16K0", "bp16k9",
                           "BP32K", "BP32K9", "BP50", "BP32K0", "XYZ",   "BP01",   "BP8K"};
    int withoutRatio = 0;
    for (int run = 0; run < 200; ++run) {
        CoreTables tables;
        const bool noRatio = run % 4 == 0;
        tables.AppendLine("LEAD");
        for (const char* name : names) {
            if (random() % 2 == 0) {
                continue;
            }
            const auto number = [&](uint32_t limit) { return std::to_string(random() % limit); };
            const int32_t bps = static_cast<int32_t>(tables.lstData.size());
            tables.AppendLine(
                testing::BpsLine(name, number(900000), number(90000), number(5000), number(3000)));
            const int32_t objects = 1 + static_cast<int32_t>(random() % 4);
            for (int32_t k = 0; k < objects; ++k) {
                tables.AppendLine(testing::BpdLine("DB.TS" + std::to_string(k),
                                                   random() % 3 ? 'T' : 'I', number(90000),
                                                   noRatio ? "" : number(900)));
            }
            tables.lvControl.push_back(testing::Row(name, bps + 1, bps + objects, bps));
            tables.lstSharedPools.push_back(name);
        }
        const SizingResult sizing =
            RunSizing(tables, std::to_string(1 + random() % 32), std::to_string(random() % 50));
        withoutRatio += sizing.directoryDataRatio ? 0 : 1;
        CfrmOptions options = TwoFacilities();
        options.growthFactor = 1.0 + (random() % 1001) / 1000.0;
        options.duplex = static_cast<DuplexChoice>(random() % 4);
        options.allowAutoAlter = random() % 2 == 0;
        const CfrmPolicy policy = MakeCfrmPolicy(sizing, {}, options);
        ASSERT_TRUE(policy.ok()) << policy.problem;
        const auto read = ReadBack(policy.text);
        ASSERT_EQ(read.size(), policy.structures.size());
        EXPECT_EQ(policy.structures.size() + policy.leftOut.size(), sizing.pools.size() + 2);
        for (const CfrmStructure& s : policy.structures) {
            const ReadStructure& r = read.at(s.name);
            EXPECT_TRUE(r.initSize == s.initSizeKb && r.size == s.sizeKb && r.duplex == s.duplex);
        }
    }
    EXPECT_GT(withoutRatio, 20);
}

}  // namespace
}  // namespace core

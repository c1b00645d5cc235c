#include "core/cfrm_policy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "core/cfrm_text.h"
#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/tables.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

struct ReadStructure {
    size_t order = 0;  // 0-based among the statements
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
            read[name].order = read.size();
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
            read[name].duplex = value.rfind("ENABLED", 0) == 0;
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

// By hand, members 2: BP1 (4000 VP, factor 1/2), bp8k0 (3000 VP in 2 files, 3/4), BPX (no Db2
// name), BP2 (no factor), BP3 (1000 VP, 500 HP counted, activity 5/4), BP16K0 loaded but not
// shared (100 VP, 1/20). The lock formula asks for 4.4 MB, the SCA is 8 Mb.
SizingResult HandSizing(double lockDemandMb = 4.4, double scaSizeMb = 8) {
    SizingResult s;
    s.lockDemandMb = lockDemandMb;
    s.scaSizeMb = scaSizeMb;
    s.membersRead = 2;
    s.pools = {{"BP1", 0, 0, 0, 0, 4000, {}, {}},
               {"bp8k0", 0, 0, 0, 0, 1000, {}, {}},
               {"BPX", 0, 0, 0, 0, 500, {}, {}},
               {"BP2", 0, 0, 0, 0, 0, {}, {}},
               {"BP3", 0, 0, 0, 0, 3000, {}, {}}};
    s.poolBases = {{"BP1", true, 1, 4000, 0, GbpFactor{1, 2, false}, false},
                   {"bp8k0", true, 2, 3000, 0, GbpFactor{3, 4, false}, false},
                   {"BPX", true, 1, 500, 0, GbpFactor{1, 1, false}, false},
                   {"BP2", true, 1, 1000, 0, std::nullopt, false},
                   {"BP3", true, 1, 1000, 500, GbpFactor{5, 4, true}, true},
                   {"BP16K0", false, 1, 100, 0, GbpFactor{1, 20, false}, false}};
    return s;
}

CfrmOptions TwoFacilities() {
    CfrmOptions o;
    o.groupName = "dsndb0g";
    o.facilities = {"CF01", "cf02"};
    o.freeSpaceMb = {300, 500};
    return o;
}

CfrmPolicy HandPolicy(const CfrmOptions& o = TwoFacilities(), const CfrmSource& source = {}) {
    return MakeCfrmPolicy(HandSizing(), source, o);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Codes(const std::vector<Warning>& warnings) {
    std::string codes;
    for (const Warning& w : warnings) {
        codes += w.code + ";";
    }
    return codes;
}

// A statement's layout, keyword by keyword, is cfrm_dialog_test's to check.
TEST(CfrmPolicyTest, EachGroupBufferPoolSizedByHandAndTheFreeSpace) {
    CfrmOptions o = TwoFacilities();
    o.dumpSpaceMb = 10;
    const CfrmPolicy p = HandPolicy(o);
    ASSERT_TRUE(p.ok()) << p.problem;
    std::string sizes;
    for (const CfrmStructure& s : p.structures) {
        sizes += s.name.substr(8) + " " + std::to_string(s.initSizeKb / 1024) + "/" +
                 std::to_string(s.sizeKb / 1024) + (s.duplex ? " D" : "") +
                 (s.minSizeKb ? " M" + std::to_string(*s.minSizeKb / 1024) : "") +
                 (s.entries ? " R" + std::to_string(s.entries->ratio) : "") + ";";
    }
    // GBP1: VP_group 8000, D 4000, Dir 12000, RATIO 10:
    //   4000 x 4 + 1.1 x 10 x 4000 x 0.4 = 33600 KB -> 33 MB (32.8), SIZE 49.5 -> 50.
    // GBP8K0: VP_group 3000 / 2 x 2, D 2250, Dir 5250: 18000 + 9900 = 27900 KB -> 28 MB.
    // GBP2: no factor, 32 MB. GBP3: f 5/4 taken as 1, D 2000: 8000 + 8800 KB -> 17 MB.
    // GBP16K0: VP_group 200, D 10, Dir 210, ratio needed 21: 160 + 92.4 KB -> 1 MB, SIZE 2.
    // LOCK1 64/128, SCA 16/32; GBP0 and GBP32K no file holds: 32 MB.
    EXPECT_EQ(sizes,
              "LOCK1 64/128;SCA 16/32;GBP1 33/50 D R10;GBP8K0 28/42 D R10;GBP2 32/48 D;"
              "GBP3 17/26 D R10;GBP16K0 1/2 D R21;GBP0 32/48 D;GBP32K 32/48 D;");
    const GbpEntries& e = *p.structures[3].entries;  // D, Dir, ratio needed, entries, KB
    EXPECT_EQ((std::vector<int64_t>{e.dataEntries, e.directoryEntriesNeeded, e.ratioNeeded,
                                    e.DirectoryEntries(), p.structures[3].initSizeKb,
                                    p.structures[3].pageSizeKb}),
              (std::vector<int64_t>{2250, 5250, 3, 22500, 28672, 8}));
    EXPECT_EQ(p.commands, (std::vector<std::string>{"-ALTER GROUPBUFFERPOOL(GBP1) RATIO(10)",
                                                    "-ALTER GROUPBUFFERPOOL(GBP8K0) RATIO(10)",
                                                    "-ALTER GROUPBUFFERPOOL(GBP3) RATIO(10)",
                                                    "-ALTER GROUPBUFFERPOOL(GBP16K0) RATIO(21)"}));
    EXPECT_EQ(Codes(p.warnings),
              "members_counted_twice;gbp_not_sized;hiperpool_pages_counted;"
              "activity_ratio_above_1;catalog_pool_not_shared;gbp_not_sized;gbp_not_sized;");
    ASSERT_EQ(p.leftOut.size(), 1u);
    EXPECT_EQ(p.leftOut[0].reason, "Pool BPX is not a Db2 buffer pool name.");
    EXPECT_TRUE(Has(p.text, " /*   -ALTER GROUPBUFFERPOOL(GBP16K0) RATIO(21)"));
    EXPECT_TRUE(Has(p.text, " /* Warning catalog_pool_not_shared: Pool BP16K0 is not shared"));
    EXPECT_EQ(ReadBack(p.text).size(), 9u);
    // What each facility holds is checked by RandomRunsReadBackByTheRules; here the free space.
    std::string fit;
    for (const FacilityFit& f : p.fit.facilities) {
        fit += f.name + " " + std::to_string(f.normalMb) + " " + std::to_string(f.afterLossMb) +
               (f.fitsAfterLoss ? " fits" : " short") + (f.fits ? " alone;" : ";");
    }
    EXPECT_EQ(fit, "CF01 265.000000 434.000000 short;CF02 185.000000 434.000000 fits alone;");
}

// The samples, every pool shared, 2 members, ECSA 4. BP3: VP 27000 + 36000 in 2 files, VP_group
// 63000, factor 4313021 / 8643329: D 31437, Dir 94437, RATIO needed 4, written 10; INITSIZE
// 31437 x 4 + 1.1 x 10 x 31437 x 0.4 = 264070.8 KB -> 258 MB. Its figures are
// batch_sizer_test's PolicyFileAndJsonAgree's; here the reasons and the lock's typed numbers.
TEST(CfrmPolicyTest, WorkedExampleFromTheSamples) {
    CoreTables tables;
    for (const char* file : {"db1a.sta", "db1b.sim"}) {
        AddSelectedFile(tables, std::string(LOOMSTEAD_SAMPLES_DIR) + "/" + file);
    }
    ASSERT_TRUE(LoadDataFiles(tables, DiskFileSource()).ok());
    CountWorkFileObjects(tables);
    (void)ShareAllPools(tables);
    RebuildSharedPoolList(tables);
    const SizingResult sizing = RunSizing(tables, "2", "4");
    const CfrmPolicy p = MakeCfrmPolicy(sizing, {}, TwoFacilities());
    const auto gbp3 = std::find_if(p.structures.begin(), p.structures.end(),
                                   [](const CfrmStructure& s) { return s.name == "DSNDB0G_GBP3"; });
    ASSERT_NE(gbp3, p.structures.end());
    EXPECT_NE(
        std::find(gbp3->why.begin(), gbp3->why.end(),
                  "INITSIZE = D x 4 + 1.1 x 10 x D x 0.4 = 264070.80 KB, rounded up to 258 MB"),
        gbp3->why.end());
    // The results page is what it was: BP3's GBP Size multiplies both files' VP by the members.
    EXPECT_EQ(sizing.pools[3].pool + " " + std::to_string(sizing.pools[3].gbpSize), "BP3 63000");
    // LOCK1 reads the typed numbers unrounded: 2 x 58.3 / 2 x 1.1 = 64.13 MB needs 128 MB.
    const CfrmPolicy typed = MakeCfrmPolicy(RunSizing(tables, "2", "58.3"), {}, TwoFacilities());
    EXPECT_EQ(typed.structures[0].initSizeKb, 128 * 1024);
}

TEST(CfrmPolicyTest, LockStructureAndScaFollowTheirTables) {
    const std::tuple<double, std::optional<int64_t>, int64_t, bool> locks[] = {
        {0, {}, 64, false},      {64, {}, 64, false},     {70.4, {}, 128, false},
        {1024, {}, 1024, false}, {1100, {}, 1024, true},  {1e300, {}, 1024, true},
        {1100, 16, 16, false},   {4.4, 4096, 4096, false}};
    for (const auto& [demand, given, mb, capped] : locks) {
        CfrmOptions o = TwoFacilities();
        o.lockMb = given;
        const CfrmPolicy p = MakeCfrmPolicy(HandSizing(demand), {}, o);
        EXPECT_EQ(p.structures[0].initSizeKb, mb * 1024) << demand;
        EXPECT_EQ(p.structures[0].sizeKb, 2 * mb * 1024) << demand;
        EXPECT_EQ(Codes(p.warnings).find("lock_formula_capped") != std::string::npos, capped);
        EXPECT_EQ(p.structures[0].comments.empty(), given.has_value()) << demand;
    }
    for (const auto& [results, mb] : {std::pair{8, 16}, {16, 16}, {17, 32}, {48, 64}, {64, 64}}) {
        const CfrmStructure sca =
            MakeCfrmPolicy(HandSizing(4.4, results), {}, TwoFacilities()).structures[1];
        EXPECT_EQ(sca.initSizeKb / 1024 * 1000 + sca.sizeKb / 1024, mb * 1000 + 2 * mb) << results;
    }
    CfrmOptions all = TwoFacilities();
    all.duplex = DuplexChoice::kAll;
    for (const auto& [mode, keyword] :
         {std::pair{std::optional<LockDuplexMode>{}, "DUPLEX(ENABLED)\n"},
          {LockDuplexMode::kSync, "DUPLEX(ENABLED)\n"},
          {LockDuplexMode::kAsync, "DUPLEX(ENABLED,ASYNC)\n"},
          {LockDuplexMode::kAsyncOnly, "DUPLEX(ENABLED,ASYNCONLY)\n"}}) {
        all.lockDuplex = mode;
        const std::string text = HandPolicy(all).text;
        const size_t lock = text.find("NAME(DSNDB0G_LOCK1)");
        EXPECT_EQ(text.find(keyword, lock), text.find("DUPLEX(", lock)) << keyword;
        EXPECT_EQ(Has(text, "ITEM NAME(ASYNCDUPLEX)"), mode && *mode != LockDuplexMode::kSync);
    }
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
    // "\302\242" is the cent sign in UTF-8. Refused prefixes get their messages in
    // batch_sizer_test's RefusalsExitWithOneLineAndWriteNothing.
    for (const char* good :
         {"-", "-DB1G", "'DB2A", "-DB1G'", "\302\242DB2", "\302\242\302\242\302\242\302\242ABCD"}) {
        EXPECT_TRUE(CommandPrefixProblem(good).empty()) << good;
    }
    for (const char* bad : {"12345678", ">DB1G", "", "-DB1G-DB1", "- A", "-DB\303\251"}) {
        EXPECT_FALSE(CommandPrefixProblem(bad).empty()) << bad;
    }
    // Each option just outside its range, then just inside.
    const std::function<void(CfrmOptions&, bool)> ranges[] = {
        [](CfrmOptions& o, bool in) { o.minRatio = in ? 1024 : 1025; },
        [](CfrmOptions& o, bool in) { o.minRatio = in ? 1 : 0; },
        [](CfrmOptions& o, bool in) { o.directoryEntryTenthsKb = in ? 10 : 11; },
        [](CfrmOptions& o, bool in) { o.directoryEntryTenthsKb = in ? 1 : 0; },
        [](CfrmOptions& o, bool in) { o.sharingDegreeHundredths = in ? 50 : 49; },
        [](CfrmOptions& o, bool in) { o.sharingDegreeHundredths = in ? 100 : 101; },
        [](CfrmOptions& o, bool in) { o.unmeasuredGbpMb = in ? 1 : 0; },
        [](CfrmOptions& o, bool in) { o.lockMb = in ? 4096 : 8192; },
        [](CfrmOptions& o, bool in) { o.minSizePercent = in ? 50 : 49; },
        [](CfrmOptions& o, bool in) { o.minSizePercent = in ? 100 : 101; },
        [](CfrmOptions& o, bool in) { o.dumpSpaceMb = in ? 0 : -1; },
        [](CfrmOptions& o, bool in) { o.freeSpaceMb = {in ? 1.0 : 0.5}; },
        // One facility duplexes nothing.
        [](CfrmOptions& o, bool in) {
            o.facilities = {"CF01"};
            o.freeSpaceMb = {};
            o.duplex = in ? DuplexChoice::kNone : DuplexChoice::kAll;
        },
    };
    for (size_t i = 0; i < std::size(ranges); ++i) {
        for (const bool in : {false, true}) {
            CfrmOptions o = TwoFacilities();
            ranges[i](o, in);
            EXPECT_EQ(CfrmOptionsProblem(o).empty(), in) << "row " << i;
            EXPECT_EQ(HandPolicy(o).ok(), in) << "row " << i;
        }
    }
    const std::tuple<const char*, int, std::optional<int64_t>> fixed[] = {
        {"0.4", 1, 4}, {" 1 ", 2, 100}, {"0.75", 2, 75}, {"10", 0, 10}, {"0.45", 1, {}},
        {"1.", 1, {}}, {".5", 1, {}},   {"1e1", 0, {}},  {"-1", 0, {}}, {"", 0, {}}};
    for (const auto& [text, decimals, value] : fixed) {
        EXPECT_EQ(ParseFixedPoint(text, decimals), value) << text;
    }
    const std::vector<std::string> cfs = {"CF01", "CF02"};
    using Free = std::vector<std::optional<double>>;
    EXPECT_EQ(ParseFreeSpace(" 500 ", cfs).freeSpaceMb, (Free{500, 500}));
    EXPECT_EQ(ParseFreeSpace("cf02=12.5", cfs).freeSpaceMb, (Free{std::nullopt, 12.5}));
    EXPECT_EQ(ParseFreeSpace("1", cfs).freeSpaceMb, (Free{1, 1}));
    for (const char* bad : {"0", "-5", "CF01=", "CF01=5,", "5 MB", "1e3", "CF02=0.99"}) {
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

// The steps in order, the source's warnings first; the comments wrapped, never closed early.
TEST(CfrmPolicyTest, TextSaysHowToPutItIntoForceInCommentsThatNeverCloseEarly) {
    CfrmOptions o = TwoFacilities();
    o.commandPrefix = "-DB1G'";
    CfrmSource source;
    source.warnings = {{"lock_at_ceiling", "The lock structure is at its ceiling."}};
    source.files = {{"/data/" + std::string(80, 'x') + "/a*/b.sta", "14.30.00"}};
    // Characters outside ASCII take a byte each, as "?": the utility's records are bytes.
    source.files.push_back(
        {"/data/" + std::string(40 * 2, '\xC3') + "/caf\xC3\xA9\xFF\xE2\x82.sta", "14.30.00"});
    for (size_t i = 0; i < 40; ++i) {
        source.files.back().path[6 + 2 * i + 1] = '\xA9';
    }
    source.membersText = "2*/";
    source.ecsaText = "4\t";
    const std::string t = HandPolicy(o, source).text;
    ReadBack(t);
    size_t at = t.find("To put the policy into force:");
    ASSERT_NE(at, std::string::npos);
    for (const char* step :
         {"REPORT(YES)", "DSNB800I", "SETXCF START,POLICY,TYPE=CFRM,POLNAME=new",
          "SETXCF START,REALLOCATE", "KEEP=OLD", "-DB1G'DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*)",
          "IXC582I", "POLNAME=old"}) {
        const size_t next = t.find(step, at);
        EXPECT_NE(next, std::string::npos) << step;
        at = next == std::string::npos ? at : next;
    }
    for (const char* part : {"-DB1G'ALTER GROUPBUFFERPOOL(GBP1) RATIO(10)", "IEFSSNxx", "CFLEVEL",
                             "Warning lock_at_ceiling: The lock structure is at its ceiling.",
                             " /*   /data/xxxx", " /*     xxxxxxxxxxxxxxxxxxxxxxxx/a* /b.sta",
                             "No Of Shared DB2: 2* /", "ECSA Size for IRLM: 4?"}) {
        EXPECT_TRUE(Has(t, part)) << part << "\n" << t;
    }
    EXPECT_TRUE(Has(t, " /*   /data/" + std::string(40, '?') + "/caf???.sta"));
    EXPECT_LT(t.find("Warning lock_at_ceiling"), t.find("Warning members_counted_twice"));
    // XCF's MINSIZE default, said only while it applies.
    EXPECT_TRUE(Has(t, "75 % of"));
    o.minSizePercent = 80;
    EXPECT_FALSE(Has(HandPolicy(o).text, "75 % of"));
    o.minSizePercent.reset();
    o.allowAutoAlter = false;
    EXPECT_FALSE(Has(HandPolicy(o).text, "75 % of"));
    // Eight facilities of eight characters break PREFLIST after a comma.
    o.facilities = SplitNameList("CFAAAAA1 CFAAAAA2 CFAAAAA3 CFAAAAA4 CFAAAAA5 CFAAAAA6 C7 C8");
    EXPECT_EQ(ReadBack(HandPolicy(o).text)["DSNDB0G_SCA"].preflist.size(), 8u);
}

// What the checker generated for one pool name: its rows' VP sum, files and last factor.
struct GeneratedPool {
    int64_t vp = 0;
    std::set<int32_t> files;
    std::optional<std::pair<int64_t, int64_t>> lastFactor;
    bool shared = false;
};

// The rules as the README states them, worked out from the generated rows, against the
// statements read back from the text: sections "Group buffer pools", "Required GBPs, the lock
// structure, the SCA" and "Where the structures live".
TEST(CfrmPolicyTest, RandomRunsReadBackByTheRules) {
    __extension__ typedef __int128 Wide;
    const auto ceilDiv = [](Wide a, Wide b) { return (a + b - 1) / b; };
    std::mt19937 random(19);
    const auto pick = [&random](uint32_t n) { return static_cast<int64_t>(random() % n); };
    const std::pair<const char*, int64_t> names[] = {{"BP0", 4},     {"BP1", 4},    {"BP49", 4},
                                                     {"BP8K0", 8},   {"BP8K9", 8},  {"BP16K0", 16},
                                                     {"BP16K9", 16}, {"BP32K", 32}, {"BP32K9", 32}};
    int measured = 0, unmeasured = 0, catalogNotShared = 0, cached = 0;
    for (int run = 0; run < 240; ++run) {
        CoreTables tables;
        tables.AppendLine("LEAD");
        const int32_t files = 1 + static_cast<int32_t>(pick(8));
        const int64_t members = 1 + pick(32);
        std::map<std::string, GeneratedPool> pools;
        for (int32_t file = 0; file < files; ++file) {
            for (const auto& [name, pageKb] : names) {
                if (pick(3) == 0) {
                    continue;
                }
                const int64_t vp = pick(4) == 0 ? 0 : pick(300000);
                const int64_t numerator = pick(4) == 0 ? 0 : pick(5000);
                const int64_t denominator = pick(4) == 0 ? 0 : pick(3000);
                const int32_t bps = static_cast<int32_t>(tables.lstData.size());
                tables.AppendLine(
                    testing::BpsLine(name, std::to_string(vp), std::to_string(pick(1000)),
                                     std::to_string(numerator), std::to_string(denominator)));
                const int32_t objects = static_cast<int32_t>(pick(5));
                int64_t tableSpaces = 0, cachedLines = 0;
                for (int32_t k = 0; k < objects; ++k) {
                    const bool tableSpace = pick(3) != 0;
                    const bool isCached = pick(3) == 0;
                    tables.AppendLine(testing::BpdLine("DB.TS" + std::to_string(k),
                                                       tableSpace ? 'T' : 'I', "1", "1"),
                                      isCached ? -1 : 0);
                    tableSpaces += tableSpace ? 1 : 0;
                    cachedLines += isCached ? 1 : 0;
                }
                tables.lvControl.push_back(
                    objects > 0 ? testing::Row(name, bps + 1, bps + objects, bps, file)
                                : testing::Row(name, std::nullopt, std::nullopt, bps, file));
                GeneratedPool& pool = pools[name];
                pool.vp += vp;
                pool.files.insert(file);
                if (cachedLines > 0 && tableSpaces > 0) {
                    // The cached share in whole percent, half to even: below 40, 75, else.
                    const int64_t whole = cachedLines * 100 / tableSpaces;
                    const int64_t twice = cachedLines * 200 % (2 * tableSpaces);
                    const int64_t share =
                        whole +
                        (twice > tableSpaces || (twice == tableSpaces && whole % 2 == 1) ? 1 : 0);
                    pool.lastFactor = share < 40   ? std::pair<int64_t, int64_t>{1, 2}
                                      : share < 75 ? std::pair<int64_t, int64_t>{3, 4}
                                                   : std::pair<int64_t, int64_t>{1, 1};
                    ++cached;
                } else if (numerator >= 1 && denominator >= 1) {
                    pool.lastFactor = numerator * 20 < denominator
                                          ? std::pair<int64_t, int64_t>{1, 20}
                                          : std::pair<int64_t, int64_t>{numerator, denominator};
                } else {
                    pool.lastFactor.reset();
                }
            }
        }
        for (auto& [name, pool] : pools) {
            pool.shared = pick(5) != 0;
            if (pool.shared) {
                tables.lstSharedPools.push_back(name);
            }
        }
        const int64_t ecsa = pick(1000);
        const SizingResult sizing =
            RunSizing(tables, std::to_string(members), std::to_string(ecsa));

        CfrmOptions o;
        o.groupName = "DSNDB0G";
        const size_t facilityCount = 1 + static_cast<size_t>(pick(4));
        for (size_t f = 0; f < facilityCount; ++f) {
            o.facilities.push_back("CF" + std::to_string(f + 1));
        }
        o.duplex = facilityCount == 1 ? DuplexChoice::kDefault : static_cast<DuplexChoice>(pick(4));
        o.growthFactor = 1.0 + static_cast<double>(pick(1001)) / 1000.0;
        o.allowAutoAlter = pick(2) == 0;
        o.minSizePercent =
            o.allowAutoAlter && pick(2) == 0 ? std::optional(50 + pick(51)) : std::nullopt;
        o.minRatio = std::array<int64_t, 4>{1, 10, 10, 300}[static_cast<size_t>(pick(4))];
        o.directoryEntryTenthsKb = 1 + pick(10);
        o.sharingDegreeHundredths = 50 + pick(51);
        o.unmeasuredGbpMb = 1 + pick(64);
        o.lockMb = pick(3) == 0 ? std::optional(int64_t{16} << pick(9)) : std::nullopt;
        o.spreadPreflist = pick(2) == 0;
        o.dumpSpaceMb = static_cast<double>(pick(3) * 5);
        const CfrmPolicy policy = MakeCfrmPolicy(sizing, {}, o);
        ASSERT_TRUE(policy.ok()) << policy.problem;
        const auto read = ReadBack(policy.text);
        const auto grown = [&o, &ceilDiv](int64_t mb) {
            return std::min(ceilDiv(Wide{mb} * std::llround(o.growthFactor * 1000), 1000),
                            Wide{2} * mb);
        };

        // The lock structure and the SCA.
        const ReadStructure& lock = read.at("DSNDB0G_LOCK1");
        int64_t lockMb = 64;
        while (lockMb < 1024 && static_cast<double>(lockMb) < members * ecsa * 1.1 / 2) {
            lockMb *= 2;
        }
        EXPECT_EQ(lock.initSize, o.lockMb.value_or(lockMb) * 1024) << run;
        EXPECT_EQ(lock.size, 2 * lock.initSize);
        const ReadStructure& sca = read.at("DSNDB0G_SCA");
        EXPECT_EQ(sca.initSize, (sizing.scaSizeMb <= 16   ? 16
                                 : sizing.scaSizeMb <= 32 ? 32
                                                          : 64) *
                                    1024);
        EXPECT_EQ(sca.size, 2 * sca.initSize);
        EXPECT_EQ(lock.preflist, o.facilities);
        EXPECT_EQ(sca.preflist, o.facilities);

        // Every GBP: a shared pool's, a loaded catalog pool's, or a required one's.
        size_t gbps = 0;
        for (const auto& [poolName, pageKb] : names) {
            const std::string gbp = "G" + std::string(poolName);
            const bool catalog =
                gbp == "GBP0" || gbp == "GBP8K0" || gbp == "GBP16K0" || gbp == "GBP32K";
            const auto it = pools.find(poolName);
            const bool loaded = it != pools.end();
            if (!catalog && !(loaded && it->second.shared)) {
                EXPECT_EQ(read.count("DSNDB0G_" + gbp), 0u) << gbp;
                continue;
            }
            catalogNotShared += catalog && loaded && !it->second.shared ? 1 : 0;
            int64_t initMb = o.unmeasuredGbpMb;
            std::optional<int64_t> ratio;
            if (loaded && it->second.lastFactor && it->second.vp > 0) {
                const GeneratedPool& g = it->second;
                const auto [fn, fd] = g.lastFactor->first > g.lastFactor->second
                                          ? std::pair<int64_t, int64_t>{1, 1}
                                          : *g.lastFactor;
                const Wide n = static_cast<Wide>(g.files.size());
                const Wide data = ceilDiv(Wide{g.vp} * members * fn, n * fd);
                const Wide directory =
                    data + ceilDiv(Wide{g.vp} * members * o.sharingDegreeHundredths, n * 100);
                ratio =
                    std::max<int64_t>(static_cast<int64_t>(ceilDiv(directory, data)), o.minRatio);
                initMb = static_cast<int64_t>(ceilDiv(
                    data * pageKb * 100 + Wide{11} * *ratio * data * o.directoryEntryTenthsKb,
                    102400));
                ++measured;
            } else {
                ++unmeasured;
            }
            // Past half the utility's limit of 1 TB a GBP is left out, with a reason.
            if (initMb > 512 * 1024) {
                EXPECT_EQ(read.count("DSNDB0G_" + gbp), 0u) << gbp;
                EXPECT_TRUE(std::any_of(policy.leftOut.begin(), policy.leftOut.end(),
                                        [&](const LeftOut& l) { return l.pool == poolName; }));
                continue;
            }
            ++gbps;
            ASSERT_EQ(read.count("DSNDB0G_" + gbp), 1u) << gbp;
            const ReadStructure& r = read.at("DSNDB0G_" + gbp);
            EXPECT_EQ(r.initSize, initMb * 1024) << run << " " << gbp;
            EXPECT_EQ(r.size, static_cast<int64_t>(grown(initMb)) * 1024) << run << " " << gbp;
            EXPECT_EQ(
                r.minSize,
                o.minSizePercent
                    ? static_cast<int64_t>(ceilDiv(Wide{initMb} * *o.minSizePercent, 100)) * 1024
                    : 0);
            const std::string command = "-ALTER GROUPBUFFERPOOL(" + gbp + ") RATIO(" +
                                        (ratio ? std::to_string(*ratio) : std::string()) + ")";
            EXPECT_EQ(policy.text.find(command) != std::string::npos, ratio.has_value()) << gbp;
            // The i-th GBP (statements 2, 3, ...) gets the list rotated by i.
            std::vector<std::string> list = o.facilities;
            if (o.spreadPreflist) {
                std::rotate(list.begin(),
                            list.begin() + static_cast<std::ptrdiff_t>((r.order - 2) % list.size()),
                            list.end());
            }
            EXPECT_EQ(r.preflist, list) << gbp;
        }
        EXPECT_EQ(read.size(), gbps + 2);

        // Storage and what each facility holds, from the statements as read.
        int64_t initMb = 0, withDuplexMb = 0, sizeMb = 0;
        for (const auto& [name, r] : read) {
            initMb += r.initSize / 1024;
            withDuplexMb += (r.duplex ? 2 : 1) * r.initSize / 1024;
            sizeMb += (r.duplex ? 2 : 1) * r.size / 1024;
        }
        EXPECT_EQ(policy.storage.initSizeMb, initMb);
        EXPECT_EQ(policy.storage.withDuplexMb, withDuplexMb);
        EXPECT_EQ(policy.storage.sizeMb, sizeMb);
        ASSERT_EQ(policy.fit.placement.size(), o.facilities.size());
        for (size_t i = 0; i < o.facilities.size(); ++i) {
            const std::string& f = o.facilities[i];
            int64_t normalKb = 0, worstKb = 0;
            const auto holds = [&f](const ReadStructure& r) {
                return r.preflist[0] == f ||
                       (r.duplex && r.preflist.size() > 1 && r.preflist[1] == f);
            };
            for (const auto& [name, r] : read) {
                normalKb +=
                    (r.preflist[0] == f ? r.initSize : 0) +
                    (r.duplex && r.preflist.size() > 1 && r.preflist[1] == f ? r.initSize : 0);
                worstKb += holds(r) ? r.size : 0;
            }
            for (const std::string& x : o.facilities) {
                int64_t kb = 0;
                for (const auto& [name, r] : read) {
                    const auto px = std::find(r.preflist.begin(), r.preflist.end(), x);
                    const auto pf = std::find(r.preflist.begin(), r.preflist.end(), f);
                    kb += holds(r) || (x != f && px < pf && pf != r.preflist.end()) ? r.size : 0;
                }
                worstKb = x == f ? worstKb : std::max(worstKb, kb);
            }
            EXPECT_EQ(policy.fit.placement[i].normalMb,
                      static_cast<double>(normalKb) / 1024 + o.dumpSpaceMb);
            EXPECT_EQ(policy.fit.placement[i].afterLossMb,
                      static_cast<double>(worstKb) / 1024 + o.dumpSpaceMb);
        }
    }
    // Every kind of GBP came up often enough to be checked.
    EXPECT_GT(measured, 500);
    EXPECT_GT(unmeasured, 200);
    EXPECT_GT(catalogNotShared, 50);
    EXPECT_GT(cached, 500);
}

}  // namespace
}  // namespace core

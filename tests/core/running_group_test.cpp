#include "core/running_group.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/cfrm_policy.h"
#include "core/gbp_display.h"
#include "core/policy_source.h"
#include "core/xcf_display.h"
#include "tests/core/reader_cases.h"

namespace core {
namespace {

constexpr int64_t kMb = 1024;

CfrmStructure Gbp(const std::string& name, int64_t initMb, int64_t sizeMb, int64_t ratio,
                  int64_t data) {
    CfrmStructure s;
    s.name = name;
    s.initSizeKb = initMb * kMb;
    s.sizeKb = sizeMb * kMb;
    s.allowAutoAlter = true;
    s.preflist = {"CF01", "CF02"};
    s.entries = GbpEntries{data, 0, ratio, ratio};
    return s;
}

// A recommendation for group DSNDB0G, written by hand.
CfrmPolicy Recommendation() {
    CfrmPolicy p;
    p.groupName = "DSNDB0G";
    p.facilities = {"CF01", "CF02"};
    CfrmStructure lock;
    lock.kind = StructureKind::kLock;
    lock.name = "DSNDB0G_LOCK1";
    lock.initSizeKb = 128 * kMb;
    lock.sizeKb = 256 * kMb;
    lock.preflist = {"CF01", "CF02"};
    p.structures.push_back(lock);
    p.structures.push_back(Gbp("DSNDB0G_GBP0", 48, 72, 5, 1000));
    CfrmStructure gbp1 = Gbp("DSNDB0G_GBP1", 96, 144, 8, 2000);
    gbp1.duplex = true;
    p.structures.push_back(gbp1);
    p.structures.push_back(Gbp("DSNDB0G_GBP32K", 48, 72, 10, 500));
    p.structures.push_back(Gbp("DSNDB0G_GBP8K0", 16, 24, 10, 100));
    return p;
}

std::string Job() {
    return testing::CardJob(
        "//DEFPOL   JOB (ACCT),'CFRM POLICY',CLASS=A\n"
        "//STEP1    EXEC PGM=IXCMIAPU\n"
        "//SYSIN    DD   *\n",
        {
            "  DATA TYPE(CFRM) REPORT(YES)",
            "  DEFINE POLICY NAME(POLDAY) REPLACE(YES)",
            "    CF NAME(CF01) TYPE(003931) MFG(IBM) PLANT(02)",
            "    CF NAME(CF02) TYPE(003931) /* the second box */ MFG(IBM)",
            "    /* Payroll's structures */",
            "    STRUCTURE NAME(DSNDB0G_LOCK1)",
            "              INITSIZE(256M) SIZE(512M)",
            "              PREFLIST(CF01,CF02)",
            "    STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(65536) SIZE(131072)",
            "              PREFLIST(CF02,CF01) ALLOWAUTOALT(YES)",
            "              FULLTHRESHOLD(85)",
            "    STRUCTURE NAME(DSNDB0G_GBP1) INITSIZE(64M) SIZE(128M)",
            "              PREFLIST(CF01,CF02) DUPLEX(ENABLED) ALLOWAUTOALT(YES)",
            "    STRUCTURE NAME(DSNDB0G_GBP32K) INITSIZE(32M) SIZE(64M)",
            "              PREFLIST(CF01,CF02) ALLOWAUTOALT(YES)",
            "    STRUCTURE NAME(DSNDB0G_GBP2) INITSIZE(16M) SIZE(32M)",
            "    STRUCTURE NAME(IXC_DEFAULT_1) SIZE(1G) PREFLIST(CF01,CF02)",
        });
}

// GBP0 short of both entries; GBP1 duplexed with a pending ratio, displayed by two members.
std::string GbpDisplayText() {
    return "10.15.01 STC01234  DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 FOLLOWS\n"
           "10.15.01 STC01234  DSNB755I -DB1A DB2 GROUP BUFFER POOL STATUS\n"
           "10.15.01 STC01234   CURRENT DIRECTORY TO DATA RATIO = 6\n"
           "10.15.01 STC01234   PENDING DIRECTORY TO DATA RATIO = 6\n"
           "10.15.01 STC01234  DSNB758I -DB1A ALLOCATED SIZE = 65536 KB\n"
           "10.15.01 STC01234  DSNB759I -DB1A NUMBER OF DIRECTORY ENTRIES = 61020\n"
           "10.15.01 STC01234   NUMBER OF DATA PAGES = 10168\n"
           "10.15.01 STC01234  DSNB783I -DB1A CUMULATIVE GROUP DETAIL STATISTICS SINCE "
           "10:42:07 DEC 06, 2026\n"
           "10.15.01 STC01234  DSNB786I -DB1A WRITES\n"
           "10.15.01 STC01234     FAILED DUE TO LACK OF STORAGE = 3\n"
           "10.15.01 STC01234  DSNB788I -DB1A CROSS INVALIDATIONS\n"
           "10.15.01 STC01234     DUE TO DIRECTORY RECLAIMS = 5\n"
           "10.15.01 STC01234  DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 IS COMPLETE\n"
           "DSNB750I -DB2A DISPLAY FOR GROUP BUFFER POOL GBP1 FOLLOWS\n"
           "DSNB755I -DB2A DB2 GROUP BUFFER POOL STATUS\n"
           "   CURRENT DIRECTORY TO DATA RATIO = 5\n"
           "   PENDING DIRECTORY TO DATA RATIO = 7\n"
           "DSNB757I -DB2A MVS CFRM POLICY STATUS FOR DSNDB0G_GBP1 = NORMAL\n"
           "   CURRENT DUPLEXING MODE = DUPLEX\n"
           "DSNB758I -DB2A ALLOCATED SIZE = 65536 KB\n"
           "DSNB786I -DB2A WRITES\n"
           "     FAILED DUE TO LACK OF STORAGE = 0\n"
           "DSNB762I -DB2A DUPLEXING STATISTICS FOR GBP1-SEC\n"
           "     FAILED DUE TO LACK OF STORAGE = 9\n"
           "DSNB790I -DB2A DISPLAY FOR GROUP BUFFER POOL GBP1 IS COMPLETE\n"
           "DSNB751I -DB2A DISPLAY FOR GROUP BUFFER POOL GBP2 FOLLOWS\n"
           "DSNB790I -DB2A DISPLAY FOR GROUP BUFFER POOL GBP2 IS COMPLETE\n";
}

std::string XcfText() {
    return "IXC360I  10.15.22  DISPLAY XCF 123\n"
           "STRNAME: DSNDB0G_GBP32K\n"
           " STATUS: ALLOCATED\n"
           " POLICY INFORMATION:\n"
           "  POLICY SIZE    : 64 M\n"
           "  POLICY INITSIZE: 32 M\n"
           "  CFNAME         : CF01\n"
           "  ACTUAL SIZE    : 32 M\n"
           "STRNAME: DSNDB0G_LOCK1\n"
           " STATUS:                   ALLOCATED\n"
           " POLICY INFORMATION:\n"
           "  POLICY SIZE:             512 M\n"
           "  POLICY INITSIZE:         256 M\n"
           " PENDING POLICY INFORMATION:\n"
           "  POLICY SIZE:             768 M\n"
           "STRNAME: DSNDB0G_GBP9\n"
           " STATUS: NOT ALLOCATED\n";
}

// What a reader made of its text, failing the test on a refusal.
template <class Result>
auto Read(const Result& r) {
    EXPECT_TRUE(r.ok()) << r.status().message();
    return r.ok() ? *r : std::decay_t<decltype(*r)>{};
}

class RunningGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        policy = Recommendation();
        options.groupName = "DSNDB0G";
        options.facilities = {"CF01", "CF02"};
        job = Job();
        gbps = Read(ReadGbpDisplay(GbpDisplayText()));
        xcf = Read(ReadXcfDisplay(XcfText()));
        source = Read(ReadPolicySource(job));
        inputs.gbpDisplay = &gbps;
        inputs.xcfDisplay = &xcf;
        inputs.policySource = &source;
        inputs.policyText = job;
        inputs.newPolicyName = "poldayn";
    }

    static const RunningStructure* Find(const RunningGroup& g, const std::string& name) {
        const auto it = std::find_if(g.structures.begin(), g.structures.end(),
                                     [&name](const RunningStructure& s) { return s.name == name; });
        return it == g.structures.end() ? nullptr : &*it;
    }

    static std::vector<std::string> Codes(const RunningGroup& g) {
        std::vector<std::string> codes;
        for (const Warning& w : g.warnings) {
            codes.push_back(w.code + " " + w.message.substr(0, w.message.find(':')));
        }
        return codes;
    }

    CfrmPolicy policy;
    CfrmOptions options;
    std::string job;
    GbpDisplayRead gbps;
    XcfDisplayRead xcf;
    PolicySource source;
    RunningInputs inputs;
};

// The GBPs' verdicts from their own counters, each structure's action (the first that applies)
// and the warnings where the running group contradicts the recommendation.
TEST_F(RunningGroupTest, VerdictsActionsWarningsNewPolicyAndSteps) {
    const RunningGroup g = ReadRunningGroup(policy, options, inputs);
    ASSERT_TRUE(g.ok()) << g.status.ToString();
    ASSERT_EQ(g.gbps.size(), 3u);
    EXPECT_EQ(g.gbps[0].verdicts,
              (std::vector<std::string>{"too_few_directory_entries", "too_few_data_entries"}));
    EXPECT_EQ(g.gbps[0].directoryEntries, 61020);
    EXPECT_EQ(g.gbps[0].dataPages, 10168);
    EXPECT_EQ(g.gbps[0].recommendedInitSizeKb, 48 * kMb);
    EXPECT_EQ(g.gbps[0].recommendedDataEntries, 1000);
    EXPECT_EQ(g.gbps[0].recommendedDirectoryEntries, 5000);
    // The secondary's 9 failed writes are not GBP1's; its 0 draws no verdict.
    EXPECT_EQ(g.gbps[1].verdicts, (std::vector<std::string>{"ratio_pending"}));
    EXPECT_EQ(g.gbps[1].structure, "DSNDB0G_GBP1");
    EXPECT_EQ(g.gbps[2].verdicts, (std::vector<std::string>{"not_in_cfrm_policy"}));
    EXPECT_EQ(g.gbps[2].recommendedInitSizeKb, std::nullopt);

    const std::pair<const char*, const char*> rows[] = {
        {"DSNDB0G_LOCK1", "keep"},    // kept at its current 256 MB
        {"DSNDB0G_GBP0", "keep"},     // INITSIZE and RATIO kept; PREFLIST and SIZE pending
        {"DSNDB0G_GBP1", "rebuild"},  // RATIO 8 against the current 5
        {"DSNDB0G_GBP32K", "alter"},  // 32 to 48 MB within SIZE 64 MB, allocated
        {"DSNDB0G_GBP8K0", "new"},    // not in the source
        {"DSNDB0G_GBP2", "not_recommended"},
        {"DSNDB0G_GBP9", "new"},  // displayed only; not sized either
    };
    for (const auto& [name, action] : rows) {
        const RunningStructure* s = Find(g, name);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(s->action, action) << name;
    }
    EXPECT_EQ(g.structures.size(), std::size(rows));
    const RunningStructure& gbp0 = *Find(g, "DSNDB0G_GBP0");
    EXPECT_EQ(gbp0.recommended->initSizeKb, 64 * kMb);
    EXPECT_EQ(gbp0.recommended->sizeKb, 128 * kMb);
    EXPECT_EQ(gbp0.writtenRatioTenths, 60);
    EXPECT_EQ(gbp0.pending, (std::vector<std::string>{"PREFLIST(CF01,CF02)"}));
    EXPECT_EQ(gbp0.current->preflist, (std::vector<std::string>{"CF02", "CF01"}));
    EXPECT_EQ(gbp0.current->minSizeKb, std::nullopt);
    EXPECT_EQ(Find(g, "DSNDB0G_GBP8K0")->current, std::nullopt);
    EXPECT_EQ(Find(g, "DSNDB0G_GBP2")->recommended, std::nullopt);
    EXPECT_TRUE(Find(g, "DSNDB0G_GBP1")->duplexed);

    EXPECT_EQ(Codes(g), (std::vector<std::string>{"recommendation_below_running DSNDB0G_LOCK1",
                                                  "recommendation_below_running DSNDB0G_GBP0",
                                                  "recommendation_below_running DSNDB0G_GBP0",
                                                  "pending_ratio_overridden GBP1",
                                                  "policy_source_not_active DSNDB0G_LOCK1",
                                                  "policy_source_not_active DSNDB0G_GBP9"}));
    EXPECT_EQ(g.warnings[1].message,
              "DSNDB0G_GBP0: the recommendation's INITSIZE of 48 MB is 16 MB below the current "
              "64 MB, and the structure reports a shortage; the current INITSIZE is kept.");
    // GBP32K has no display: its RATIO(10) is taken for Db2's default and needs no command.
    EXPECT_EQ(g.ratioCommands, (std::vector<std::string>{"-ALTER GROUPBUFFERPOOL(GBP1) RATIO(8)"}));

    // The new policy.
    // LOCK1 keeps its figures, so its bytes stand; changed values fit in their columns; GBP8K0
    // follows the group's last statement.
    std::string expected = job;
    for (const auto& [from, to] : std::initializer_list<std::pair<std::string, std::string>>{
             {"NAME(POLDAY) REPLACE(YES)", "NAME(POLDAYN) REPLACE(NO)"},
             {"PREFLIST(CF02,CF01)", "PREFLIST(CF01,CF02)"},
             {"GBP1) INITSIZE(64M) SIZE(128M)", "GBP1) INITSIZE(96M) SIZE(144M)"},
             {"GBP32K) INITSIZE(32M) SIZE(64M)", "GBP32K) INITSIZE(48M) SIZE(72M)"},
             {"    STRUCTURE NAME(IXC",
              "    STRUCTURE NAME(DSNDB0G_GBP8K0)\n"
              "              SIZE(24576) INITSIZE(16384) ALLOWAUTOALT(YES)\n"
              "              PREFLIST(CF01,CF02)\n"
              "    STRUCTURE NAME(IXC"}}) {
        ASSERT_NE(expected.find(from), std::string::npos) << from;
        expected.replace(expected.find(from), from.size(), to);
    }
    EXPECT_EQ(g.newPolicy, expected);
    const PolicySourceResult back = ReadPolicySource(g.newPolicy);
    ASSERT_TRUE(back.ok()) << back.status().message();
    EXPECT_EQ(back->policyName, "POLDAYN");
    EXPECT_EQ(back->structures.size(), 7u);

    // The steps, with a command prefix.
    options.commandPrefix = "-DB1A";
    const RunningGroup prefixed = ReadRunningGroup(policy, options, inputs);
    EXPECT_EQ(
        prefixed.steps,
        (std::vector<std::string>{
            "1. Run the job of policy POLDAYN with REPORT(YES) and read its report; if the couple "
            "data set has no room for another policy, delete an unused one (DELETE POLICY "
            "NAME(...)).",
            "2. -DB1A ALTER GROUPBUFFERPOOL(GBP1) RATIO(8) (pending until the GBP is allocated "
            "anew, DSNB800I)",
            "3. SETXCF START,POLICY,TYPE=CFRM,POLNAME=POLDAYN",
            "4. SETXCF START,ALTER,STRNAME=DSNDB0G_GBP32K,SIZE=49152K",
            "5. SETXCF STOP,REBUILD,DUPLEX,STRNAME=DSNDB0G_GBP1,KEEP=OLD",
            "6. SETXCF START,REBUILD,STRNAME=DSNDB0G_GBP1",
            "7. SETXCF START,REBUILD,DUPLEX,STRNAME=DSNDB0G_GBP1 (at low activity)",
            "8. SETXCF START,REALLOCATE (for the pending changes)",
            "9. -DB1A DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*)", "10. D XCF,STR,STRNAME=DSNDB0G_*",
            "11. To fall back: SETXCF START,POLICY,TYPE=CFRM,POLNAME=POLDAY"}));

    // A pending ratio equal to the written one gets no command.
    policy.structures[2].entries->ratio = 7;
    const RunningGroup pending = ReadRunningGroup(policy, options, inputs);
    EXPECT_TRUE(pending.ratioCommands.empty());
    EXPECT_EQ(Find(pending, "DSNDB0G_GBP1")->action, "rebuild");

    // Usage problems are refused.
    const std::pair<const char*, const char*> badNames[] = {
        {"", "The new policy name must be 1 to 8 characters."},
        {"POLICY123", "The new policy name must be 1 to 8 characters."},
        {"1POL", "The new policy name must start with A-Z and hold only A-Z, 0-9, $, # or @."},
        {"POL-1", "The new policy name must start with A-Z and hold only A-Z, 0-9, $, # or @."},
    };
    for (const auto& [name, problem] : badNames) {
        inputs.newPolicyName = name;
        const RunningGroup g = ReadRunningGroup(policy, options, inputs);
        EXPECT_EQ(g.status, Status(StatusCode::kInvalidArgument, problem)) << name;
        EXPECT_TRUE(g.newPolicy.empty()) << name;
    }
}

// The running group with a policy source alone, read from `text`, and NEWPOL for the new policy.
RunningGroup WithSourceOnly(const CfrmPolicy& policy, const std::string& text) {
    const PolicySourceResult source = ReadPolicySource(text);
    EXPECT_TRUE(source.ok()) << source.status().message();
    RunningInputs inputs;
    inputs.policySource = source.ok() ? &*source : nullptr;
    inputs.policyText = text;
    inputs.newPolicyName = "NEWPOL";
    return ReadRunningGroup(policy, CfrmOptions{}, inputs);
}

// The new policy in the source's own layout: its line ends, its indentation, a comment before a
// statement, no line end at the end.
TEST(RunningGroupLayoutTest, NewPolicyFollowsTheSourcesLayout) {
    CfrmPolicy policy;
    policy.groupName = "DSNDB0G";
    policy.facilities = {"CF01"};
    policy.structures = {Gbp("DSNDB0G_GBP0", 48, 72, 10, 100),
                         Gbp("DSNDB0G_GBP8K0", 16, 24, 10, 100)};
    const std::pair<const char*, const char*> rows[] = {
        {"  DATA TYPE(CFRM)\r\n"
         "  DEFINE POLICY NAME(P1)\r\n"
         "  CF NAME(CF01)\r\n"
         "  STRUCTURE NAME(DSNDB0G_GBP0) SIZE(64M) INITSIZE(32M)\r\n",
         "  DATA TYPE(CFRM)\r\n"
         "  DEFINE POLICY NAME(NEWPOL) REPLACE(NO)\r\n"
         "  CF NAME(CF01)\r\n"
         "  STRUCTURE NAME(DSNDB0G_GBP0) SIZE(72M) INITSIZE(48M)\r\n"
         "            ALLOWAUTOALT(YES) PREFLIST(CF01,CF02)\r\n"
         "  STRUCTURE NAME(DSNDB0G_GBP8K0)\r\n"
         "            SIZE(24576) INITSIZE(16384) ALLOWAUTOALT(YES)\r\n"
         "            PREFLIST(CF01,CF02)\r\n"},
        {"DATA TYPE(CFRM)\n"
         "DEFINE POLICY NAME(P1)\n"
         "  REPLACE(YES)\n"
         "CF NAME(CF01)\n"
         "/* g */ STRUCTURE NAME(DSNDB0G_GBP0) SIZE(64M) INITSIZE(32M)",
         "DATA TYPE(CFRM)\n"
         "DEFINE POLICY NAME(NEWPOL) REPLACE(NO)\n"
         "CF NAME(CF01)\n"
         "/* g */ STRUCTURE NAME(DSNDB0G_GBP0) SIZE(72M) INITSIZE(48M)\n"
         "                  ALLOWAUTOALT(YES) PREFLIST(CF01,CF02)\n"
         "STRUCTURE NAME(DSNDB0G_GBP8K0)\n"
         "          SIZE(24576) INITSIZE(16384) ALLOWAUTOALT(YES)\n"
         "          PREFLIST(CF01,CF02)"},
        // A comment before or after a statement stays in its columns; a valueless keyword
        // stays valueless; a long value is cut at its blanks.
        {"DATA TYPE(CFRM)\n"
         "DEFINE POLICY NAME(P1) /* keep */ CF NAME(CF01)\n"
         "/* a comment taking most of the line */ STRUCTURE NAME(DSNDB0G_GBP0)\n"
         " SIZE(64M) INITSIZE(32M) ENFORCEORDER EXCLLIST(AAAAAAAAAAAAAAAA\n"
         " BBBBBBBBBBBBBBBB CCCCCCCCCCCCCCCC DDDDDDDDDDDDDDDD)\n",
         "DATA TYPE(CFRM)\n"
         "DEFINE POLICY NAME(NEWPOL) REPLACE(NO)\n"
         "                       /* keep */ CF NAME(CF01)\n"
         "/* a comment taking most of the line */ STRUCTURE NAME(DSNDB0G_GBP0)\n"
         " SIZE(72M) INITSIZE(48M) ENFORCEORDER EXCLLIST(AAAAAAAAAAAAAAAA\n"
         " BBBBBBBBBBBBBBBB CCCCCCCCCCCCCCCC DDDDDDDDDDDDDDDD) ALLOWAUTOALT(YES)\n"
         " PREFLIST(CF01,CF02)\n"
         "STRUCTURE NAME(DSNDB0G_GBP8K0)\n"
         " SIZE(24576) INITSIZE(16384) ALLOWAUTOALT(YES) PREFLIST(CF01,CF02)\n"},
    };
    for (const auto& [source, expected] : rows) {
        const RunningGroup g = WithSourceOnly(policy, source);
        ASSERT_TRUE(g.ok()) << g.status.ToString();
        EXPECT_EQ(g.newPolicy, expected) << source;
        EXPECT_TRUE(ReadPolicySource(g.newPolicy).ok()) << g.newPolicy;
    }
}

// Without displays: the current ratio is taken for 10, and allocation is unknown.
TEST(RunningGroupLayoutTest, ActionsWithoutDisplays) {
    const std::tuple<const char*, const char*, std::vector<std::string>> rows[] = {
        {"STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(32M) SIZE(40M)\n PREFLIST(CF01,CF02)",
         "rebuild",
         {"SIZE 72 MB"}},  // INITSIZE 48 MB above SIZE 40 MB
        {"STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(32M) SIZE(64M)\n PREFLIST(CF01,CF02)",
         "keep",
         {"SIZE 72 MB", "INITSIZE 48 MB"}},  // not known to be allocated: no alter
        {"STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(48M) SIZE(72M)\n PREFLIST(CF02,CF01) "
         "MINSIZE(32M) ALLOWAUTOALT(YES)",
         "keep",
         {"PREFLIST(CF01,CF02)"}},
    };
    CfrmPolicy policy;
    policy.groupName = "DSNDB0G";
    policy.facilities = {"CF01"};
    policy.structures = {Gbp("DSNDB0G_GBP0", 48, 72, 10, 100)};
    for (const auto& [statement, action, pending] : rows) {
        const std::string text = std::string(
                                     "DATA TYPE(CFRM)\nDEFINE POLICY NAME(P1)\n"
                                     "CF NAME(CF01)\nCF NAME(CF02)\n") +
                                 statement + "\n";
        const RunningGroup g = WithSourceOnly(policy, text);
        ASSERT_EQ(g.structures.size(), 1u) << g.status.ToString();
        EXPECT_EQ(g.structures[0].action, action) << statement;
        EXPECT_EQ(g.structures[0].pending, pending) << statement;
        EXPECT_TRUE(g.ratioCommands.empty()) << statement;
    }
}

// A source whose reading depends on what follows the group's statements (found by fuzzing):
// the new policy would not read back as written, so it is refused rather than handed out.
TEST(RunningGroupLayoutTest, ANewPolicyThatWouldNotReadBackIsRefused) {
    const std::string text =
        "\xef\xbb\xbf"
        "EFPOL   JOB (ACCT),CLASS=A\n"
        "//STEP1    EXEC \xfbGM=IXCMIAPU\n"
        "//SYSIN   \x1c"
        "DD ) *\n"
        "  DATA TYPE(CFRM) REPORT(YES)\n"
        "  DEFINE \x1c"
        "DD   *\n"
        "  DATA TYPE(CFRM) REPORT(YES)\n"
        "  DEFINE POLICY NAME(POL5) REPLACE(YES)\n"
        "  ATA TYPE(CFRM) REPORT(YES)[  DEFINE POhe group buffer\xffp\x8f\x90\x93\xf5       of the "
        "payroll group */\n"
        " \xe0\xdf\xdf\xb0TRUCTURE NAME(DSN-DB0G_GBP0) INITSIZE(64M) SIZE(&31072)     /* the group "
        "buffer pool\n"
        "       of the pa\x7f\xff\xff\xff\xff\xff\xff\xf9o  */pu\n"
        "\xe0\xdf\xdf\xb0TRUCTURE NAME(DSNDB0G_GBP0) INPOLICY NAME(POL5) REPLACE(YES)PREFERENCE "
        "LIST:(\n"
        "  ATA TYPE(CFRM) REPORT(YES)[  DEFINE POhe group buffer\xffp\x8f\x90\x93\xf5       of the "
        "payroll group */\n"
        " \xe0\xdf\xdf\xb0TRUCTURE NAME(DSN-DB0G_GBP0) INITSIZE(64M) SIZE(131072)     /* the group "
        "buffer pool\n"
        "       of the payroll gro  */pu\n"
        "\xe0\xdf\xdf\xb0TRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(64M) SI(011E3Z72)        00010000\n"
        "              PREFLIST(CF02,CF02) 1DUPLEX(ENABLED) A...LLOWAUTOALT(YES)\n"
        "              MINSIZE(48 M)\n"
        "/*\n";
    CfrmPolicy policy;
    policy.groupName = "DSNDB0G";
    policy.structures = {Gbp("DSNDB0G_GBP8K0", 16, 24, 10, 100)};
    const RunningGroup g = WithSourceOnly(policy, text);
    EXPECT_TRUE(
        g.status.message().starts_with("The new policy made from the source does not read back ("))
        << g.status.ToString();
    EXPECT_EQ(g.status.code(), StatusCode::kInvalidData);
    EXPECT_TRUE(g.newPolicy.empty());
    EXPECT_TRUE(g.steps.empty());
}

}  // namespace
}  // namespace core

#include "core/policy_source.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/reader_cases.h"

namespace core {
namespace {

using testing::Card;

// A whole job with JCL, sequence numbers, and statements and comments over several lines.
std::string Job() {
    return testing::CardJob(
        "//DEFPOL   JOB (ACCT),'CFRM POLICY',CLASS=A,MSGCLASS=X\n"
        "//*  the payroll group's policy\n"
        "//STEP1    EXEC PGM=IXCMIAPU\n"
        "//SYSPRINT DD   SYSOUT=*\n"
        "//SYSIN    DD   *\n",
        {
            "  DATA TYPE(CFRM) REPORT(YES)",
            "  DEFINE POLICY NAME(polday) REPLACE(YES)",
            "    CF NAME(CF01) TYPE(003931) MFG(IBM) PLANT(02)",
            "       SEQUENCE(0000000ABCDE) PARTITION(0F) CPCID(00)",
            "    CF NAME(CF02) TYPE(003931) /* the second box */ MFG(IBM)",
            "    /* The lock structure: sized for",
            "       twelve members. */",
            "    STRUCTURE NAME(DSNDB0G_LOCK1)",
            "              INITSIZE(256M) SIZE(512 M)",
            "              PREFLIST(CF01,CF02) DUPLEX(DISABLED)",
            "    STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(65536) SIZE(131072K)",
            "              MINSIZE(48M) PREFLIST(CF02 CF01) DUPLEX(ENABLED)",
            "              ALLOWAUTOALT(yes)",
            "    STRUCTURE NAME(IXC_DEFAULT_1) SIZE(1G) PREFLIST(CF01,",
            "              CF02)",
        });
}

// "NAME INITSIZE/SIZE/MINSIZE in KB PREFLIST DUPLEX ALLOWAUTOALT", "-" for what is absent.
std::string Figures(const PolicySourceStructure& s) {
    const auto kb = [](const std::optional<int64_t>& v) { return v ? std::to_string(*v) : "-"; };
    std::string list;
    for (const std::string& cf : s.preferenceList) {
        list += (list.empty() ? "" : ",") + cf;
    }
    return s.name + " " + kb(s.initSizeKb) + "/" + kb(s.sizeKb) + "/" + kb(s.minSizeKb) + " " +
           list + " " + (s.duplex.empty() ? "-" : s.duplex) + " " +
           (s.allowAutoAlter ? (*s.allowAutoAlter ? "YES" : "NO") : "-");
}

TEST(PolicySourceTest, ReadsAWholeJobAndWhereEachStatementStands) {
    const std::string text = Job();
    const PolicySourceResult result = ReadPolicySource(text);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const PolicySource& s = *result;
    EXPECT_EQ(s.policyName, "POLDAY");
    EXPECT_EQ(s.verbatimLines, 7);
    EXPECT_TRUE(s.notes.empty());
    ASSERT_EQ(s.statements.size(), 7u);
    EXPECT_EQ(s.statements[0].kind, PolicyStatementKind::kData);
    ASSERT_EQ(s.facilities.size(), 2u);
    EXPECT_EQ(s.facilities[0].name, "CF01");
    EXPECT_EQ(s.facilities[1].name, "CF02");
    // The comment inside CF02's statement does not end it: MFG(IBM) is still its keyword.
    EXPECT_EQ(s.statements[s.facilities[1].statement].keywords.back().name, "MFG");

    ASSERT_EQ(s.structures.size(), 3u);
    EXPECT_EQ(Figures(s.structures[0]), "DSNDB0G_LOCK1 262144/524288/- CF01,CF02 DISABLED -");
    EXPECT_EQ(Figures(s.structures[1]), "DSNDB0G_GBP0 65536/131072/49152 CF02,CF01 ENABLED YES");
    EXPECT_EQ(Figures(s.structures[2]), "IXC_DEFAULT_1 -/1048576/- CF01,CF02 - -");

    // The ranges a writer replaces: the statement's own bytes, and its whole lines with the
    // sequence numbers, so that every other byte of the job can be kept.
    const PolicyStatement& lockAt = s.statements[s.structures[0].statement];
    EXPECT_EQ(lockAt.firstLine, 13);
    EXPECT_EQ(lockAt.lastLine, 15);
    EXPECT_EQ(text.substr(lockAt.begin, lockAt.end - lockAt.begin),
              Card("    STRUCTURE NAME(DSNDB0G_LOCK1)", 8).substr(4) +
                  Card("              INITSIZE(256M) SIZE(512 M)", 9) +
                  "              PREFLIST(CF01,CF02) DUPLEX(DISABLED)");
    EXPECT_EQ(text.substr(lockAt.linesBegin, lockAt.linesEnd - lockAt.linesBegin),
              Card("    STRUCTURE NAME(DSNDB0G_LOCK1)", 8) +
                  Card("              INITSIZE(256M) SIZE(512 M)", 9) +
                  Card("              PREFLIST(CF01,CF02) DUPLEX(DISABLED)", 10));
    // A value closed on the next line ends the statement there.
    const PolicyStatement& last = s.statements.back();
    EXPECT_EQ(last.lastLine, 20);
    EXPECT_EQ(text[last.end - 1], ')');
    // Statements never overlap and keep text order.
    for (size_t i = 1; i < s.statements.size(); ++i) {
        EXPECT_LE(s.statements[i - 1].end, s.statements[i].begin) << i;
    }
}

TEST(PolicySourceTest, ReadsTheUtilityInputAlone) {
    const PolicySourceResult result = ReadPolicySource(
        "/* no JCL here: a comment in column 1 */\r\n"
        "DATA TYPE(CFRM)\r\n"
        "DEFINE POLICY NAME(P2)\r\n"
        "STRUCTURE NAME(S1) SIZE(100)\r\n" +
        std::string(70, ' ') + "ABCDEFGHIJK\r\n");
    ASSERT_TRUE(result.ok()) << result.status().message();
    EXPECT_EQ(result->verbatimLines, 0);
    ASSERT_EQ(result->structures.size(), 1u);
    EXPECT_EQ(result->structures[0].sizeKb, 100);
    // Column 71 holds "A", read as a word of the statement; columns 72 on are not.
    EXPECT_EQ(result->statements.back().keywords.back().name, "A");
    ASSERT_EQ(result->notes.size(), 1u);
    EXPECT_EQ(result->notes[0],
              "Line 5 is longer than 80 columns; the utility reads columns 1 to 71 and so does "
              "this reader.");
}

TEST(PolicySourceTest, TakesALoneUnclosedOpenerForTheDelimiter) {
    const std::string input = "DATA TYPE(CFRM)\nDEFINE POLICY NAME(P3)\nCF NAME(C9)\n";
    const PolicySourceResult copied = ReadPolicySource(input + "/*  \n");
    ASSERT_TRUE(copied.ok()) << copied.status().message();
    EXPECT_EQ(copied->verbatimLines, 1);
    const PolicySourceResult commented =
        ReadPolicySource(input + "/*\n   a block of comment\n*/\nSTRUCTURE NAME(S1)\n");
    ASSERT_TRUE(commented.ok()) << commented.status().message();
    EXPECT_EQ(commented->verbatimLines, 0);
    EXPECT_EQ(commented->structures.size(), 1u);
}

// With DLM=$$ a comment may start in column 1; "$$" ends the data and with it a statement; the
// data of another program's step is not read.
TEST(PolicySourceTest, EndsTheDataWhereTheJobDoes) {
    const PolicySourceResult result = ReadPolicySource(
        "//STEP1  EXEC PGM=IXCMIAPU,REGION=0M\n"
        "//SYSIN  DD *,DLM='$$'\n"
        "/* a comment in column 1 */\n"
        "  DATA TYPE(CFRM)\n"
        "  DEFINE POLICY NAME(P4)\n"
        "  STRUCTURE NAME(S1)\n"
        "$$\n"
        "  SIZE 5\n"
        "//STEP2  EXEC PGM=IDCAMS\n"
        "//SYSIN  DD *\n"
        "  DELETE (A.B) PURGE /* not the utility's\n"
        "/*\n"
        "// EXEC PGM=ixcmiapu\n"
        "  STRUCTURE NAME(S2)\n");
    ASSERT_TRUE(result.ok()) << result.status().message();
    EXPECT_EQ(result->verbatimLines, 8);
    ASSERT_EQ(result->structures.size(), 2u);
    EXPECT_FALSE(result->structures[0].sizeKb.has_value());
    ASSERT_EQ(result->statements.size(), 5u);
    EXPECT_EQ(result->statements[3].verb, "SIZE");
}

TEST(PolicySourceTest, RefusesWithOneLine) {
    const std::string head = "DATA TYPE(CFRM)\nDEFINE POLICY NAME(P1)\n";
    const std::string lookedFor =
        "it holds no policy job (looked for DATA TYPE(CFRM), DEFINE POLICY NAME(...), CF and "
        "STRUCTURE statements)";
    const testing::Refusal cases[] = {
        {"JCL only", "//X JOB\n//S EXEC PGM=IEFBR14\n", lookedFor},
        {"no DATA", "DEFINE POLICY NAME(P1)\n", "it has no DATA TYPE(CFRM) statement"},
        {"LOGR", "DATA TYPE(LOGR)\nDEFINE LOGSTREAM NAME(X)\n",
         "it is a DATA TYPE(LOGR) job, not a CFRM policy on line 1"},
        {"no DEFINE POLICY", "DATA TYPE(CFRM)\nSTRUCTURE NAME(S)\n",
         "the STRUCTURE statement on line 2 comes before DEFINE POLICY"},
        {"no policy at all", "DATA TYPE(CFRM) REPORT(YES)\n",
         "it defines no policy: there is no DEFINE POLICY NAME(...) statement"},
        {"two policies", head + "DEFINE POLICY NAME(P2) REPLACE(YES)\n",
         "it defines 2 policies (P1 on line 2, P2 on line 3); give a job with one DEFINE POLICY"},
        {"policy without name", "DATA TYPE(CFRM)\nDEFINE POLICY REPLACE(YES)\n",
         "the DEFINE POLICY has no NAME(...) on line 2"},
        {"structure without name", head + "STRUCTURE SIZE(10)\n",
         "the STRUCTURE statement on line 3 has no NAME(...)"},
        {"structure twice", head + "STRUCTURE NAME(S1)\nSTRUCTURE NAME(s1)\n",
         "structure S1 is defined a second time on line 4"},
        {"facility twice", head + "CF NAME(C1)\nCF NAME(C1)\n",
         "facility C1 is defined a second time on line 4"},
        {"open comment", head + "/* never closed\nSTRUCTURE NAME(S1)\n",
         "a comment opened on line 3 is not closed before the end of the data on line 4"},
        {"open comment at the delimiter", "//S EXEC PGM=IXCMIAPU\n" + head + " /* open\n/*\n",
         "a comment opened on line 4 is not closed before the end of the data on line 5"},
        {"open parenthesis", head + "STRUCTURE NAME(S1\n",
         "a parenthesis opened on line 3 is not closed before the end of the data on line 3"},
        {"nested parenthesis", head + "STRUCTURE NAME((S1))\n",
         "a parenthesis inside the value of NAME on line 3"},
        {"stray closing", head + "STRUCTURE NAME(S1))\n",
         "a closing parenthesis without an opening one on line 3"},
        {"value without keyword", head + "STRUCTURE (S1)\n",
         "a parenthesis without a keyword before it on line 3"},
        {"size not a number", head + "STRUCTURE NAME(S1) SIZE(12X)\n",
         "SIZE(12X) of structure S1 is not a size (a number, then K, M, G or T) on line 3"},
        {"size beyond 64 bits", head + "STRUCTURE NAME(S1)\n INITSIZE(99999999999T)\n",
         "INITSIZE(99999999999T) of structure S1 is beyond 64 bits in KB on line 4"},
        {"ALLOWAUTOALT", head + "STRUCTURE NAME(S1) ALLOWAUTOALT(\x01MAYBE)\n",
         "ALLOWAUTOALT(?MAYBE) of structure S1 is neither YES nor NO on line 3"},
        {"too large", std::string((size_t{4} << 20) + 1, ' '),
         "it is larger than 4 MB, far more than any text of its kind"},
    };
    testing::ExpectRefusals(ReadPolicySource, cases);
}

}  // namespace
}  // namespace core

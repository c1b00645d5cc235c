#include "gbp_display.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

// A duplexed GBP0 as member DB1A shows it, with the secondary's figures after DSNB799I and
// DSNB762I that must not count as the GBP's.
const char* const kDuplexedGbp0 =
    "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 FOLLOWS\n"
    "DSNB755I -DB1A DB2 GROUP BUFFER POOL STATUS\n"
    "             CONNECTED                                 = YES\n"
    "             CURRENT DIRECTORY TO DATA RATIO           = 6\n"
    "             PENDING DIRECTORY TO DATA RATIO           = 6\n"
    "DSNB757I -DB1A MVS CFRM POLICY STATUS FOR DSNDB0G_GBP0   = NORMAL\n"
    "             MAX SIZE INDICATED IN POLICY              = 98304 KB\n"
    "             DUPLEX INDICATOR IN POLICY                = ENABLED\n"
    "             CURRENT DUPLEXING MODE                    = DUPLEX\n"
    "             ALLOCATED                                 = YES\n"
    "DSNB758I -DB1A   ALLOCATED SIZE                        = 65536 KB\n"
    "             VOLATILITY STATUS                         = VOLATILE\n"
    "             CFNAME                                    = CF01\n"
    "DSNB759I -DB1A   NUMBER OF DIRECTORY ENTRIES           = 61020\n"
    "             NUMBER OF DATA PAGES                      = 10168\n"
    "DSNB799I -DB1A SECONDARY GBP ATTRIBUTES\n"
    "             ALLOCATED SIZE                            = 32768 KB\n"
    "             CFNAME                                    = CF02\n"
    "             NUMBER OF DIRECTORY ENTRIES               = 30000\n"
    "DSNB783I -DB1A CUMULATIVE GROUP DETAIL STATISTICS SINCE 10:42:07 DEC 06, 2026\n"
    "DSNB786I -DB1A   WRITES\n"
    "               CHANGED PAGES                           = 4410\n"
    "               CLEAN PAGES                             = 0\n"
    "               FAILED DUE TO LACK OF STORAGE           = 3\n"
    "             CHANGED PAGES SNAPSHOT VALUE              = 77\n"
    "DSNB787I -DB1A   RECLAIMS\n"
    "               FOR DIRECTORY ENTRIES                   = 12\n"
    "               FOR DATA ENTRIES                        = 900\n"
    "               CASTOUTS                                = 2000\n"
    "DSNB788I -DB1A   CROSS INVALIDATIONS\n"
    "               DUE TO DIRECTORY RECLAIMS               = 5\n"
    "               DUE TO WRITES                           = 40\n"
    "DSNB762I -DB1A   DUPLEXING STATISTICS FOR GBP0-SEC\n"
    "               WRITES\n"
    "                 CHANGED PAGES                         = 4409\n"
    "                 FAILED DUE TO LACK OF STORAGE         = 99\n"
    "DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 IS COMPLETE\n";

TEST(GbpDisplayTest, ReadsEveryFigureOfADuplexedDisplay) {
    const GbpDisplayResult result = ReadGbpDisplay(kDuplexedGbp0);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->gbps.size(), 1u);
    const GbpDisplay& d = result.read->gbps[0];
    EXPECT_EQ(d.gbp, "GBP0");
    EXPECT_EQ(d.member, "-DB1A");
    EXPECT_EQ(d.firstLine, 1);
    EXPECT_EQ(d.lastLine, 37);
    EXPECT_TRUE(d.complete);
    EXPECT_FALSE(d.notInCfrmPolicy);
    EXPECT_EQ(d.currentRatio, 6.0);
    EXPECT_EQ(d.pendingRatio, 6.0);
    EXPECT_EQ(d.structureName, "DSNDB0G_GBP0");
    EXPECT_EQ(d.policyMaxSizeKb, 98304);
    EXPECT_EQ(d.duplexInPolicy, "ENABLED");
    EXPECT_EQ(d.duplexingMode, "DUPLEX");
    // The secondary's 32768 KB, CF02 and 30000 entries stay out.
    EXPECT_EQ(d.allocatedSizeKb, 65536);
    EXPECT_EQ(d.cfName, "CF01");
    EXPECT_EQ(d.directoryEntries, 61020);
    EXPECT_EQ(d.dataPages, 10168);
    EXPECT_EQ(d.periodStart, "10:42:07 DEC 06, 2026");
    EXPECT_EQ(d.periodStartKey, 20261206104207);
    // 4410 and 3, not the secondary's 4409 and 99, nor the snapshot's 77.
    EXPECT_EQ(d.changedPages, 4410);
    EXPECT_EQ(d.writesFailed, 3);
    EXPECT_EQ(d.directoryReclaims, 12);
    EXPECT_EQ(d.dataReclaims, 900);
    EXPECT_EQ(d.castouts, 2000);
    EXPECT_EQ(d.xiDirectoryReclaims, 5);
    EXPECT_TRUE(d.secondaryReported);
    EXPECT_EQ(d.displayCount, 1);
    EXPECT_TRUE(result.read->notes.empty());
}

// A partial display of a GBP the CFRM policy lacks, captured from SYSLOG with a prefix on every
// line, a pending ratio, blanks around "=" or none, and another job's message in between.
TEST(GbpDisplayTest, ReadsPrefixedLinesAndAPartialDisplay) {
    const std::string text =
        "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090  DSNB751I -DB2A MVS CFRM POLICY "
        "INFORMATION NOT AVAILABLE FOR GROUP BUFFER POOL GBP8K1\n"
        "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090  MVS IXCQUERY RETURN CODE = 4\n"
        "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090  DSNB755I -DB2A DB2 GROUP BUFFER "
        "POOL STATUS CONNECTED = NO\n"
        "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090      CURRENT DIRECTORY TO DATA "
        "RATIO=5\n"
        "N 0000000 SYSA 26340 10:15:22.14 JOB00042 00000281  IEF403I PAYROLL - STARTED\n"
        "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090      PENDING DIRECTORY TO DATA "
        "RATIO =  7.5\n"
        "N 4020000 SYSA 26340 10:15:22.15 STC01234 00000090  DSNB755I -DB2A      PENDING "
        "DIRECTORY TO DATA RATIO= 2.5\n"
        "N 4020000 SYSA 26340 10:15:22.15 STC01234 00000090  DSNB790I -DB2A DISPLAY FOR GROUP "
        "BUFFER POOL GBP8K1 IS COMPLETE\n";
    const GbpDisplayResult result = ReadGbpDisplay(text);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->gbps.size(), 1u);
    const GbpDisplay& d = result.read->gbps[0];
    EXPECT_EQ(d.gbp, "GBP8K1");
    EXPECT_EQ(d.member, "-DB2A");
    EXPECT_TRUE(d.notInCfrmPolicy);
    EXPECT_EQ(d.currentRatio, 5.0);
    // The 7.5 follows the other job's message, so it is not DSNB755I's.
    EXPECT_EQ(d.pendingRatio, 2.5);
    EXPECT_FALSE(d.allocatedSizeKb.has_value());
    EXPECT_FALSE(d.changedPages.has_value());
    EXPECT_FALSE(d.writesFailed.has_value());
    EXPECT_FALSE(d.xiDirectoryReclaims.has_value());
    EXPECT_FALSE(d.periodStartKey.has_value());
}

std::string Display(const std::string& member, const std::string& gbp, const std::string& since,
                    const std::string& reclaims) {
    return "DSNB750I " + member + " DISPLAY FOR GROUP BUFFER POOL " + gbp + " FOLLOWS\n" +
           (since.empty() ? ""
                          : "DSNB783I " + member + " CUMULATIVE GROUP DETAIL STATISTICS SINCE " +
                                since + "\n") +
           "DSNB788I " + member + " CROSS INVALIDATIONS\n" +
           "     DUE TO DIRECTORY RECLAIMS = " + reclaims + "\n" + "DSNB790I " + member +
           " DISPLAY FOR GROUP BUFFER POOL " + gbp + " IS COMPLETE\n";
}

TEST(GbpDisplayTest, KeepsTheDisplayWithTheLatestPeriodStart) {
    struct Case {
        const char* name;
        std::string text;
        int64_t keptReclaims;
        const char* keptMember;
    };
    const Case cases[] = {
        {"later start first",
         Display("-DB1A", "GBP1", "09:00:00 JAN 02, 2027", "7") +
             Display("-DB2A", "GBP1", "23:59:59 DEC 31, 2026", "9"),
         7, "-DB1A"},
        {"later start second",
         Display("-DB1A", "GBP1", "10:00:00 DEC 06, 2026", "7") +
             Display("-DB2A", "GBP1", "10:00:01 DEC 06, 2026", "9"),
         9, "-DB2A"},
        {"equal starts: the later in the text",
         Display("-DB1A", "GBP1", "10:00:00 DEC 06, 2026", "7") +
             Display("-DB2A", "GBP1", "10:00:00 DEC 06, 2026", "9"),
         9, "-DB2A"},
        {"a known start beats none",
         Display("-DB1A", "GBP1", "10:00:00 DEC 06, 2026", "7") + Display("-DB2A", "GBP1", "", "9"),
         7, "-DB1A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GbpDisplayResult result = ReadGbpDisplay(c.text);
        ASSERT_TRUE(result.ok()) << result.error;
        ASSERT_EQ(result.read->gbps.size(), 1u);
        const GbpDisplay& d = result.read->gbps[0];
        EXPECT_EQ(d.xiDirectoryReclaims, c.keptReclaims);  // never 16: displays are not added
        EXPECT_EQ(d.member, c.keptMember);
        EXPECT_EQ(d.displayCount, 2);
        ASSERT_EQ(result.read->notes.size(), 1u);
        EXPECT_NE(result.read->notes[0].find(std::string("kept, with the latest period")),
                  std::string::npos)
            << result.read->notes[0];
        EXPECT_NE(result.read->notes[0].find(c.keptMember), std::string::npos);
    }
}

TEST(GbpDisplayTest, FindsANameWrappedOntoTheNextLine) {
    const GbpDisplayResult result = ReadGbpDisplay(
        "DSNB751I -DB1A MVS CFRM POLICY INFORMATION NOT AVAILABLE FOR GROUP BUFFER POOL\n"
        "               GBP16K2 MVS IXCQUERY RETURN CODE = 8\n"
        "DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP16K2 IS COMPLETE\n");
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->gbps.size(), 1u);
    EXPECT_EQ(result.read->gbps[0].gbp, "GBP16K2");
    EXPECT_TRUE(result.read->gbps[0].notInCfrmPolicy);
}

TEST(GbpDisplayTest, KeepsSeveralPoolsInTheOrderFirstDisplayed) {
    const GbpDisplayResult result =
        ReadGbpDisplay(Display("-DB1A", "GBP2", "", "1") + "DSN9022I -DB1A DSNB1CMD NORMAL\n" +
                       Display("-DB1A", "gbp32k", "", "N/A") + Display("-DB2A", "GBP2", "", "3"));
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->gbps.size(), 2u);
    EXPECT_EQ(result.read->gbps[0].gbp, "GBP2");
    EXPECT_EQ(result.read->gbps[0].xiDirectoryReclaims, 3);
    EXPECT_EQ(result.read->gbps[1].gbp, "GBP32K");
    EXPECT_FALSE(result.read->gbps[1].xiDirectoryReclaims.has_value());  // N/A is not 0
}

TEST(GbpDisplayTest, NotesADisplayCutShort) {
    const GbpDisplayResult result = ReadGbpDisplay(
        "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP3 FOLLOWS\n"
        "DSNB759I -DB1A   NUMBER OF DIRECTORY ENTRIES = 100\n" +
        Display("-DB1A", "GBP4", "", "0"));
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->gbps.size(), 2u);
    EXPECT_FALSE(result.read->gbps[0].complete);
    EXPECT_EQ(result.read->gbps[0].directoryEntries, 100);
    EXPECT_EQ(result.read->gbps[0].lastLine, 2);
    EXPECT_EQ(result.read->gbps[1].xiDirectoryReclaims, 0);
    ASSERT_EQ(result.read->notes.size(), 1u);
    EXPECT_EQ(result.read->notes[0],
              "The display of GBP3 on line 1 does not end with DSNB790I; it may be cut short.");
}

TEST(GbpDisplayTest, RefusesWithOneLine) {
    const std::string lookedFor =
        "it holds no group buffer pool display (looked for DSNB750I or DSNB751I, then DSNB755I, "
        "DSNB757I, DSNB758I, DSNB759I, DSNB783I, DSNB786I, DSNB787I, DSNB788I and DSNB790I)";
    struct Case {
        const char* name;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"empty", "", lookedFor},
        {"another display", "IXC360I 10.15.22 DISPLAY XCF\nSTRNAME: DSNDB0G_GBP0\n", lookedFor},
        {"no name", "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL\n", lookedFor},
        {"NUL byte", std::string("DSNB750I -DB1A\n\0x", 17),
         "line 2 holds a NUL byte: this is not a text"},
        {"long line", std::string(40000, 'x'),
         "line 1 is longer than 32768 characters, which no text of its kind has"},
        {"count beyond 64 bits", Display("-DB1A", "GBP5", "", "99999999999999999999"),
         "a figure of GBP5 is beyond 64 bits on line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GbpDisplayResult result = ReadGbpDisplay(c.text);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error, c.error);
    }
}

}  // namespace
}  // namespace core

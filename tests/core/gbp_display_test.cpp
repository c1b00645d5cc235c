#include "core/gbp_display.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>

#include "tests/core/reader_cases.h"

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

// What the reader made of `text`: a line per GBP with every field the display set (a figure it
// does not report left out, never shown as 0), then the notes.
std::string Read(std::string_view text) {
    const GbpDisplayResult result = ReadGbpDisplay(text);
    EXPECT_TRUE(result.ok()) << result.status().message();
    std::ostringstream out;
    out.precision(17);
    const auto put = [&out](const char* label, const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
            out << (value.empty() ? "" : " " + std::string(label) + "=" + value);
        } else if (value) {
            out << " " << label << "=" << *value;
        }
    };
    for (const GbpDisplay& d : result.ok() ? result->gbps : std::vector<GbpDisplay>{}) {
        out << d.gbp << " " << d.member << " lines " << d.firstLine << "-" << d.lastLine
            << (d.complete ? " complete" : "") << (d.notInCfrmPolicy ? " not-in-policy" : "")
            << (d.secondaryReported ? " secondary" : "") << " x" << d.displayCount;
        put("ratio", d.currentRatio), put("pending", d.pendingRatio);
        put("structure", d.structureName), put("max", d.policyMaxSizeKb);
        put("duplex", d.duplexInPolicy), put("mode", d.duplexingMode);
        put("allocated", d.allocatedSizeKb), put("cf", d.cfName);
        put("directory", d.directoryEntries), put("data", d.dataPages);
        put("since", d.periodStart), put("key", d.periodStartKey);
        put("changed", d.changedPages), put("failed", d.writesFailed);
        put("dirReclaims", d.directoryReclaims), put("dataReclaims", d.dataReclaims);
        put("castouts", d.castouts), put("xi", d.xiDirectoryReclaims);
        out << "\n";
    }
    for (const std::string& note : result->notes) {
        out << "note: " << note << "\n";
    }
    return out.str();
}

// The note on a GBP displayed twice, naming the display kept and the one not kept.
std::string Twice(const std::string& gbp, const std::string& kept, const std::string& notKept) {
    return "note: " + gbp + " is displayed 2 times; the display on line " + kept +
           " is kept, with the latest period start (the later in the text where starts are equal "
           "or not shown). Not kept: line " +
           notKept + ".\n";
}

TEST(GbpDisplayTest, ReadsEveryFigureOfEachGbp) {
    const struct {
        const char* name;
        std::string text, read;
    } cases[] = {
        // The secondary's 32768 KB, CF02, 30000 entries, 4409, 99 and the snapshot's 77 stay out.
        {"duplexed", kDuplexedGbp0,
         "GBP0 -DB1A lines 1-37 complete secondary x1 ratio=6 pending=6 structure=DSNDB0G_GBP0 "
         "max=98304 duplex=ENABLED mode=DUPLEX allocated=65536 cf=CF01 directory=61020 "
         "data=10168 since=10:42:07 DEC 06, 2026 key=20261206104207 changed=4410 failed=3 "
         "dirReclaims=12 dataReclaims=900 castouts=2000 xi=5\n"},
        // A partial display of a GBP the CFRM policy lacks, captured from SYSLOG with a prefix on
        // every line, a pending ratio, blanks around "=" or none, and another job's message in
        // between: the 7.5 follows that message, so it is not DSNB755I's.
        {"prefixed and partial",
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
         "BUFFER POOL GBP8K1 IS COMPLETE\n",
         "GBP8K1 -DB2A lines 1-8 complete not-in-policy x1 ratio=5 pending=2.5\n"},
        {"name wrapped onto the next line",
         "DSNB751I -DB1A MVS CFRM POLICY INFORMATION NOT AVAILABLE FOR GROUP BUFFER POOL\n"
         "               GBP16K2 MVS IXCQUERY RETURN CODE = 8\n"
         "DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP16K2 IS COMPLETE\n",
         "GBP16K2 -DB1A lines 1-3 complete not-in-policy x1\n"},
        // In the order first displayed; N/A is not 0.
        {"several pools",
         Display("-DB1A", "GBP2", "", "1") + "DSN9022I -DB1A DSNB1CMD NORMAL\n" +
             Display("-DB1A", "gbp32k", "", "N/A") + Display("-DB2A", "GBP2", "", "3"),
         "GBP2 -DB2A lines 10-13 complete x2 xi=3\nGBP32K -DB1A lines 6-9 complete x1\n" +
             Twice("GBP2", "10 (-DB2A)", "1 (-DB1A)")},
        {"cut short",
         "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP3 FOLLOWS\n"
         "DSNB759I -DB1A   NUMBER OF DIRECTORY ENTRIES = 100\n" +
             Display("-DB1A", "GBP4", "", "0"),
         "GBP3 -DB1A lines 1-2 x1 directory=100\nGBP4 -DB1A lines 3-6 complete x1 xi=0\n"
         "note: The display of GBP3 on line 1 does not end with DSNB790I; it may be cut short.\n"},
        // Of several displays of one GBP, the one with the latest period start is kept; their
        // figures are never added (7 + 9 is not 16).
        {"two displays, later start first",
         Display("-DB1A", "GBP1", "09:00:00 JAN 02, 2027", "7") +
             Display("-DB2A", "GBP1", "23:59:59 DEC 31, 2026", "9"),
         "GBP1 -DB1A lines 1-5 complete x2 since=09:00:00 JAN 02, 2027 key=20270102090000 xi=7\n" +
             Twice("GBP1", "1 (-DB1A, period from 09:00:00 JAN 02, 2027)",
                   "6 (-DB2A, period from 23:59:59 DEC 31, 2026)")},
        {"equal starts: the later in the text",
         Display("-DB1A", "GBP1", "10:00:00 DEC 06, 2026", "7") +
             Display("-DB2A", "GBP1", "10:00:00 DEC 06, 2026", "9"),
         "GBP1 -DB2A lines 6-10 complete x2 since=10:00:00 DEC 06, 2026 key=20261206100000 xi=9\n" +
             Twice("GBP1", "6 (-DB2A, period from 10:00:00 DEC 06, 2026)",
                   "1 (-DB1A, period from 10:00:00 DEC 06, 2026)")},
        {"a known start beats none",
         Display("-DB1A", "GBP1", "10:00:00 DEC 06, 2026", "7") + Display("-DB2A", "GBP1", "", "9"),
         "GBP1 -DB1A lines 1-5 complete x2 since=10:00:00 DEC 06, 2026 key=20261206100000 xi=7\n" +
             Twice("GBP1", "1 (-DB1A, period from 10:00:00 DEC 06, 2026)", "6 (-DB2A)")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.text), c.read) << c.name;
    }
}

TEST(GbpDisplayTest, RefusesWithOneLine) {
    const std::string lookedFor =
        "it holds no group buffer pool display (looked for DSNB750I or DSNB751I, then DSNB755I, "
        "DSNB757I, DSNB758I, DSNB759I, DSNB783I, DSNB786I, DSNB787I, DSNB788I and DSNB790I)";
    const testing::Refusal cases[] = {
        {"another display", "IXC360I 10.15.22 DISPLAY XCF\nSTRNAME: DSNDB0G_GBP0\n", lookedFor},
        {"no name", "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL\n", lookedFor},
        {"NUL byte", std::string("DSNB750I -DB1A\n\0x", 17),
         "line 2 holds a NUL byte: this is not a text"},
        {"long line", std::string(40000, 'x'),
         "line 1 is longer than 32768 characters, which no text of its kind has"},
        {"count beyond 64 bits", Display("-DB1A", "GBP5", "", "99999999999999999999"),
         "a figure of GBP5 is beyond 64 bits on line 3"},
    };
    testing::ExpectRefusals(ReadGbpDisplay, cases);
}

}  // namespace
}  // namespace core

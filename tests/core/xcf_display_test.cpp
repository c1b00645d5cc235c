#include "xcf_display.h"

#include <gtest/gtest.h>

#include <string>

#include "capture_text.h"

namespace core {
namespace {

// A duplexed GBP structure in the layout with the colons aligned after padded labels, with a
// pending policy and a preference list wrapped onto a second line.
const char* const kAlignedColons =
    "IXC360I  10.15.22  DISPLAY XCF 123\n"
    "STRNAME: DSNDB0G_GBP1\n"
    " STATUS: REASON SPECIFIED WITH REBUILD START:\n"
    "           POLICY-INITIATED\n"
    "         DUPLEXING REBUILD\n"
    "           METHOD: USER-MANAGED\n"
    " TYPE: CACHE\n"
    " POLICY INFORMATION:\n"
    "  POLICY SIZE    : 131072 K\n"
    "  POLICY INITSIZE: 64 M\n"
    "  POLICY MINSIZE : 49152 K\n"
    "  FULLTHRESHOLD  : 80\n"
    "  ALLOWAUTOALT   : YES\n"
    "  REBUILD PERCENT: N/A\n"
    "  DUPLEX         : ENABLED\n"
    "  ALLOWREALLOCATE: YES\n"
    "  PREFERENCE LIST: CF01     CF02     CF03     CF04     CF05\n"
    "                   CF06\n"
    "  ENFORCEORDER   : NO\n"
    "  EXCLUSION LIST IS EMPTY\n"
    " PENDING POLICY INFORMATION:\n"
    "  POLICY SIZE    : 256 M\n"
    "  POLICY INITSIZE: 128M\n"
    "  ALLOWAUTOALT   : NO\n"
    "  PREFERENCE LIST: CF02     CF01\n"
    "\n"
    " DUPLEXING REBUILD NEW STRUCTURE\n"
    " -------------------------------\n"
    "  ALLOCATION TIME: 12/01/2026 09:30:12\n"
    "  CFNAME         : CF02\n"
    "  COUPLING FACILITY: 003931.IBM.02.0000000ABCDE\n"
    "                     PARTITION: 0F   CPCID: 00\n"
    "  ACTUAL SIZE    : 64 M\n"
    "  STORAGE INCREMENT SIZE: 1 M\n"
    " DUPLEXING REBUILD OLD STRUCTURE\n"
    " -------------------------------\n"
    "  ALLOCATION TIME: 11/20/2026 08:00:00\n"
    "  CFNAME         : CFA001A\n"
    "  ACTUAL SIZE    : 65536 K\n";

TEST(XcfDisplayTest, ReadsPolicyPendingPolicyAndBothInstances) {
    const XcfDisplayResult result = ReadXcfDisplay(kAlignedColons);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->structures.size(), 1u);
    const XcfStructure& s = result.read->structures[0];
    EXPECT_EQ(s.name, "DSNDB0G_GBP1");
    EXPECT_EQ(s.status, "REASON SPECIFIED WITH REBUILD START:");
    EXPECT_EQ(s.firstLine, 2);
    EXPECT_EQ(s.lastLine, 39);
    ASSERT_TRUE(s.policy.has_value());
    EXPECT_EQ(s.policy->sizeKb, 131072);
    EXPECT_EQ(s.policy->initSizeKb, 65536);
    EXPECT_EQ(s.policy->minSizeKb, 49152);
    EXPECT_EQ(s.policy->fullThreshold, 80);
    EXPECT_EQ(s.policy->allowAutoAlter, true);
    EXPECT_EQ(s.policy->duplex, "ENABLED");
    EXPECT_EQ(s.policy->preferenceList,
              (std::vector<std::string>{"CF01", "CF02", "CF03", "CF04", "CF05", "CF06"}));
    ASSERT_TRUE(s.pending.has_value());
    EXPECT_EQ(s.pending->sizeKb, 262144);
    EXPECT_EQ(s.pending->initSizeKb, 131072);
    EXPECT_FALSE(s.pending->minSizeKb.has_value());
    EXPECT_EQ(s.pending->allowAutoAlter, false);
    EXPECT_EQ(s.pending->preferenceList, (std::vector<std::string>{"CF02", "CF01"}));
    ASSERT_EQ(s.instances.size(), 2u);
    EXPECT_EQ(s.instances[0].cfName, "CF02");
    EXPECT_EQ(s.instances[0].actualSizeKb, 65536);
    EXPECT_EQ(s.instances[0].line, 29);
    // A facility name shaped like a message ID is a value, not the start of another message.
    EXPECT_EQ(s.instances[1].cfName, "CFA001A");
    EXPECT_EQ(s.instances[1].actualSizeKb, 65536);
}

// The layout with the colon right after each label, several structures in one capture with a
// console prefix on every line, and another message between the blocks.
TEST(XcfDisplayTest, ReadsTheLayoutWithColonsAfterLabels) {
    const std::string prefix = "SYSA     26340 10:15:22.13 CONSOLE1 ";
    const std::string text =
        prefix + "IXC360I  10.15.22  DISPLAY XCF 123\n" + prefix + "STRNAME: DSNDB0G_LOCK1\n" +
        prefix + " STATUS:                   ALLOCATED\n" + prefix + " POLICY INFORMATION:\n" +
        prefix + "  POLICY SIZE:             1 G\n" + prefix +
        "  POLICY INITSIZE:         512 M\n" + prefix + "  POLICY MINSIZE:          0 K\n" +
        prefix + "  DUPLEX:                  DISABLED\n" + prefix +
        "  PREFERENCE LIST:         CF01 CF02\n" + prefix + "  CFNAME:     CF01\n" + prefix +
        "  ACTUAL SIZE:             512 M\n" + prefix + "IEF403I PAYROLL - STARTED\n" + prefix +
        "STRNAME: IGNORED_AFTER_ANOTHER_MESSAGE\n" + prefix +
        "IXC360I  10.15.23  DISPLAY XCF 124\n" + prefix + "STRNAME: DSNDB0G_SCA\n" + prefix +
        " STATUS:                   NOT ALLOCATED\n" + prefix + " POLICY INFORMATION:\n" + prefix +
        "  POLICY SIZE:             32768\n" + prefix + "  ALLOWAUTOALT:            NO\n";
    const XcfDisplayResult result = ReadXcfDisplay(text);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->structures.size(), 2u);
    const XcfStructure& lock = result.read->structures[0];
    EXPECT_EQ(lock.name, "DSNDB0G_LOCK1");
    EXPECT_EQ(lock.status, "ALLOCATED");
    EXPECT_EQ(lock.policy->sizeKb, 1048576);
    EXPECT_EQ(lock.policy->initSizeKb, 524288);
    EXPECT_EQ(lock.policy->minSizeKb, 0);
    EXPECT_FALSE(lock.policy->allowAutoAlter.has_value());
    EXPECT_EQ(lock.policy->duplex, "DISABLED");
    EXPECT_EQ(lock.policy->preferenceList, (std::vector<std::string>{"CF01", "CF02"}));
    EXPECT_FALSE(lock.pending.has_value());
    ASSERT_EQ(lock.instances.size(), 1u);
    EXPECT_EQ(lock.instances[0].cfName, "CF01");
    EXPECT_EQ(lock.instances[0].actualSizeKb, 524288);
    const XcfStructure& sca = result.read->structures[1];
    EXPECT_EQ(sca.name, "DSNDB0G_SCA");
    EXPECT_EQ(sca.status, "NOT ALLOCATED");
    EXPECT_EQ(sca.policy->sizeKb, 32768);  // no unit: KB
    EXPECT_EQ(sca.policy->allowAutoAlter, false);
    EXPECT_TRUE(sca.instances.empty());
}

TEST(XcfDisplayTest, KeepsTheLastDisplayOfAStructure) {
    const XcfDisplayResult result = ReadXcfDisplay(
        "STRNAME: DSNDB0G_GBP2\n POLICY INFORMATION:\n  POLICY SIZE : 100 K\n"
        "STRNAME: DSNDB0G_GBP2\n POLICY INFORMATION:\n  POLICY SIZE : 200 K\n");
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.read->structures.size(), 1u);
    EXPECT_EQ(result.read->structures[0].policy->sizeKb, 200);
    ASSERT_EQ(result.read->notes.size(), 1u);
    EXPECT_EQ(result.read->notes[0],
              "DSNDB0G_GBP2 is displayed 2 times; the last display, on line 4, is kept.");
}

TEST(XcfDisplayTest, ReadsSizesInEveryUnit) {
    struct Case {
        const char* text;
        FigureStatus status;
        int64_t kb;
    };
    const Case cases[] = {
        {"131072", FigureStatus::kOk, 131072},
        {"131072 K", FigureStatus::kOk, 131072},
        {"64M", FigureStatus::kOk, 65536},
        {"2 G", FigureStatus::kOk, 2097152},
        {"1 t", FigureStatus::kOk, 1073741824},
        {"4096 KB", FigureStatus::kOk, 4096},
        {"8589934591 T", FigureStatus::kOk, int64_t{8589934591} << 30},
        {"8589934592 T", FigureStatus::kTooLarge, 0},
        {"9223372036854775808", FigureStatus::kTooLarge, 0},
        {"", FigureStatus::kNotANumber, 0},
        {"N/A", FigureStatus::kNotANumber, 0},
        {"12 X", FigureStatus::kNotANumber, 0},
        {"-5 M", FigureStatus::kNotANumber, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Figure figure = ReadSizeKb(c.text);
        EXPECT_EQ(figure.status, c.status);
        if (figure.ok()) {
            EXPECT_EQ(figure.value, c.kb);
        }
    }
}

TEST(XcfDisplayTest, RefusesWithOneLine) {
    const std::string lookedFor =
        "it holds no structure display (looked for IXC360I blocks with STRNAME:, POLICY "
        "INFORMATION:, CFNAME: and ACTUAL SIZE:)";
    struct Case {
        const char* name;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"empty", "", lookedFor},
        {"group buffer pool display", "DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0\n",
         lookedFor},
        {"after another message only", "IEF403I X - STARTED\nSTRNAME: S\n", lookedFor},
        {"size beyond 64 bits",
         "STRNAME: S1\n POLICY INFORMATION:\n  POLICY SIZE : 99999999999 T\n",
         "a size of S1 is beyond 64 bits in KB on line 3"},
        {"NUL byte", std::string("STRNAME: S\0", 11),
         "line 1 holds a NUL byte: this is not a text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const XcfDisplayResult result = ReadXcfDisplay(c.text);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error, c.error);
    }
}

}  // namespace
}  // namespace core

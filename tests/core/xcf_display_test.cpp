#include "core/xcf_display.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/capture_text.h"
#include "tests/core/reader_cases.h"

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

// A policy block's fields that the display showed, in brackets after `label`.
std::string Info(const char* label, const std::optional<XcfPolicyInfo>& p) {
    if (!p) {
        return "";
    }
    std::ostringstream out;
    const auto put = [&out](const char* name, const std::optional<int64_t>& value) {
        out << (value ? " " + std::string(name) + "=" + std::to_string(*value) : "");
    };
    put("size", p->sizeKb), put("init", p->initSizeKb), put("min", p->minSizeKb);
    put("full", p->fullThreshold);
    out << (p->allowAutoAlter ? *p->allowAutoAlter ? " autoalt=YES" : " autoalt=NO" : "")
        << (p->duplex.empty() ? "" : " duplex=" + p->duplex);
    for (size_t i = 0; i < p->preferenceList.size(); ++i) {
        out << (i == 0 ? " prefs=" : ",") << p->preferenceList[i];
    }
    const std::string fields = out.str();
    return " " + std::string(label) + "[" + (fields.empty() ? "" : fields.substr(1)) + "]";
}

// What the reader made of `text`: a line per structure with its status, both policy blocks and
// each instance as CF:KB@line, then the notes.
std::string Read(std::string_view text) {
    const XcfDisplayResult result = ReadXcfDisplay(text);
    if (!result.ok()) {
        return "refused: " + result.status().message();
    }
    std::ostringstream out;
    for (const XcfStructure& s : result->structures) {
        out << s.name << " lines " << s.firstLine << "-" << s.lastLine << " status=" << s.status
            << Info("policy", s.policy) << Info("pending", s.pending);
        for (const XcfInstance& i : s.instances) {
            out << " " << i.cfName << ":"
                << (i.actualSizeKb ? std::to_string(*i.actualSizeKb) : "?") << "@" << i.line;
        }
        out << "\n";
    }
    for (const std::string& note : result->notes) {
        out << "note: " << note << "\n";
    }
    return out.str();
}

TEST(XcfDisplayTest, ReadsEachStructure) {
    // The layout with the colon right after each label, a console prefix on every line, and
    // another message between the blocks.
    const std::string prefix = "SYSA     26340 10:15:22.13 CONSOLE1 ";
    std::string colonsAfterLabels;
    for (const char* line :
         {"IXC360I  10.15.22  DISPLAY XCF 123", "STRNAME: DSNDB0G_LOCK1",
          " STATUS:                   ALLOCATED",
          " POLICY INFORMATION:", "  POLICY SIZE:             1 G",
          "  POLICY INITSIZE:         512 M", "  POLICY MINSIZE:          0 K",
          "  DUPLEX:                  DISABLED", "  PREFERENCE LIST:         CF01 CF02",
          "  CFNAME:     CF01", "  ACTUAL SIZE:             512 M", "IEF403I PAYROLL - STARTED",
          "STRNAME: IGNORED_AFTER_ANOTHER_MESSAGE", "IXC360I  10.15.23  DISPLAY XCF 124",
          "STRNAME: DSNDB0G_SCA", " STATUS:                   NOT ALLOCATED",
          " POLICY INFORMATION:", "  POLICY SIZE:             32768",
          "  ALLOWAUTOALT:            NO"}) {
        colonsAfterLabels += prefix + line + "\n";
    }
    const std::tuple<const char*, std::string, std::string> cases[] = {
        // A facility name shaped like a message ID (CFA001A) is a value, not another message.
        {"aligned colons, pending policy, both instances", kAlignedColons,
         "DSNDB0G_GBP1 lines 2-39 status=REASON SPECIFIED WITH REBUILD START: policy[size=131072 "
         "init=65536 min=49152 full=80 autoalt=YES duplex=ENABLED "
         "prefs=CF01,CF02,CF03,CF04,CF05,CF06] pending[size=262144 init=131072 autoalt=NO "
         "prefs=CF02,CF01] CF02:65536@29 CFA001A:65536@37\n"},
        // A size without a unit is in KB.
        {"colons after labels", colonsAfterLabels,
         "DSNDB0G_LOCK1 lines 2-11 status=ALLOCATED policy[size=1048576 init=524288 min=0 "
         "duplex=DISABLED prefs=CF01,CF02] CF01:524288@10\n"
         "DSNDB0G_SCA lines 15-19 status=NOT ALLOCATED policy[size=32768 autoalt=NO]\n"},
        {"the last display of a structure kept",
         "STRNAME: DSNDB0G_GBP2\n POLICY INFORMATION:\n  POLICY SIZE : 100 K\n"
         "STRNAME: DSNDB0G_GBP2\n POLICY INFORMATION:\n  POLICY SIZE : 200 K\n",
         "DSNDB0G_GBP2 lines 4-6 status= policy[size=200]\n"
         "note: DSNDB0G_GBP2 is displayed 2 times; the last display, on line 4, is kept.\n"},
    };
    for (const auto& [name, text, read] : cases) {
        EXPECT_EQ(Read(text), read) << name;
    }
}

TEST(XcfDisplayTest, ReadsSizesInEveryUnit) {
    const std::pair<const char*, int64_t> sizes[] = {
        {"131072", 131072},
        {"131072 K", 131072},
        {"64M", 65536},
        {"2 G", 2097152},
        {"1 t", 1073741824},
        {"4096 KB", 4096},
        {"8589934591 T", 9223372035781033984},
    };
    for (const auto& [text, kb] : sizes) {
        const Figure figure = ReadSizeKb(text);
        EXPECT_TRUE(figure.ok() && figure.value == kb) << text;
    }
    const std::pair<const char*, FigureStatus> refused[] = {
        {"8589934592 T", FigureStatus::kTooLarge}, {"9223372036854775808", FigureStatus::kTooLarge},
        {"", FigureStatus::kNotANumber},           {"N/A", FigureStatus::kNotANumber},
        {"12 X", FigureStatus::kNotANumber},       {"-5 M", FigureStatus::kNotANumber}};
    for (const auto& [text, status] : refused) {
        EXPECT_EQ(ReadSizeKb(text).status, status) << text;
    }
}

TEST(XcfDisplayTest, RefusesWithOneLine) {
    const std::string lookedFor =
        "it holds no structure display (looked for IXC360I blocks with STRNAME:, POLICY "
        "INFORMATION:, CFNAME: and ACTUAL SIZE:)";
    const testing::Refusal cases[] = {
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
    testing::ExpectRefusals(ReadXcfDisplay, cases);
}

}  // namespace
}  // namespace core

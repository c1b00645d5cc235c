// The group buffer pools' own account of themselves: the text of the Db2 command
// -DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*) (Db2 12 and 13) as a console log, SDSF or a job's output
// holds it, read into one record per group buffer pool: its ratios, duplexing, allocation and
// the group-wide counters that show a shortage of directory or data entries.
#ifndef CORE_GBP_DISPLAY_H_
#define CORE_GBP_DISPLAY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace core {

// One group buffer pool's display, from DSNB750I (or DSNB751I) to DSNB790I. A figure the display
// does not report is nullopt, never 0. Every figure belongs to the message it follows: those of
// the secondary structure (after DSNB762I, DSNB799I) are not the group buffer pool's.
struct GbpDisplay {
    std::string gbp;        // the Db2 name, upper case: "GBP0", "GBP8K1"
    std::string member;     // the command prefix the display names ("-DB1A"); empty when none
    int64_t firstLine = 0;  // 1-based lines of DSNB750I/DSNB751I and of the display's last line
    int64_t lastLine = 0;
    bool notInCfrmPolicy = false;  // DSNB751I: the policy could not be read; a partial display
    bool complete = false;         // DSNB790I closed it

    // DSNB755I. Directory entries per data page; Db2 shows tenths ("5", "1.5").
    std::optional<double> currentRatio;
    std::optional<double> pendingRatio;

    // DSNB757I.
    std::string structureName;               // "DSNDB0G_GBP0"; empty when not shown
    std::optional<int64_t> policyMaxSizeKb;  // MAX SIZE INDICATED IN POLICY
    std::string duplexInPolicy;              // DUPLEX INDICATOR IN POLICY: ENABLED, ALLOWED, ...
    std::string duplexingMode;               // CURRENT DUPLEXING MODE: SIMPLEX, DUPLEX; or ""

    // DSNB758I and DSNB759I, of the primary structure.
    std::optional<int64_t> allocatedSizeKb;
    std::string cfName;
    std::optional<int64_t> directoryEntries;
    std::optional<int64_t> dataPages;

    // DSNB783I: when the cumulative figures start, as shown ("10:42:07 DEC 06, 2026"), and the same
    // as YYYYMMDDhhmmss for comparing displays; nullopt when absent or not in that form.
    std::string periodStart;
    std::optional<int64_t> periodStartKey;

    // DSNB786I to DSNB788I.
    std::optional<int64_t> changedPages;         // WRITES: CHANGED PAGES
    std::optional<int64_t> writesFailed;         // WRITES: FAILED DUE TO LACK OF STORAGE
    std::optional<int64_t> directoryReclaims;    // RECLAIMS: FOR DIRECTORY ENTRIES
    std::optional<int64_t> dataReclaims;         // RECLAIMS: FOR DATA ENTRIES
    std::optional<int64_t> castouts;             // RECLAIMS: CASTOUTS
    std::optional<int64_t> xiDirectoryReclaims;  // CROSS INVALIDATIONS: DUE TO DIRECTORY RECLAIMS

    bool secondaryReported = false;  // DSNB762I: duplexed, the secondary's figures were left out
    int displayCount = 1;            // how many displays of this GBP the text holds
};

struct GbpDisplayRead {
    std::vector<GbpDisplay> gbps;  // one per group buffer pool, in the order first displayed
    // Sentences for the reader: which display was kept of a GBP displayed more than once, and
    // displays that never reached DSNB790I.
    std::vector<std::string> notes;
};

// The reading, or why there is none: code kInvalidData and a message of one line to follow
// the file's name: "it holds no group buffer pool display (looked for DSNB750I, DSNB751I ...)".
using GbpDisplayResult = StatusOr<GbpDisplayRead>;

// Reads the displays in `text`, ignoring whatever is not one of them. When one GBP is displayed
// more than once (by several members or at several times), the display with the latest DSNB783I
// period start is kept (the later in the text when the starts are equal or unknown); figures of
// displays are never added, since GDETAIL figures are group-wide. Refuses, with one line: a text
// over kMaxCaptureBytes, a line over kMaxCaptureLineBytes, a NUL byte, a text without any of
// the messages, a figure beyond 64 bits, more than kMaxGbps group buffer pools.
[[nodiscard]] GbpDisplayResult ReadGbpDisplay(std::string_view text);

inline constexpr size_t kMaxGbps = 10000;

}  // namespace core

#endif  // CORE_GBP_DISPLAY_H_

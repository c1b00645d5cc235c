// The coupling-facility structures as z/OS holds them: the text of D XCF,STR,STRNAME=... (message
// IXC360I, one block per structure) as a console log, SDSF or a job's output holds it, read into
// each structure's active policy, the policy pending for it, and its allocated instances.
#ifndef CORE_XCF_DISPLAY_H_
#define CORE_XCF_DISPLAY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace core {

// A POLICY INFORMATION or PENDING POLICY INFORMATION block. Sizes are in KB whatever unit the
// display used (K, M, G or T; KB when none); what the block does not show is nullopt or empty.
struct XcfPolicyInfo {
    std::optional<int64_t> sizeKb;      // POLICY SIZE
    std::optional<int64_t> initSizeKb;  // POLICY INITSIZE
    std::optional<int64_t> minSizeKb;   // POLICY MINSIZE
    std::optional<int64_t> fullThreshold;
    std::optional<bool> allowAutoAlter;       // ALLOWAUTOALT: YES or NO
    std::string duplex;                       // DUPLEX: ENABLED, ALLOWED, DISABLED, ...
    std::vector<std::string> preferenceList;  // PREFERENCE LIST, in order, upper case
};

// One allocated instance: a duplexed or rebuilding structure has two.
struct XcfInstance {
    std::string cfName;
    std::optional<int64_t> actualSizeKb;  // ACTUAL SIZE
    int64_t line = 0;                     // 1-based line where the instance starts
};

struct XcfStructure {
    std::string name;       // STRNAME, upper case
    std::string status;     // STATUS as its first line shows it: "ALLOCATED", "NOT ALLOCATED", ...
    int64_t firstLine = 0;  // 1-based lines of STRNAME and of the block's last line read
    int64_t lastLine = 0;
    std::optional<XcfPolicyInfo> policy;   // nullopt when the block shows none
    std::optional<XcfPolicyInfo> pending;  // a PENDING POLICY INFORMATION block
    std::vector<XcfInstance> instances;    // in display order
};

struct XcfDisplayRead {
    std::vector<XcfStructure> structures;  // in the order first displayed
    // Sentences for the reader: a structure displayed more than once (the last display is kept).
    std::vector<std::string> notes;
};

// The reading, or why there is none: code kInvalidData and a message of one line to follow
// the file's name.
using XcfDisplayResult = StatusOr<XcfDisplayRead>;

// Reads the IXC360I blocks in `text`; lines from STRNAME: to the next STRNAME:, the next message
// or the end belong to one structure. Labels may have blanks before or after their colon, and
// lines a prefix. Refuses, with one line: a text over kMaxCaptureBytes, a line over
// kMaxCaptureLineBytes, a NUL byte, a text with no structure block, a size beyond 64 bits in
// KB, more than kMaxXcfStructures structures.
[[nodiscard]] XcfDisplayResult ReadXcfDisplay(std::string_view text);

inline constexpr size_t kMaxXcfStructures = 10000;
// Instances kept per structure: two at most in any state, with room for odd captures.
inline constexpr size_t kMaxXcfInstances = 8;

}  // namespace core

#endif  // CORE_XCF_DISPLAY_H_

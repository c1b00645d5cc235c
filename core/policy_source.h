// The site's coupling-facility policy as its source: the job that runs the z/OS policy utility
// (IXCMIAPU) with DATA TYPE(CFRM) and one DEFINE POLICY, read into its CF and STRUCTURE
// statements. Every statement keeps where it stands in the text, so that a writer can replace
// some of them and keep every other byte: JCL, comments, other statements, columns 72 to 80.
#ifndef CORE_POLICY_SOURCE_H_
#define CORE_POLICY_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace core {

// One keyword of a statement: NAME(DSNDB0G_GBP0), POLICY, REPLACE(YES).
struct PolicyKeyword {
    std::string name;   // upper case
    std::string value;  // between the parentheses, blanks trimmed, lines joined by one blank
    bool hasValue = false;
    int64_t line = 0;  // 1-based line of the keyword
};

enum class PolicyStatementKind { kData, kDefinePolicy, kCf, kStructure, kOther };

// A statement of the utility's input, from its verb to its last keyword. Input lines are read in
// columns 1 to 71; `/* */` comments are skipped wherever they stand.
struct PolicyStatement {
    PolicyStatementKind kind = PolicyStatementKind::kOther;
    std::string verb;  // upper case: DATA, DEFINE, DELETE, CF, STRUCTURE, or the unknown word
    std::vector<PolicyKeyword> keywords;  // in order
    int64_t firstLine = 0;                // 1-based, of the verb and of the last keyword
    int64_t lastLine = 0;
    // Byte offsets into the text: from the verb's first byte to just past the last keyword or
    // its closing parenthesis. Comments between statements fall outside every such range.
    size_t begin = 0;
    size_t end = 0;
    // Byte offsets of the whole lines the statement touches: the first byte of firstLine to just
    // past the terminator of lastLine. Another statement or a comment may share these lines.
    size_t linesBegin = 0;
    size_t linesEnd = 0;
};

struct PolicySourceCf {
    std::string name;      // upper case
    size_t statement = 0;  // index into PolicySource::statements
};

// A STRUCTURE statement's figures; sizes in KB whatever unit was written (KB when none).
struct PolicySourceStructure {
    std::string name;  // upper case
    std::optional<int64_t> initSizeKb;
    std::optional<int64_t> sizeKb;
    std::optional<int64_t> minSizeKb;
    std::vector<std::string> preferenceList;  // PREFLIST, in order, upper case
    std::string duplex;                       // DUPLEX as written, upper case; "" when absent
    std::optional<bool> allowAutoAlter;       // ALLOWAUTOALT(YES) or (NO); nullopt when absent
    size_t statement = 0;                     // index into PolicySource::statements
};

struct PolicySource {
    std::string policyName;                         // of the DEFINE POLICY, upper case
    size_t definePolicyStatement = 0;               // index into statements
    std::vector<PolicyStatement> statements;        // every statement, in text order
    std::vector<PolicySourceCf> facilities;         // the CF statements, in text order
    std::vector<PolicySourceStructure> structures;  // the STRUCTURE statements, in text order
    // Lines kept verbatim and not read: JCL ("//..."), delimiters ("/*..."), the data of steps
    // that run another program.
    int64_t verbatimLines = 0;
    // Sentences for the reader, e.g. input lines past 80 columns.
    std::vector<std::string> notes;
};

// The reading, or why there is none: code kInvalidData and a message of one line to follow
// the file's name.
using PolicySourceResult = StatusOr<PolicySource>;

// Reads the policy job in `text`. It may be the whole job or the utility's input alone. Lines
// starting "//" are JCL and end the data; once one has been seen, a line starting "/*" (or the
// DLM= characters of the last DD statement) is the delimiter and ends the data too; both are
// kept verbatim and exempt from every check, as is the data of a step whose EXEC names another
// program than IXCMIAPU. Without JCL, a line of "/*" alone that no "*/" closes is taken for the
// delimiter. Refuses, with one line naming the problem (and its line): a text over
// kMaxPolicySourceBytes, a line over kMaxCaptureLineBytes, a NUL byte; a text with none of the
// statements looked for; no DATA TYPE(CFRM), or a DATA of another type; no DEFINE POLICY or
// more than one, or one without NAME; a CF or STRUCTURE before the DEFINE POLICY, without NAME,
// or named twice; a comment or parenthesis left open at the end of the data; a parenthesis
// inside a value; a size that is no number with an optional K, M, G or T, or beyond 64 bits in
// KB; a PREFLIST of more than kMaxPreferenceList facilities; ALLOWAUTOALT other than YES or NO;
// more than kMaxPolicyStatements statements or kMaxPolicyKeywords keywords.
[[nodiscard]] PolicySourceResult ReadPolicySource(std::string_view text);

inline constexpr size_t kMaxPolicySourceBytes = size_t{4} << 20;
inline constexpr size_t kMaxPolicyStatements = 50000;
inline constexpr size_t kMaxPolicyKeywords = 500000;

}  // namespace core

#endif  // CORE_POLICY_SOURCE_H_

// The text of a coupling-facility policy for the z/OS policy utility (IXCMIAPU, DATA TYPE(CFRM)):
// a fragment of STRUCTURE statements to paste inside the site's DEFINE POLICY, with comments
// for where the figures come from, what was left out, the Db2 commands and the fit check.
// Every line fits the utility's 71-column input records (bytes, not characters), and no line starts
// with "/*", which would end the data in a job's input stream.
#ifndef CORE_CFRM_TEXT_H_
#define CORE_CFRM_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace core {

struct CfrmOptions;
struct CfrmPolicy;
struct CfrmSource;
struct CfrmStructure;

inline constexpr size_t kPolicyColumns = 71;

// The whole text, UTF-8, lines ended by "\n". Reads every field of `policy` but `text`.
std::string CfrmPolicyText(const CfrmPolicy& policy, const CfrmSource& source,
                           const CfrmOptions& options);

// The value of a structure's DUPLEX keyword: ENABLED, ENABLED,ASYNC or ENABLED,ASYNCONLY when
// it is duplexed, else DISABLED.
std::string DuplexValue(const CfrmStructure& s);

// `text` as comment lines " /* ... */" of at most kPolicyColumns bytes: wrapped at blanks where
// it can be, else cut; continuation lines indented two more than the text's own indent; "*/"
// and "/*" inside written "* /" and "/ *"; control characters and each character outside ASCII
// (or byte that is not UTF-8) as "?".
std::vector<std::string> CommentLines(std::string_view text);

// The fit check as sentences, one per line: the totals, what one facility needs, and one line
// per facility with a free space. The text's comment and the dialog show the same lines.
std::vector<std::string> FitLines(const CfrmPolicy& policy);

}  // namespace core

#endif  // CORE_CFRM_TEXT_H_

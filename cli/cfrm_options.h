// The batch sizer's policy options: --cfrm FILE (or - for standard output) with --group, --cf,
// --growth, --duplex, --no-autoalt, --command-prefix, --cf-space and the sizing rules'
// options (--min-ratio, --directory-entry-kb, --sharing-degree, --unmeasured-gbp-mb,
// --lock-mb, --minsize-percent, --lock-duplex, --spread-preflist, --cf-dumpspace), read into
// the policy options, and what the run does with the policy: a file, standard output, or JSON.
#ifndef CLI_CFRM_OPTIONS_H_
#define CLI_CFRM_OPTIONS_H_

#include <QString>
#include <string>

#include "core/cfrm_policy.h"

class QCommandLineParser;

namespace core {
struct SizingResult;
}

namespace cli {

// The policy file was not written; nothing else went wrong.
inline constexpr int kExitCfrmNotWritten = 3;

struct CfrmRequest {
    QString file;  // where the text goes: a path, "-" for standard output; empty: not asked
    core::CfrmOptions options;

    bool asked() const { return !file.isEmpty(); }
    bool toStandardOutput() const { return file == QStringLiteral("-"); }
};

void AddCfrmOptions(QCommandLineParser& parser);

// Reads the options after a successful parse. Returns the one-line reason of a usage error, or
// "" when the options are consistent (or absent). `jsonOnStandardOutput` and `list` are the other
// choices of the command line, which the policy options must agree with: the policy alone goes
// to standard output, so JSON cannot go there with it.
// With `runningGroup` (a running-group input given) the policy options are read without --cfrm,
// since the running group is compared with the policy.
QString ReadCfrmOptions(const QCommandLineParser& parser, bool jsonOnStandardOutput, bool list,
                        CfrmRequest& request, bool runningGroup = false);

// Readies the policy for delivery: the one-line refusal (for standard error) when the policy
// breaks a rule, else "" and, with `json`, `out` (the sizing JSON) gains the "cfrm" section, and
// each entry of its "sweep" the figures of `sweep` for the same member count. The text itself,
// policy.text, goes where the request says.
std::string AddCfrmPolicy(const core::CfrmPolicy& policy, bool json, std::string& out,
                          const std::vector<core::CfrmSweepPoint>& sweep = {});

}  // namespace cli

#endif  // CLI_CFRM_OPTIONS_H_

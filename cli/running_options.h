// The batch sizer's running-group options: --gbp-display, --xcf-display and --current-policy
// (the texts captured from the running group), --policy-name and --new-policy (the complete new
// policy, to a file or "-" for standard output); reading those texts and showing what
// core/running_group.h makes of them beside the run's policy.
#ifndef CLI_RUNNING_OPTIONS_H_
#define CLI_RUNNING_OPTIONS_H_

#include <QString>
#include <optional>
#include <string>

#include "core/gbp_display.h"
#include "core/policy_source.h"
#include "core/running_group.h"
#include "core/xcf_display.h"

class QCommandLineParser;

namespace cli {

struct RunningRequest {
    QString gbpDisplay;  // paths; empty: not given
    QString xcfDisplay;
    QString currentPolicy;
    QString policyName;
    QString newPolicy;  // a path, "-" for standard output; empty: not asked

    bool asked() const {
        return !gbpDisplay.isEmpty() || !xcfDisplay.isEmpty() || !currentPolicy.isEmpty();
    }
    bool newPolicyToStandardOutput() const { return newPolicy == QStringLiteral("-"); }
};

void AddRunningOptions(QCommandLineParser& parser);

// Reads the options after a successful parse: the one-line reason of a usage error, or "".
// `jsonOnStandardOutput`, `list` and `cfrmToStandardOutput` are the other choices of the command
// line: the new policy alone goes to standard output with "-".
QString ReadRunningOptions(const QCommandLineParser& parser, bool jsonOnStandardOutput, bool list,
                           bool cfrmToStandardOutput, RunningRequest& request);

// The texts of a request, read. Pointers of `Inputs()` point into this object.
struct RunningTexts {
    std::optional<core::GbpDisplayRead> gbp;
    std::optional<core::XcfDisplayRead> xcf;
    std::optional<core::PolicySource> source;
    std::string policyText;

    core::RunningInputs Inputs(const RunningRequest& request) const;
};

// Reads each given file (a regular file only, no more than its reader accepts) and its text.
// Returns the one line for standard error (without "loomstead-cli: ") when a file cannot be
// read or holds nothing recognised.
std::optional<QString> ReadRunningTexts(const RunningRequest& request, RunningTexts& texts);

// The text sections: one per input given, then the structures of the group and the steps;
// with `explain`, how each verdict and action came about.
std::string RunningText(const core::RunningGroup& group, const RunningTexts& texts,
                        const RunningRequest& request, bool explain);

// `out` (the sizing JSON) gains the "running" section.
void AddRunningJson(const core::RunningGroup& group, const RunningTexts& texts, std::string& out);

}  // namespace cli

#endif  // CLI_RUNNING_OPTIONS_H_

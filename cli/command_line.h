// The command line of loomstead-cli: what the user asked for, read from the arguments.
#ifndef CLI_COMMAND_LINE_H_
#define CLI_COMMAND_LINE_H_

#include <QString>
#include <QStringList>

#include "cli/cfrm_options.h"
#include "cli/running_options.h"

namespace cli {

enum class OutputFormat { kText, kJson, kCsv, kPdf };

struct Options {
    QStringList files;         // data files, in the order given
    QString members = "1";     // text of "No Of Shared DB2"
    QString ecsa = "4";        // text of "ECSA Size for IRLM "
    QStringList share;         // pools to share, in order
    bool shareAll = false;     // Share All after the --share pools
    QStringList cachePools;    // pools whose "Cache All Objects" box is checked
    QStringList uncachePools;  // pools whose box is unchecked
    QStringList cacheObjects;  // object keys ("O12" or "12") to check
    QStringList uncacheObjects;
    bool list = false;  // print the tables instead of sizing
    OutputFormat format = OutputFormat::kText;
    CfrmRequest cfrm;       // --cfrm and the policy options
    bool explain = false;   // --explain: the traces in the text output
    int64_t sweepFrom = 0;  // --sweep-members FROM-TO, 1 <= FROM <= TO <= 32; 0: no sweep
    int64_t sweepTo = 0;
    QString outputPath;         // --output FILE; empty or "-": standard output
    QString plan;               // --plan: applied after the load, before the other options
    QString savePlan;           // --save-plan: the plan of the run, written at its end
    bool membersGiven = false;  // --members was given, so a plan does not set it
    bool ecsaGiven = false;

    // --gbp-display, --xcf-display, --current-policy, --policy-name, --new-policy
    RunningRequest running;
};

struct ParsedCommandLine {
    enum class Action { kRun, kShowHelp, kShowVersion, kUsageError };
    Action action = Action::kRun;
    Options options;  // meaningful for kRun
    QString text;     // the help or version text, or the one-line reason of a usage error
};

// Reads the arguments, the program name first. Never exits and prints nothing.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace cli

#endif  // CLI_COMMAND_LINE_H_

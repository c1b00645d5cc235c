#include "cli/output_files.h"

#include "cli/batch_sizer.h"
#include "cli/command_line.h"
#include "cli/encodings.h"
#include "core/io/write_file.h"

namespace cli {
namespace {

bool SameFile(const QString& a, const QString& b) {
    return core::SameFile(EncodeArgument(a), EncodeArgument(b));
}

}  // namespace

bool IsStandardOutput(const QString& path) { return path.isEmpty() || path == QStringLiteral("-"); }

std::optional<QString> OutputPathProblem(const Options& options, const QStringList& dataFiles) {
    struct Output {
        const char* option;
        QString path;
    };
    std::vector<Output> outputs;
    if (!IsStandardOutput(options.outputPath)) {
        outputs.push_back({"--output", options.outputPath});
    }
    if (options.cfrm.asked() && !options.cfrm.toStandardOutput()) {
        outputs.push_back({"--cfrm", options.cfrm.file});
    }
    if (!options.savePlan.isEmpty()) {
        outputs.push_back({"--save-plan", options.savePlan});
    }
    const RunningRequest& running = options.running;
    if (!running.newPolicy.isEmpty() && !running.newPolicyToStandardOutput()) {
        outputs.push_back({"--new-policy", running.newPolicy});
    }
    QStringList inputs = dataFiles;
    for (const QString& input : {running.gbpDisplay, running.xcfDisplay, running.currentPolicy}) {
        if (!input.isEmpty()) {
            inputs.push_back(input);
        }
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Output& output = outputs[i];
        for (const QString& data : inputs) {
            if (SameFile(output.path, data)) {
                return QString(dataFiles.contains(data)
                                   ? "%1 '%2' would overwrite the data file '%3'"
                                   : "%1 '%2' would overwrite the input '%3'")
                    .arg(output.option, TerminalText(output.path), TerminalText(data));
            }
        }
        // Saving a plan over the plan it applied is an update; a report over it is a loss.
        if (!options.plan.isEmpty() && output.option != std::string_view("--save-plan") &&
            SameFile(output.path, options.plan)) {
            return QStringLiteral("%1 '%2' would overwrite the plan '%3'")
                .arg(output.option, TerminalText(output.path), TerminalText(options.plan));
        }
        for (size_t j = i + 1; j < outputs.size(); ++j) {
            if (SameFile(output.path, outputs[j].path)) {
                return QStringLiteral("%1 '%2' and %3 '%4' name the same file")
                    .arg(output.option, TerminalText(output.path), outputs[j].option,
                         TerminalText(outputs[j].path));
            }
        }
    }
    return std::nullopt;
}

bool WritePendingFiles(const std::vector<PendingFile>& files, BatchOutput& output) {
    for (const PendingFile& file : files) {
        const core::Status written = core::WriteWholeFile(EncodeArgument(file.path), file.bytes);
        if (!written.ok()) {
            output.exitCode = file.failureExit;
            output.out.clear();
            output.err +=
                QStringLiteral("loomstead-cli: %1\n").arg(file.failure(written)).toStdString();
            return false;
        }
    }
    return true;
}

}  // namespace cli

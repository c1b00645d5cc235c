#include "cli/batch_sizer.h"

#include <QDate>
#include <algorithm>
#include <optional>
#include <vector>

#include "cli/cfrm_options.h"
#include "cli/command_line.h"
#include "cli/encodings.h"
#include "cli/output_files.h"
#include "cli/pdf_report.h"
#include "cli/plan_options.h"
#include "cli/range_checks.h"
#include "cli/report.h"
#include "cli/running_options.h"
#include "core/input_files.h"
#include "core/io/write_file.h"
#include "core/loader.h"
#include "core/messages.h"
#include "core/object_selection.h"
#include "core/pool_rows.h"
#include "core/pool_sharing.h"
#include "core/results_csv.h"
#include "core/results_json.h"
#include "core/session.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/tables.h"
#include "core/text.h"

namespace cli {
namespace {

// A refusal names the pool (data-file text) and ends with the file's path.
QString RefusalText(const core::ShareRefusal& refusal) {
    const std::string_view message = refusal.message;
    if (message.size() >= refusal.file.size() &&
        message.substr(message.size() - refusal.file.size()) == refusal.file) {
        return TerminalData(message.substr(0, message.size() - refusal.file.size())) +
               TerminalBytes(refusal.file);
    }
    return TerminalData(message);
}

// The detail of a read error starts "File: <path>"; the rest is the core's own lines.
QString ReadErrorText(const core::Status& error) {
    const std::string detail = core::LoadFailureDetail(error);
    const std::string filePrefix = "File: " + error.path();
    QString text = FromData(core::kReadErrorText) + '\n';
    std::string_view rest = detail;
    if (rest.starts_with(filePrefix)) {
        text += "File: " + TerminalBytes(error.path());
        rest.remove_prefix(filePrefix.size());
    }
    // Each further line on its own, so that the line breaks stay and nothing else passes raw.
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        text += TerminalData(rest.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text += '\n';
        rest.remove_prefix(end + 1);
    }
    return text + '\n';
}

QString WarningLine(const core::Warning& warning) {
    return QStringLiteral("loomstead-cli: warning: %1\n").arg(TerminalBytes(warning.message));
}

BatchOutput UsageError(const QString& reason) {
    BatchOutput output;
    output.exitCode = kExitUsage;
    output.err = QStringLiteral("loomstead-cli: %1\n").arg(reason).toStdString();
    return output;
}

// "O12" or "12": the line-store index 12.
std::optional<int64_t> ParseObjectKey(const QString& key) {
    QString digits = key.trimmed();
    if (digits.startsWith('O') || digits.startsWith('o')) {
        digits.remove(0, 1);
    }
    if (digits.isEmpty() || digits.size() > 18 ||
        // ASCII digits only: other scripts' digits would pass isDigit and read as 0.
        !std::all_of(digits.begin(), digits.end(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    return digits.toLongLong();
}

// The entry of lstSharedPools one of whose pool rows holds the line in its object range.
std::optional<std::string> SharedPoolOfObject(const core::CoreTables& tables, int64_t line) {
    for (const core::PoolRow& row : tables.lvControl) {
        const core::ObjectLineSpan span = core::ObjectLines(tables, row);
        if (line < static_cast<int64_t>(span.begin) || line >= static_cast<int64_t>(span.end)) {
            continue;
        }
        // The pool list is searched only for the row that holds the line.
        const int64_t shared = core::FindListEntry(tables.lstSharedPools, row.BPool);
        if (shared >= 0) {
            return tables.lstSharedPools[static_cast<size_t>(shared)];
        }
    }
    return std::nullopt;
}

class BatchRun {
public:
    BatchRun(const Options& options, const core::FileSource& source)
        : m_options(options),
          m_source(source),
          m_plan(options),
          m_members(options.members),
          m_ecsa(options.ecsa) {}

    BatchOutput Run() {
        if (const std::optional<QString> reason = m_plan.Read()) {
            BatchOutput output;
            output.exitCode = kExitLoadFailed;
            output.err = QStringLiteral("loomstead-cli: %1\n").arg(*reason).toStdString();
            return output;
        }
        // Before the load, so that a long load is not wasted on a run that will be refused.
        if (auto reason = OutputPathProblem(m_options, m_plan.Files())) {
            return UsageError(*reason);
        }
        if (auto reason = TypedNumberOverflow(m_typed)) {
            return UsageError(*reason);
        }
        AddWarnings(TypedNumberWarnings(m_typed));
        if (auto failure = ReadRunningTexts(m_options.running, m_running)) {
            BatchOutput output;
            output.exitCode = kExitLoadFailed;
            output.err = QStringLiteral("loomstead-cli: %1\n").arg(*failure).toStdString();
            return output;
        }

        for (const QString& file : m_plan.Files()) {
            core::AddSelectedFile(m_tables, EncodeArgument(file));
        }
        core::Session::Read read = core::Session::ReadAside(m_tables.lstSelectedFiles, m_source);
        const core::LoadResult load = read.load;
        for (const std::string& path : load.headerWarnings) {
            m_notes += QStringLiteral("%1: %2\n")
                           .arg(FromData(core::kHeaderWarningText), TerminalBytes(path));
        }
        if (!load.ok()) {
            BatchOutput output;
            output.exitCode = kExitLoadFailed;
            output.err = (m_notes + ReadErrorText(load.status)).toStdString();
            return output;
        }
        m_plan.Adopt(m_session, std::move(read), m_members, m_ecsa);
        // A plan's texts stand where no option gave them: they are checked as typed ones are.
        if (m_members != m_typed.members || m_ecsa != m_typed.ecsa) {
            m_typed = {m_members, m_ecsa};
            if (auto reason = TypedNumberOverflow(m_typed)) {
                return UsageError(*reason);
            }
            AddWarnings(TypedNumberWarnings(m_typed));
        }

        if (auto failure = SharePools()) {
            return *failure;
        }
        m_session.EnterObjectsPage();
        if (auto failure = CachePools()) {
            return *failure;
        }
        if (auto failure = CacheObjects()) {
            return *failure;
        }

        // Every output is made and checked first, and written only then: a refused run writes
        // nothing.
        std::vector<PendingFile> files;
        m_session.SetTypedNumbers(ToData(m_members), ToData(m_ecsa));
        if (std::optional<PendingFile> plan = m_plan.Save(m_session)) {
            files.push_back(std::move(*plan));
        }
        m_notes += m_plan.AccountText();
        BatchOutput output;
        std::string policy;  // the text for --cfrm
        const OutputFormat format = m_options.format;
        if (m_options.list) {
            if (format == OutputFormat::kCsv || format == OutputFormat::kPdf) {
                return UsageError("--list prints text or json only");
            }
            core::ResultsReport report{m_tables, load, m_refusals};
            report.warnings = &m_warnings;
            report.plan = m_plan.Json();
            output.out = format == OutputFormat::kJson ? core::ListJson(report) : ListText(report);
        } else {
            const core::SizingRun& run = m_session.EnterResults(m_warnings, m_refusals);
            const core::SizingResult& sizing = run.result;
            if (!sizing.heldAtLimit.empty()) {
                return UsageError(HeldFigureRefusal(sizing.heldAtLimit.front(), m_typed));
            }
            AddWarnings({run.warnings.begin() + static_cast<std::ptrdiff_t>(m_warnings.size()),
                         run.warnings.end()});
            if (m_options.sweepFrom > 0) {
                (void)m_session.SweepLastRun({m_options.sweepFrom, m_options.sweepTo});
            } else if (format == OutputFormat::kPdf) {
                // The report's chart shows 1 to 8 members unless the command line chose a sweep.
                (void)m_session.SweepLastRun({});
            }
            const std::vector<core::SweepPoint>& sweep = run.sweep;
            if (format == OutputFormat::kPdf) {
                if (auto failure = DrawPdf(run, output)) {
                    return *failure;
                }
            } else {
                output.out = format == OutputFormat::kJson  ? core::SizingJson(run, m_plan.Json())
                             : format == OutputFormat::kCsv ? core::ResultsCsv(sizing, sweep)
                                                            : SizingText(run, m_options.explain);
            }
            if (m_options.cfrm.asked() || m_options.running.asked()) {
                std::vector<core::CfrmSweepPoint> sweepFigures;
                const core::CfrmPolicy made = MakePolicy(sizing, sweep, sweepFigures);
                const std::string refusal = m_options.cfrm.asked()
                                                ? AddCfrmPolicy(made, format == OutputFormat::kJson,
                                                                output.out, sweepFigures)
                                                : AddCfrmPolicy(made, false, output.out);
                if (!refusal.empty()) {
                    return {kExitUsage, {}, m_notes.toStdString() + refusal};
                }
                policy = made.text;
                if (auto failure = CompareRunningGroup(made, output)) {
                    return *failure;
                }
            }
        }
        output.err = m_notes.toStdString();
        Deliver(output, std::move(policy), std::move(files));
        return output;
    }

private:
    // Each also goes to standard error, which is where the text form shows them.
    void AddWarnings(std::vector<core::Warning> warnings) {
        for (core::Warning& warning : warnings) {
            // The header warning is on standard error already, in its own words.
            if (warning.code != "not_a_statistics_header") {
                m_notes += WarningLine(warning);
            }
            m_warnings.push_back(std::move(warning));
        }
    }

    // The policy of the run; its warnings join the notes. With JSON, `sweepFigures` gets the
    // policy's storage at each member count of `sweep`.
    core::CfrmPolicy MakePolicy(const core::SizingResult& sizing,
                                const std::vector<core::SweepPoint>& sweep,
                                std::vector<core::CfrmSweepPoint>& sweepFigures) {
        const core::CfrmSource source = m_session.PolicySource(
            QDate::currentDate().toString(Qt::ISODate).toStdString(), m_members.toStdString(),
            m_ecsa.toStdString(), [](const core::InputFile& file) {
                return core::CfrmSource::File{TerminalBytes(file.path).toStdString(),
                                              FromData(file.collectionTime).toStdString()};
            });
        core::CfrmOptions options = m_options.cfrm.options;
        options.explainSizes = m_options.explain;
        core::CfrmPolicy policy = core::MakeCfrmPolicy(sizing, source, options);
        for (const core::Warning& warning : policy.warnings) {
            m_notes += WarningLine(warning);
        }
        if (m_options.format == OutputFormat::kJson) {
            sweepFigures = core::CfrmSweep(sweep, source, options);
        }
        return policy;
    }

    // The running group beside `policy`: its sections join the report, its warnings the notes,
    // and the new policy waits for delivery. A usage problem of the new policy fails the run.
    std::optional<BatchOutput> CompareRunningGroup(const core::CfrmPolicy& policy,
                                                   BatchOutput& output) {
        if (!m_options.running.asked()) {
            return std::nullopt;
        }
        const core::RunningGroup group = core::ReadRunningGroup(
            policy, m_options.cfrm.options, m_running.Inputs(m_options.running));
        if (!group.ok()) {
            return BatchOutput{
                group.status.code() == core::StatusCode::kInvalidArgument ? kExitUsage
                                                                          : kExitLoadFailed,
                {},
                (m_notes +
                 QStringLiteral("loomstead-cli: %1\n").arg(TerminalBytes(group.status.message())))
                    .toStdString()};
        }
        for (const core::Warning& warning : group.warnings) {
            m_notes += WarningLine(warning);
        }
        if (m_options.format == OutputFormat::kJson) {
            AddRunningJson(group, m_running, output.out);
        } else if (m_options.format == OutputFormat::kText) {
            output.out += RunningText(group, m_running, m_options.running, m_options.explain);
        }
        m_newPolicy = group.newPolicy;
        return std::nullopt;
    }

    // Sends `output.out` (the report) and `policy` (the --cfrm text) where the options say and
    // writes `files` with them. The policy goes to a file, or to standard output, alone there
    // when the report would go there too: that is what --cfrm - asks for.
    void Deliver(BatchOutput& output, std::string policy, std::vector<PendingFile> files) const {
        const CfrmRequest& cfrm = m_options.cfrm;
        std::string standardOutput;
        if (cfrm.asked() && !cfrm.toStandardOutput()) {
            const QString path = cfrm.file;
            files.push_back(
                {path, std::move(policy), kExitCfrmNotWritten, [path](const core::Status& written) {
                     return QStringLiteral("cannot write %1: %2")
                         .arg(TerminalText(path), TerminalBytes(written.message()));
                 }});
        } else if (cfrm.asked()) {
            standardOutput = std::move(policy);
        }
        const RunningRequest& running = m_options.running;
        if (!running.newPolicy.isEmpty() && !running.newPolicyToStandardOutput()) {
            const QString path = running.newPolicy;
            files.push_back(
                {path, m_newPolicy, kExitWriteFailed, [path](const core::Status& written) {
                     return QStringLiteral("cannot write %1: %2")
                         .arg(TerminalText(path), TerminalBytes(written.message()));
                 }});
        } else if (running.newPolicyToStandardOutput()) {
            standardOutput = m_newPolicy;
        }
        if (!IsStandardOutput(m_options.outputPath)) {
            files.push_back(ReportFile(std::move(output.out)));
        } else if (!cfrm.toStandardOutput() && !running.newPolicyToStandardOutput()) {
            standardOutput = std::move(output.out);
        }
        output.out = std::move(standardOutput);
        WritePendingFiles(files, output);
    }

    // The printable report as PDF bytes into `output.out`, through the writer main installed;
    // the failed run when it cannot be drawn.
    std::optional<BatchOutput> DrawPdf(const core::SizingRun& run, BatchOutput& output) const {
        const PdfReportWriter& writer = InstalledPdfReportWriter();
        if (!writer) {
            return UsageError(QString::fromLatin1(kPdfUnavailableText));
        }
        QByteArray pdf;
        if (!writer(run, &pdf)) {
            BatchOutput failed{kExitWriteFailed, {}, m_notes.toStdString()};
            failed.err +=
                QStringLiteral("loomstead-cli: Cannot write %1: the PDF could not be drawn\n")
                    .arg(TerminalText(m_options.outputPath))
                    .toStdString();
            return failed;
        }
        output.out = pdf.toStdString();
        return std::nullopt;
    }

    // The --output file; its failure reads as each form's did before.
    PendingFile ReportFile(std::string bytes) const {
        const QString path = m_options.outputPath;
        const bool pdf = m_options.format == OutputFormat::kPdf;
        return {path, std::move(bytes), kExitWriteFailed, [path, pdf](const core::Status& written) {
                    return QString(pdf ? "Cannot write %1: %2" : "cannot write '%1': %2")
                        .arg(TerminalText(path), TerminalBytes(written.message()));
                }};
    }

    void Refused(core::ShareRefusal refusal) {
        m_notes += RefusalText(refusal) + '\n';
        m_refusals.push_back(std::move(refusal));
    }

    std::optional<BatchOutput> SharePools() {
        for (const QString& pool : m_options.share) {
            const std::string name = ToData(pool.trimmed());
            const int64_t index = core::FindListEntry(m_tables.lstPools, name);
            if (index < 0 && IsShared(name)) {
                continue;  // asked twice: it stays shared, as the user wanted
            }
            if (index < 0) {
                return UsageError(
                    QStringLiteral("pool '%1' is not available to share").arg(TerminalText(pool)));
            }
            if (auto refusal = core::SharePool(m_tables, static_cast<size_t>(index))) {
                Refused(std::move(*refusal));
            }
        }
        if (m_options.shareAll) {
            for (core::ShareRefusal& refusal : core::ShareAllPools(m_tables)) {
                Refused(std::move(refusal));
            }
        }
        return std::nullopt;
    }

    bool IsShared(std::string_view name) const {
        return std::any_of(m_tables.lvSharedPools.begin(), m_tables.lvSharedPools.end(),
                           [name](const core::SharedPoolEntry& entry) {
                               return core::EqualsIgnoreCase(entry.name, name);
                           });
    }

    // Selects the shared pool on the objects page; nullopt when it is not shared.
    std::optional<std::string> SelectPool(const QString& pool) {
        const int64_t index = core::FindListEntry(m_tables.lstSharedPools, ToData(pool.trimmed()));
        if (index < 0) {
            return std::nullopt;
        }
        std::string name = m_tables.lstSharedPools[static_cast<size_t>(index)];
        core::ShowPoolObjects(m_tables, name, m_page);
        return name;
    }

    std::optional<BatchOutput> CachePools() {
        const auto apply = [this](const QStringList& pools,
                                  bool cache) -> std::optional<BatchOutput> {
            for (const QString& pool : pools) {
                if (!SelectPool(pool)) {
                    return UsageError(
                        QStringLiteral("pool '%1' is not shared").arg(TerminalText(pool)));
                }
                // The user's click leaves the box checked or unchecked; the page acts on that.
                m_page.box =
                    cache ? core::CacheBoxState::kChecked : core::CacheBoxState::kUnchecked;
                core::CacheAllObjects(m_tables, m_page);
            }
            return std::nullopt;
        };
        if (auto failure = apply(m_options.cachePools, true)) {
            return failure;
        }
        return apply(m_options.uncachePools, false);
    }

    std::optional<BatchOutput> CacheObjects() {
        const auto apply = [this](const QStringList& keys,
                                  bool cache) -> std::optional<BatchOutput> {
            for (const QString& key : keys) {
                const std::optional<int64_t> line = ParseObjectKey(key);
                const std::optional<std::string> pool =
                    line ? SharedPoolOfObject(m_tables, *line) : std::nullopt;
                if (!pool) {
                    return UsageError(QStringLiteral("'%1' is not an object of a shared pool")
                                          .arg(TerminalText(key)));
                }
                core::ShowPoolObjects(m_tables, *pool, m_page);
                const auto it = std::find(m_page.lines.begin(), m_page.lines.end(), *line);
                const bool cached = m_tables.lstData[static_cast<size_t>(*line)].ItemData != 0;
                // Only a change of the check mark is a toggle.
                if (it != m_page.lines.end() && cached != cache) {
                    core::ToggleObjectCached(m_tables, m_page,
                                             static_cast<size_t>(it - m_page.lines.begin()), cache);
                }
            }
            return std::nullopt;
        };
        if (auto failure = apply(m_options.cacheObjects, true)) {
            return failure;
        }
        return apply(m_options.uncacheObjects, false);
    }

    const Options& m_options;
    TypedNumbers m_typed{m_options.members, m_options.ecsa};
    const core::FileSource& m_source;
    core::Session m_session;
    core::CoreTables& m_tables = m_session.tables();  // the pages' actions act on them directly
    core::PoolObjects m_page;
    std::vector<core::ShareRefusal> m_refusals;
    std::vector<core::Warning> m_warnings;  // in the order found: typed numbers, then results
    QString m_notes;  // standard error of a run that goes on: warnings, header lines, refusals
    PlanStep m_plan;
    QString m_members;  // the two texts: the options', or the plan's where no option set them
    QString m_ecsa;
    RunningTexts m_running;  // the running group's texts, read before the load
    std::string m_newPolicy;
};

}  // namespace

BatchOutput RunBatch(const Options& options, const core::FileSource& source) {
    return BatchRun(options, source).Run();
}

BatchOutput RunCommandLine(const QStringList& arguments, const core::FileSource& source) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    switch (parsed.action) {
        case ParsedCommandLine::Action::kShowHelp:
        case ParsedCommandLine::Action::kShowVersion: {
            BatchOutput output;
            output.out = parsed.text.toStdString();
            return output;
        }
        case ParsedCommandLine::Action::kUsageError:
            return UsageError(parsed.text);
        case ParsedCommandLine::Action::kRun:
            break;
    }
    return RunBatch(parsed.options, source);
}

}  // namespace cli

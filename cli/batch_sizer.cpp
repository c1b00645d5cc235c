#include "batch_sizer.h"

#include <QSaveFile>
#include <algorithm>
#include <optional>
#include <vector>

#include "command_line.h"
#include "loader.h"
#include "messages.h"
#include "object_selection.h"
#include "pdf_report.h"
#include "pool_rows.h"
#include "pool_sharing.h"
#include "report.h"
#include "result_warnings.h"
#include "results_csv.h"
#include "sizing.h"
#include "sweep.h"
#include "tables.h"

namespace cli {
namespace {

// A refusal names the pool (data-file text) and ends with the file's path.
QString RefusalText(const core::ShareRefusal& refusal) {
    const std::string_view message = refusal.message;
    if (message.size() >= refusal.file.size() &&
        message.substr(message.size() - refusal.file.size()) == refusal.file) {
        return FromData(message.substr(0, message.size() - refusal.file.size())) +
               FromPath(refusal.file);
    }
    return FromData(message);
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
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); })) {
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
        : m_options(options), m_source(source) {}

    BatchOutput Run() {
        for (const QString& file : m_options.files) {
            core::AddSelectedFile(m_tables, ToPath(file));
        }
        const core::LoadResult load = core::LoadDataFiles(m_tables, m_source);
        for (const std::string& path : load.headerWarnings) {
            m_notes +=
                QStringLiteral("%1: %2\n").arg(FromData(core::kHeaderWarningText), FromPath(path));
        }
        if (!load.ok()) {
            BatchOutput output;
            output.exitCode = kExitLoadFailed;
            output.err = (m_notes + FromData(core::kReadErrorText) + '\n' +
                          FromPath(load.error->Detail()) + '\n')
                             .toStdString();
            return output;
        }
        core::CountWorkFileObjects(m_tables);

        if (auto failure = SharePools()) {
            return *failure;
        }
        // Entering the objects page rebuilds its pool list.
        core::RebuildSharedPoolList(m_tables);
        if (auto failure = CachePools()) {
            return *failure;
        }
        if (auto failure = CacheObjects()) {
            return *failure;
        }

        ReportTables report{m_tables, load, m_refusals};
        BatchOutput output;
        const OutputFormat format = m_options.format;
        if (m_options.list) {
            if (format == OutputFormat::kCsv || format == OutputFormat::kPdf) {
                return UsageError("--list prints text or json only");
            }
            output.out = format == OutputFormat::kJson ? ListJson(report) : ListText(report);
        } else {
            // Entering the results page rebuilds the pool list as well.
            core::RebuildSharedPoolList(m_tables);
            const std::string members = ToData(m_options.members);
            const std::string ecsa = ToData(m_options.ecsa);
            const core::SizingResult sizing = core::RunSizing(m_tables, members, ecsa);
            const std::vector<core::Warning> warnings =
                core::CheckResultWarnings(m_tables, sizing, members, ecsa);
            for (const core::Warning& warning : warnings) {
                // The header warning is on standard error already, in its own words.
                if (warning.code != "not_a_statistics_header") {
                    m_notes += "warning: " + QString::fromStdString(warning.message) + '\n';
                }
            }
            std::vector<core::SweepPoint> sweep;
            if (m_options.sweepFrom > 0) {
                sweep =
                    core::SweepMembers(m_tables, ecsa, {m_options.sweepFrom, m_options.sweepTo});
            }
            report.warnings = &warnings;
            report.sweep = &sweep;
            report.explain = m_options.explain;
            if (format == OutputFormat::kPdf) {
                return WritePdf(
                    {m_tables, sizing, warnings, sweep, m_options.members, m_options.ecsa});
            }
            output.out = format == OutputFormat::kJson  ? SizingJson(sizing, report)
                         : format == OutputFormat::kCsv ? core::ResultsCsv(sizing, sweep)
                                                        : SizingText(sizing, report);
        }
        output.err = m_notes.toStdString();
        if (!m_options.outputPath.isEmpty()) {
            WriteOutputFile(output);
        }
        return output;
    }

private:
    // The printable report into the --output file, through the writer main installed.
    BatchOutput WritePdf(const PdfReportRun& run) const {
        const PdfReportWriter& writer = InstalledPdfReportWriter();
        if (!writer) {
            return UsageError(QString::fromLatin1(kPdfUnavailableText));
        }
        BatchOutput output;
        output.err = m_notes.toStdString();
        QString error;
        if (!writer(run, m_options.outputPath, &error)) {
            output.exitCode = kExitWriteFailed;
            output.err += QStringLiteral("loomstead-cli: %1\n").arg(error).toStdString();
        }
        return output;
    }

    // Moves `output.out` into the --output file, whole or not at all.
    void WriteOutputFile(BatchOutput& output) const {
        QSaveFile file(m_options.outputPath);
        if (file.open(QIODevice::WriteOnly) &&
            file.write(output.out.data(), static_cast<qint64>(output.out.size())) ==
                static_cast<qint64>(output.out.size()) &&
            file.commit()) {
            output.out.clear();
            return;
        }
        output.exitCode = kExitWriteFailed;
        output.out.clear();
        output.err += QStringLiteral("loomstead-cli: cannot write '%1': %2\n")
                          .arg(m_options.outputPath, file.errorString())
                          .toStdString();
    }

    void Refused(core::ShareRefusal refusal) {
        m_notes += RefusalText(refusal) + '\n';
        m_refusals.push_back(std::move(refusal));
    }

    std::optional<BatchOutput> SharePools() {
        for (const QString& pool : m_options.share) {
            const int64_t index = core::FindListEntry(m_tables.lstPools, ToData(pool.trimmed()));
            if (index < 0) {
                return UsageError(QStringLiteral("pool '%1' is not available to share").arg(pool));
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
                    return UsageError(QStringLiteral("pool '%1' is not shared").arg(pool));
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
                    return UsageError(
                        QStringLiteral("'%1' is not an object of a shared pool").arg(key));
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
    const core::FileSource& m_source;
    core::CoreTables m_tables;
    core::PoolObjects m_page;
    std::vector<core::ShareRefusal> m_refusals;
    QString m_notes;  // standard error of a run that goes on: header warnings, refusals
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

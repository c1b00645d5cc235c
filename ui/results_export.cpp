#include "ui/results_export.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/io/write_file.h"
#include "core/loader.h"
#include "core/pool_sharing.h"
#include "core/results_csv.h"
#include "core/results_json.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "report/printable_report.h"
#include "report/report_data.h"
#include "ui/data_text.h"

namespace ui {

bool WriteWhole(const QString& path, std::string_view bytes, QString* error) {
    const core::Status written = core::WriteWholeFile(QFile::encodeName(path).toStdString(), bytes);
    if (!written.ok()) {
        *error = QStringLiteral("Cannot write %1: %2")
                     .arg(path, QString::fromStdString(written.message()));
        return false;
    }
    return true;
}

report::ReportData MakeReportData(const ResultsRun& run) {
    const std::vector<core::SweepPoint> sweep =
        core::SweepMembers(run.tables, run.ecsaText.toStdString());
    return report::BuildReportData(run.tables, run.sizing, run.warnings, sweep, run.membersText,
                                   run.ecsaText);
}

bool ExportResults(const ResultsRun& run, const QString& path, QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        return report::WritePdf(MakeReportData(run), path, error);
    }
    if (suffix == QLatin1String("json")) {
        return WriteWhole(
            path, core::SizingJson(run.sizing, {run.tables, run.load, run.refusals, &run.warnings}),
            error);
    }
    if (suffix == QLatin1String("csv")) {
        return WriteWhole(path, core::ResultsCsv(run.sizing), error);
    }
    *error = QString::fromLatin1(kUnknownExportTypeText);
    return false;
}

QString ResultsTsv(const core::SizingResult& sizing) {
    const auto row = [](const QStringList& cells) { return cells.join('\t') + '\n'; };
    QString text = row({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"});
    for (const core::PoolResult& pool : sizing.pools) {
        // A tab or line break inside a name would shift the cells; the files allow neither in a
        // pool name, but a blank stands in for one all the same.
        QString name = DataText(pool.pool);
        name.replace(QRegularExpression(QStringLiteral("[\t\r\n]")), QStringLiteral(" "));
        text += row({name, QString::number(pool.shared), QString::number(pool.cacheAll),
                     QString::number(pool.vpSize), QString::number(pool.hpSize),
                     QString::number(pool.gbpSize)});
    }
    text += '\n';
    const QString mb = QStringLiteral("Mb");
    text += row({"SCA Size", QString::number(sizing.scaSizeMb), mb});
    text += row({"Lock Structure Size", QString::number(sizing.lockStructureSizeMb), mb});
    text += row({"Directory/Data Ratio",
                 sizing.directoryDataRatio ? QString::number(*sizing.directoryDataRatio)
                                           : QStringLiteral("n/a"),
                 QString()});
    text += row({"IRLM ECSA Size", QString::number(sizing.irlmEcsaSizeMb), mb});
    text += row({"Total Memory Required", QString::number(sizing.totalMemoryMb), mb});
    return text;
}

}  // namespace ui

#include "ui/results_export.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/io/write_file.h"
#include "core/recommendations.h"
#include "core/results_csv.h"
#include "core/results_json.h"
#include "core/sizing.h"
#include "core/sizing_run.h"
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

report::ReportData MakeReportData(const core::SizingRun& run, const core::CoreTables& tables) {
    if (!run.sweep.empty()) {
        return report::BuildReportData(run);
    }
    core::SizingRun withGrowth = run;
    withGrowth.sweep = core::SweepMembers(tables, run.ecsaText);
    return report::BuildReportData(withGrowth);
}

bool ExportResults(const core::SizingRun& run, const core::CoreTables& tables, const QString& path,
                   QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        return report::WritePdf(MakeReportData(run, tables), path, error);
    }
    if (suffix == QLatin1String("json")) {
        return WriteWhole(path, core::SizingJson(run), error);
    }
    if (suffix == QLatin1String("csv")) {
        return WriteWhole(path, core::ResultsCsv(run.result), error);
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
    for (const core::Recommendation& r : core::Recommendations(sizing)) {
        text += row({QString::fromUtf8(r.caption.data(), static_cast<qsizetype>(r.caption.size())),
                     QString::fromStdString(r.text),
                     QString::fromUtf8(r.unit.data(), static_cast<qsizetype>(r.unit.size()))});
    }
    return text;
}

}  // namespace ui

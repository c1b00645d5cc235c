#include "report/report_data.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/group_buffer_pools.h"
#include "core/input_files.h"
#include "core/recommendations.h"
#include "core/record_layouts.h"
#include "core/sizing.h"
#include "core/sizing_calcs.h"
#include "core/sizing_run.h"
#include "core/sweep.h"
#include "core/text.h"
#include "core/warnings.h"

namespace report {
namespace {

// Text from the data files, read as Latin-1 as every output reads it.
QString FromData(const std::string& text) {
    return QString::fromStdString(core::Latin1ToUtf8(text));
}

QString FromTyped(const std::string& text) {
    const QString utf8 = QString::fromStdString(text);
    return utf8.toStdString() == text ? utf8 : FromData(text);
}

QStringList FromTrace(const core::Trace& trace) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(trace.size()));
    for (const std::string& step : trace) {
        lines << QString::fromStdString(step);
    }
    return lines;
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A step longer than this is cut in the report.
constexpr qsizetype kLongestStep = 600;

}  // namespace

GrowthPoint GrowthPointOf(const core::SweepPoint& point) {
    const core::SizingResult& r = point.result;
    return {point.members,        r.scaSizeMb,      r.lockStructureSizeMb,
            r.directoryDataRatio, r.irlmEcsaSizeMb, core::GbpMemoryMb(r.gbpTotalPages),
            r.totalMemoryMb};
}

ReportData BuildReportData(const core::SizingRun& run) {
    const core::SizingResult& sizing = run.result;
    ReportData data;
    data.created = QDateTime::currentDateTime();
    for (const core::InputFile& file : run.files) {
        data.files.push_back({QFile::decodeName(file.path.c_str()),
                              file.bytes ? static_cast<int64_t>(*file.bytes) : -1,
                              FromData(file.collectionTime)});
    }
    data.membersText = FromTyped(run.membersText);
    data.ecsaText = FromTyped(run.ecsaText);
    data.collectionTime = FromData(sizing.collectionTime);
    data.poolsShared = sizing.poolsShared;
    data.totalSystemObjects = sizing.totalSystemObjects;

    for (const core::Recommendation& r : core::Recommendations(sizing)) {
        // The report spells out what the ratio counts, where the results page leaves it bare.
        const QString unit = r.key == "directory_data_ratio"
                                 ? QStringLiteral("directory entries per data entry")
                                 : FromView(r.unit);
        data.recommendations.push_back({FromView(r.key), FromView(r.caption),
                                        QString::fromStdString(r.text), unit, FromTrace(r.why)});
    }
    for (const core::PoolResult& pool : sizing.pools) {
        const auto gbp = core::GroupBufferPoolOf(pool.pool);
        data.pools.push_back({FromData(pool.pool), pool.shared, pool.cacheAll, pool.vpSize,
                              pool.hpSize, pool.gbpSize, gbp ? gbp->pageSizeKb : 4,
                              CondensePoolTrace(FromTrace(pool.why))});
        data.gbpColumnPages = core::SaturatingAdd(data.gbpColumnPages, pool.gbpSize);
    }
    data.gbpTotalPages = sizing.gbpTotalPages;
    for (const core::Warning& warning : run.warnings) {
        data.warnings.push_back(
            {QString::fromStdString(warning.code), QString::fromStdString(warning.message)});
    }
    for (const core::SweepPoint& point : run.sweep) {
        data.growth.push_back(GrowthPointOf(point));
    }
    return data;
}

QStringList CondensePoolTrace(const QStringList& why) {
    // The sizing opens each row's steps with "row N of M (file ...): ...".
    static const QRegularExpression rowHeader(QStringLiteral("^row (\\d+) of (\\d+) "));
    std::vector<qsizetype> rowStarts;
    for (qsizetype i = 0; i < why.size(); ++i) {
        if (rowHeader.match(why[i]).hasMatch()) {
            rowStarts.push_back(i);
        }
    }
    QStringList kept;
    const auto keep = [&kept](qsizetype from, qsizetype to, const QStringList& steps) {
        for (qsizetype i = from; i < to; ++i) {
            // A step that lists every row of a pool in thousands of files would fill pages.
            kept << (steps[i].size() <= kLongestStep
                         ? steps[i]
                         : steps[i].left(kLongestStep) + QStringLiteral("... (%1 more characters)")
                                                             .arg(steps[i].size() - kLongestStep));
        }
    };
    if (rowStarts.size() <= 2) {
        keep(0, why.size(), why);
        return kept;
    }
    const size_t rows = rowStarts.size();
    keep(0, rowStarts[1], why);
    kept << (rows == 3 ? QStringLiteral("row 2 of 3 left out here")
                       : QStringLiteral("rows 2 to %1 of %2 left out here (%3 rows)")
                             .arg(rows - 1)
                             .arg(rows)
                             .arg(rows - 2));
    keep(rowStarts.back(), why.size(), why);
    return kept;
}

}  // namespace report

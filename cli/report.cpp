#include "cli/report.h"

#include <QStringList>
#include <algorithm>

#include "cli/encodings.h"
#include "core/loader.h"
#include "core/object_selection.h"
#include "core/pool_rows.h"
#include "core/pool_sharing.h"
#include "core/recommendations.h"
#include "core/sizing.h"
#include "core/sizing_run.h"
#include "core/sweep.h"
#include "core/tables.h"
#include "core/warnings.h"

namespace cli {
namespace {

constexpr qsizetype kCaptionWidth = 23;
constexpr qsizetype kValueWidth = 16;

// Caption and value label side by side, as on the results page; the label brings its own two
// leading blanks.
QString CaptionAndValue(const QString& caption, const std::string& label) {
    return caption.leftJustified(kCaptionWidth - 2) +
           TerminalData(label).leftJustified(kValueWidth);
}

QString TwoColumns(const QString& left, const QString& right = {}) {
    QString line = "  " + left + right;
    while (line.endsWith(' ')) {
        line.chop(1);
    }
    return line + '\n';
}

enum class Align { kLeft, kRight };

// A table with a header row; each column as wide as its widest cell, two blanks between columns.
QString Table(const QStringList& headers, const std::vector<Align>& align,
              const std::vector<QStringList>& rows, const QString& indent = {}) {
    std::vector<qsizetype> widths;
    for (const QString& header : headers) {
        widths.push_back(header.size());
    }
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            widths[static_cast<size_t>(c)] =
                std::max(widths[static_cast<size_t>(c)], row[c].size());
        }
    }
    const auto line = [&](const QStringList& cells) {
        QString text = indent;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            const auto width = widths[static_cast<size_t>(c)];
            if (c > 0) {
                text += "  ";
            }
            text += align[static_cast<size_t>(c)] == Align::kRight ? cells[c].rightJustified(width)
                                                                   : cells[c].leftJustified(width);
        }
        while (text.endsWith(' ')) {
            text.chop(1);
        }
        return text + '\n';
    };
    QString text = line(headers);
    for (const QStringList& row : rows) {
        text += line(row);
    }
    return text;
}

QString Number(int64_t value) { return QString::number(static_cast<qint64>(value)); }

QString FileCountText(const core::SizingRun& run) {
    const auto files = run.files.size();
    return QStringLiteral("%1 data file%2, %3")
        .arg(files)
        .arg(files == 1 ? "" : "s")
        .arg(TerminalData(run.dataSizeText));
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The sweep as a table, sizes in Mb: the recommendations with the GBP pages before the total
// memory, which counts them.
QString SweepText(const std::vector<core::SweepPoint>& sweep) {
    const size_t total = core::kRecommendationCount - 1;
    QStringList headers = {"Members"};
    for (size_t i = 0; i < core::kRecommendationCount; ++i) {
        if (i == total) {
            headers << "GBP Pages";
        }
        headers << FromView(core::kRecommendationNames[i].caption);
    }
    std::vector<QStringList> rows;
    for (const core::SweepPoint& point : sweep) {
        QStringList row = {Number(point.members)};
        const auto recommendations = core::Recommendations(point.result);
        for (size_t i = 0; i < recommendations.size(); ++i) {
            if (i == total) {
                row << Number(point.result.gbpTotalPages);
            }
            row << QString::fromStdString(recommendations[i].text);
        }
        rows.push_back(row);
    }
    return "\nWhat if the group grows (sizes in Mb, GBP Pages in pages)\n" +
           Table(headers, std::vector<Align>(headers.size(), Align::kRight), rows);
}

}  // namespace

std::string SizingText(const core::SizingRun& run, bool explain) {
    const core::SizingResult& s = run.result;
    QString text = QStringLiteral("Loomstead sizing of %1\n\n").arg(FileCountText(run));
    text += "System Information\n";
    text += TwoColumns(CaptionAndValue("Collection Time", s.lblInfo[0]),
                       CaptionAndValue("No of Shared DB2", s.lblInfo[2]));
    text += TwoColumns(CaptionAndValue("No Of Pools Shared", s.lblInfo[1]),
                       CaptionAndValue("Total System Objects", s.lblInfo[3]));
    text += "\nRecommendations\n";
    // As the results page sets them out: three down the left, the rest beside the first two.
    const auto recommendations = core::Recommendations(s);
    const auto captionAndValue = [](const core::Recommendation& r) {
        return CaptionAndValue(FromView(r.caption), r.label);
    };
    constexpr size_t kLeft = 3;
    for (size_t i = 0; i < kLeft; ++i) {
        text += TwoColumns(captionAndValue(recommendations[i]),
                           i + kLeft < recommendations.size()
                               ? captionAndValue(recommendations[i + kLeft])
                               : QString());
    }
    text += '\n';
    if (s.pools.empty()) {
        text += "No pool is shared.\n";
    } else {
        std::vector<QStringList> rows;
        for (const core::PoolResult& p : s.pools) {
            rows.push_back({TerminalData(p.pool), Number(p.shared), Number(p.cacheAll),
                            Number(p.vpSize), Number(p.hpSize), Number(p.gbpSize)});
        }
        text += Table({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"},
                      {Align::kLeft, Align::kRight, Align::kRight, Align::kRight, Align::kRight,
                       Align::kRight},
                      rows);
        text += QStringLiteral("\nGBP pages of every pool row: %1\n").arg(Number(s.gbpTotalPages));
    }
    if (!run.sweep.empty()) {
        text += SweepText(run.sweep);
    }
    if (explain) {
        text += "\nHow each figure came about\n";
        const auto steps = [&text](const QString& title, const core::Trace& why) {
            text += "  " + title + '\n';
            for (const std::string& step : why) {
                text += "    - " + QString::fromStdString(step) + '\n';
            }
        };
        for (const core::Recommendation& r : recommendations) {
            steps(FromView(r.caption), r.why);
        }
        for (const core::PoolResult& p : s.pools) {
            steps("Pool " + FromData(p.pool), p.why);
        }
    }
    return text.toStdString();
}

std::string ListText(const core::ResultsReport& report) {
    const core::CoreTables& t = report.tables;
    QString text = "Files\n";
    for (size_t i = 0; i < t.lstSelectedFiles.size(); ++i) {
        text += QStringLiteral("  %1  %2\n").arg(i).arg(TerminalBytes(t.lstSelectedFiles[i]));
    }
    text += QStringLiteral("Lines: %1 (%2)\n\n")
                .arg(t.lstData.size())
                .arg(TerminalData(report.load.dataSizeText));

    std::vector<QStringList> rows;
    for (size_t r = 0; r < t.lvControl.size(); ++r) {
        const core::PoolRow& row = t.lvControl[r];
        const auto bound = [](const std::optional<int32_t>& v) {
            return v ? QString::number(*v) : QString();
        };
        rows.push_back({QString::number(r + 1), QString::number(row.FileNo),
                        TerminalData(row.BPool), bound(row.StartObjectIndex),
                        bound(row.EndObjectIndex), QString::number(row.DSNDB07s),
                        TerminalData(core::CoreTables::CacheAllText(row.CacheAll))});
    }
    text += "Pool table\n";
    text += Table({"Row", "File", "Pool", "Start", "End", "DSNDB07s", "Cache All"},
                  {Align::kRight, Align::kRight, Align::kLeft, Align::kRight, Align::kRight,
                   Align::kRight, Align::kLeft},
                  rows, "  ");

    text += "\nAvailable pools\n";
    for (const std::string& pool : t.lstPools) {
        text += "  " + TerminalData(pool) + '\n';
    }
    text += "\nShared pools\n";
    rows.clear();
    for (const core::SharedPoolEntry& entry : t.lvSharedPools) {
        rows.push_back({TerminalData(entry.name), Number(entry.totalObjects)});
    }
    text += Table({"Pool Name", "Total Objects"}, {Align::kLeft, Align::kRight}, rows, "  ");

    text += "\nObjects\n";
    rows.clear();
    for (const core::PoolRow& row : t.lvControl) {
        const core::ObjectLineSpan span = core::ObjectLines(t, row);
        for (size_t k = span.begin; k < span.end; ++k) {
            const auto line = static_cast<int32_t>(k);
            rows.push_back({TerminalData(core::ObjectKey(line)), TerminalData(row.BPool),
                            QString::number(row.FileNo), t.lstData[k].ItemData != 0 ? "yes" : "no",
                            TerminalData(core::ObjectName(t, line))});
        }
    }
    text +=
        Table({"Key", "Pool", "File", "Cached", "Name"},
              {Align::kLeft, Align::kLeft, Align::kRight, Align::kLeft, Align::kLeft}, rows, "  ");
    return text.toStdString();
}

}  // namespace cli

#include "report/growth_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>

namespace report {
namespace {

struct Line {
    const char* name;
    std::optional<int64_t> (*value)(const GrowthPoint&);
    bool large;  // on the left axis with the total; the structures of a few Mb on the right
    Qt::GlobalColor color;
    Qt::PenStyle style;  // so that the lines stay apart in print and for colour-blind eyes
};

// The total last, so that it is drawn over the group buffer pools, which make most of it.
constexpr std::array<Line, 5> kSizeLines = {{
    {"SCA (right)", [](const GrowthPoint& p) -> std::optional<int64_t> { return p.scaSizeMb; },
     false, Qt::darkBlue, Qt::SolidLine},
    {"Lock structure (right)",
     [](const GrowthPoint& p) -> std::optional<int64_t> { return p.lockStructureSizeMb; }, false,
     Qt::darkRed, Qt::DashLine},
    {"IRLM ECSA (right)",
     [](const GrowthPoint& p) -> std::optional<int64_t> { return p.irlmEcsaSizeMb; }, false,
     Qt::darkGreen, Qt::DotLine},
    {"Group buffer pools",
     [](const GrowthPoint& p) -> std::optional<int64_t> { return p.gbpMemoryMb; }, true,
     Qt::darkMagenta, Qt::DashDotLine},
    {"Total memory", [](const GrowthPoint& p) -> std::optional<int64_t> { return p.totalMemoryMb; },
     true, Qt::black, Qt::SolidLine},
}};

constexpr std::array<Line, 1> kRatioLines = {{
    {"Directory/data ratio",
     [](const GrowthPoint& p) -> std::optional<int64_t> { return p.directoryDataRatio; }, true,
     Qt::darkBlue, Qt::SolidLine},
}};

const char kKindProperty[] = "growthChartKind";

GrowthChartKind KindOf(const QChart& chart) {
    return static_cast<GrowthChartKind>(chart.property(kKindProperty).toInt());
}

const Line* LinesOf(GrowthChartKind kind, size_t* count) {
    *count = kind == GrowthChartKind::kSizes ? kSizeLines.size() : kRatioLines.size();
    return kind == GrowthChartKind::kSizes ? kSizeLines.data() : kRatioLines.data();
}

QValueAxis* NewAxis(QChart& chart, const QString& title, const QString& format) {
    auto* axis = new QValueAxis(&chart);
    axis->setTitleText(title);
    axis->setLabelFormat(format);
    return axis;
}

bool IsMarker(const QAbstractSeries* series) {
    return series->name() == QLatin1String(kMarkedMembersSeries);
}

}  // namespace

std::unique_ptr<QChart> MakeGrowthChart(GrowthChartKind kind,
                                        const std::vector<GrowthPoint>& points,
                                        std::optional<int64_t> markedMembers) {
    auto chart = std::make_unique<QChart>();
    chart->setProperty(kKindProperty, static_cast<int>(kind));
    // The plot gets the height: no title (the axes say what is drawn), a legend at the side and
    // thin margins.
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    auto* xAxis = NewAxis(*chart, QStringLiteral("Members"), QStringLiteral("%d"));
    chart->addAxis(xAxis, Qt::AlignBottom);
    const bool sizes = kind == GrowthChartKind::kSizes;
    const QString yTitle =
        sizes ? QStringLiteral("Size (Mb)") : QStringLiteral("Directory/data ratio");
    auto* largeAxis = NewAxis(*chart, yTitle, QStringLiteral("%.0f"));
    chart->addAxis(largeAxis, Qt::AlignLeft);
    QValueAxis* smallAxis = nullptr;
    if (sizes) {
        // The group buffer pools make most of the total; beside them the other structures would
        // lie flat on the floor, so they get a scale of their own.
        smallAxis = NewAxis(*chart, yTitle, QStringLiteral("%.0f"));
        chart->addAxis(smallAxis, Qt::AlignRight);
    }
    size_t count = 0;
    const Line* lines = LinesOf(kind, &count);
    for (size_t i = 0; i < count; ++i) {
        auto* series = new QLineSeries(chart.get());
        series->setName(QString::fromLatin1(lines[i].name));
        QPen pen(QColor(lines[i].color), lines[i].value == kSizeLines.back().value ? 3 : 2);
        pen.setStyle(lines[i].style);
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(lines[i].large ? largeAxis : smallAxis);
    }
    auto* marker = new QLineSeries(chart.get());
    marker->setName(QString::fromLatin1(kMarkedMembersSeries));
    QPen markerPen(QColor(Qt::gray), 2);
    markerPen.setStyle(Qt::DashDotDotLine);
    marker->setPen(markerPen);
    chart->addSeries(marker);
    marker->attachAxis(xAxis);
    marker->attachAxis(largeAxis);
    SetGrowthPoints(*chart, points, markedMembers);
    return chart;
}

void SetGrowthPoints(QChart& chart, const std::vector<GrowthPoint>& points,
                     std::optional<int64_t> markedMembers) {
    size_t count = 0;
    const Line* lines = LinesOf(KindOf(chart), &count);
    const QList<QAbstractSeries*> series = chart.series();
    double highestLarge = 0;
    double highestSmall = 0;
    for (size_t i = 0; i < count && i < static_cast<size_t>(series.size()); ++i) {
        QList<QPointF> xy;
        double& highest = lines[i].large ? highestLarge : highestSmall;
        for (const GrowthPoint& point : points) {
            const std::optional<int64_t> value = lines[i].value(point);
            if (!value) {
                continue;
            }
            const auto y = static_cast<double>(*value);
            const auto members = static_cast<double>(point.members);
            xy.append({members, y});
            xy.append({members + 1, y});
            highest = std::max(highest, y);
        }
        static_cast<QLineSeries*>(series[static_cast<qsizetype>(i)])->replace(xy);
    }
    const int64_t first = points.empty() ? 1 : points.front().members;
    const int64_t last = points.empty() ? 1 : points.back().members;
    const QList<QAbstractAxis*> xAxes = chart.axes(Qt::Horizontal);
    if (!xAxes.isEmpty()) {
        auto* x = static_cast<QValueAxis*>(xAxes.front());
        // The last count's step runs to the next whole member.
        x->setRange(static_cast<double>(first), static_cast<double>(last + 1));
        x->setTickType(QValueAxis::TicksDynamic);
        x->setTickAnchor(static_cast<double>(first));
        x->setTickInterval(static_cast<double>(std::max<int64_t>(1, (last - first + 8) / 8)));
    }
    const QList<QAbstractAxis*> yAxes = chart.axes(Qt::Vertical);
    double top = 10;
    for (qsizetype i = 0; i < yAxes.size() && i < 2; ++i) {
        auto* y = static_cast<QValueAxis*>(yAxes[i]);
        const double highest = i == 0 ? highestLarge : highestSmall;
        // Headroom above the highest line, so that it does not run along the frame.
        y->setRange(0, highest > 0 ? highest * 1.05 : 10);
        y->applyNiceNumbers();
        if (i == 0) {
            top = y->max();
        }
    }
    for (QAbstractSeries* each : series) {
        if (IsMarker(each)) {
            const bool shown = markedMembers && !points.empty() && *markedMembers >= first &&
                               *markedMembers <= last;
            QList<QPointF> xy;
            if (shown) {
                const auto x = static_cast<double>(*markedMembers);
                xy = {{x, 0}, {x, top}};
            }
            static_cast<QLineSeries*>(each)->replace(xy);
        }
    }
}

QString GrowthPointTip(QChart& chart, QPointF position) {
    constexpr double kNearPixels = 8;
    const bool sizes = KindOf(chart) == GrowthChartKind::kSizes;
    double nearest = kNearPixels;
    QString tip;
    for (QAbstractSeries* each : chart.series()) {
        if (IsMarker(each)) {
            continue;
        }
        auto* series = static_cast<QLineSeries*>(each);
        const QList<QPointF> xy = series->points();
        // Every other point is a step's end, not a figure of its own.
        for (qsizetype i = 0; i < xy.size(); i += 2) {
            const QPointF at = chart.mapToPosition(xy[i], series);
            const double distance = std::hypot(at.x() - position.x(), at.y() - position.y());
            if (distance <= nearest) {
                nearest = distance;
                tip = QStringLiteral("%1 members: %2")
                          .arg(static_cast<int64_t>(xy[i].x()))
                          .arg(static_cast<int64_t>(xy[i].y()));
                if (sizes) {
                    tip += QStringLiteral(" Mb");
                }
            }
        }
    }
    return tip;
}

}  // namespace report

#include "growth_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <array>

namespace report {
namespace {

struct Line {
    const char* name;
    int64_t GrowthPoint::*mb;
    bool large;  // on the left axis with the total; the structures of a few Mb on the right
};

// The total last, so that it is drawn over the group buffer pools, which make most of it.
constexpr std::array<Line, 5> kLines = {{
    {"SCA (right)", &GrowthPoint::scaSizeMb, false},
    {"Lock structure (right)", &GrowthPoint::lockStructureSizeMb, false},
    {"IRLM ECSA (right)", &GrowthPoint::irlmEcsaSizeMb, false},
    {"Group buffer pools", &GrowthPoint::gbpMemoryMb, true},
    {"Total memory", &GrowthPoint::totalMemoryMb, true},
}};

}  // namespace

std::unique_ptr<QChart> MakeGrowthChart(const std::vector<GrowthPoint>& points) {
    auto chart = std::make_unique<QChart>();
    chart->setTitle(QStringLiteral("Memory against the number of members"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* xAxis = new QValueAxis(chart.get());
    xAxis->setTitleText(QStringLiteral("Members"));
    xAxis->setLabelFormat(QStringLiteral("%d"));
    // The group buffer pools make most of the total; beside them the other structures would lie
    // flat on the floor, so they get a scale of their own.
    auto* largeAxis = new QValueAxis(chart.get());
    largeAxis->setTitleText(QStringLiteral("Mb"));
    largeAxis->setLabelFormat(QStringLiteral("%.0f"));
    auto* smallAxis = new QValueAxis(chart.get());
    smallAxis->setTitleText(QStringLiteral("Mb"));
    smallAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(largeAxis, Qt::AlignLeft);
    chart->addAxis(smallAxis, Qt::AlignRight);
    for (const Line& line : kLines) {
        auto* series = new QLineSeries(chart.get());
        series->setName(QString::fromLatin1(line.name));
        series->setPointsVisible(true);
        chart->addSeries(series);
        if (line.mb == &GrowthPoint::totalMemoryMb) {
            QPen pen = series->pen();
            pen.setWidth(3);
            pen.setStyle(Qt::DashLine);
            series->setPen(pen);
        }
        series->attachAxis(xAxis);
        series->attachAxis(line.large ? largeAxis : smallAxis);
    }
    SetGrowthPoints(*chart, points);
    return chart;
}

void SetGrowthPoints(QChart& chart, const std::vector<GrowthPoint>& points) {
    const QList<QAbstractSeries*> series = chart.series();
    double highestLarge = 0;
    double highestSmall = 0;
    for (size_t i = 0; i < kLines.size() && i < static_cast<size_t>(series.size()); ++i) {
        QList<QPointF> xy;
        double& highest = kLines[i].large ? highestLarge : highestSmall;
        for (const GrowthPoint& point : points) {
            const auto mb = static_cast<double>(point.*kLines[i].mb);
            xy.append({static_cast<double>(point.members), mb});
            highest = std::max(highest, mb);
        }
        static_cast<QLineSeries*>(series[static_cast<qsizetype>(i)])->replace(xy);
    }
    const int64_t first = points.empty() ? 1 : points.front().members;
    const int64_t last = points.empty() ? 1 : points.back().members;
    const QList<QAbstractAxis*> xAxes = chart.axes(Qt::Horizontal);
    if (!xAxes.isEmpty()) {
        auto* x = static_cast<QValueAxis*>(xAxes.front());
        // A single point still gets an axis of some width; members are whole, so are the ticks.
        x->setRange(static_cast<double>(first), static_cast<double>(std::max(last, first + 1)));
        x->setTickType(QValueAxis::TicksDynamic);
        x->setTickAnchor(static_cast<double>(first));
        x->setTickInterval(static_cast<double>(std::max<int64_t>(1, (last - first + 7) / 8)));
    }
    const QList<QAbstractAxis*> yAxes = chart.axes(Qt::Vertical);
    for (qsizetype i = 0; i < yAxes.size() && i < 2; ++i) {
        auto* y = static_cast<QValueAxis*>(yAxes[i]);
        const double highest = i == 0 ? highestLarge : highestSmall;
        // Headroom above the highest line, so that it does not run along the frame.
        y->setRange(0, highest > 0 ? highest * 1.05 : 10);
        y->applyNiceNumbers();
    }
}

}  // namespace report

// The growth charts: the sizes of the structures, in Mb, and the directory/data ratio, each
// against the number of members. The What If view shows them, one below the other; the printed
// report draws the same charts.
#ifndef REPORT_GROWTH_CHART_H_
#define REPORT_GROWTH_CHART_H_

#include <QPointF>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "report/report_data.h"

class QChart;

namespace report {

enum class GrowthChartKind {
    // One line per figure, in this order: "SCA (right)", "Lock structure (right)",
    // "IRLM ECSA (right)", "Group buffer pools", "Total memory"; the total and the group buffer
    // pools read on the left axis, the small structures on the right one, both "Size (Mb)".
    kSizes,
    // One line, "Directory/data ratio"; member counts whose ratio cannot be computed are left
    // out.
    kRatio,
};

// The series that marks the member count of "No Of Shared DB2" with a vertical line.
inline constexpr char kMarkedMembersSeries[] = "No Of Shared DB2";

// A chart of `kind` whose lines are steps: a value holds from m members until m + 1. The x
// axis, "Members", counts in whole numbers. `markedMembers`, when inside the range of `points`,
// gets the vertical line. Needs a QApplication, since a chart is a graphics widget.
std::unique_ptr<QChart> MakeGrowthChart(GrowthChartKind kind,
                                        const std::vector<GrowthPoint>& points,
                                        std::optional<int64_t> markedMembers = std::nullopt);

// Replaces the lines of a chart made by MakeGrowthChart with `points`, rescaling the axes.
void SetGrowthPoints(QChart& chart, const std::vector<GrowthPoint>& points,
                     std::optional<int64_t> markedMembers = std::nullopt);

// The tip for a pointer at `position` (in the chart's own coordinates): "m members: v Mb" (on
// the ratio chart "m members: v") for the nearest point of a figure within 8 pixels, or an
// empty string when none is that near.
QString GrowthPointTip(QChart& chart, QPointF position);

}  // namespace report

#endif  // REPORT_GROWTH_CHART_H_

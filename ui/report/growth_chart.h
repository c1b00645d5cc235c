// The growth chart: the total memory and each structure, in Mb, against the number of members.
// The What If view shows it; the printed report draws the same chart.
#ifndef REPORT_GROWTH_CHART_H_
#define REPORT_GROWTH_CHART_H_

#include <memory>
#include <vector>

#include "report_data.h"

class QChart;

namespace report {

// A chart with one line per figure, in this order: "SCA (right)", "Lock structure (right)",
// "IRLM ECSA (right)", "Group buffer pools", "Total memory". The x axis counts members in whole
// numbers; the total and the group buffer pools read on the left axis, the small structures on
// the right one. Needs a
// QApplication, since a chart is a graphics widget.
std::unique_ptr<QChart> MakeGrowthChart(const std::vector<GrowthPoint>& points);

// Replaces the lines of a chart made by MakeGrowthChart with `points`, rescaling the axes.
void SetGrowthPoints(QChart& chart, const std::vector<GrowthPoint>& points);

}  // namespace report

#endif  // REPORT_GROWTH_CHART_H_

// The What If page's table and chart as they leave the program from the Results menu: printed
// or previewed on pages with the report's margins.
#ifndef UI_WHAT_IF_OUTPUT_H_
#define UI_WHAT_IF_OUTPUT_H_

class QChart;
class QPrinter;
class QTableWidget;

namespace ui {

// Draws the table, then the chart across the page's width, on `printer`, whose margins the
// caller sets. `chart` may be null. False when the printer cannot be started.
[[nodiscard]] bool PrintWhatIf(const QTableWidget& table, QChart* chart, QPrinter& printer);

}  // namespace ui

#endif  // UI_WHAT_IF_OUTPUT_H_

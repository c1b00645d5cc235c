// The printable report of a sizing run: one renderer for the PDF file and for the printer, so
// that what the batch sizer writes and what the desktop program prints read the same.
#ifndef REPORT_PRINTABLE_REPORT_H_
#define REPORT_PRINTABLE_REPORT_H_

#include <QString>

class QByteArray;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QRectF;

namespace report {

struct ReportData;

// The report's text as HTML: every section but the chart.
QString ReportHtml(const ReportData& data);

// Draws the growth charts of data.growth, the sizes above the directory/data ratio, each the
// full width of `area` and at most half its height, with type scaled so that a page's width
// reads as a printed page does.
void DrawGrowthCharts(QPainter& painter, const ReportData& data, const QRectF& area);

// Paints the report on `device`, page after page, the growth charts on a page of its own when
// data.growth holds points. Needs a QApplication (the chart is a graphics widget). False when
// the device cannot be painted on (a printer that is not ready).
[[nodiscard]] bool RenderReport(const ReportData& data, QPagedPaintDevice& device);

// Draws the report as the bytes of a PDF file into *pdf; false when it cannot be drawn.
[[nodiscard]] bool DrawPdf(const ReportData& data, QByteArray* pdf);

// Writes the report as a PDF file at `path`, whole or not at all: on failure returns false,
// sets *error to a sentence naming the path and the reason, and leaves any earlier file there
// as it was.
[[nodiscard]] bool WritePdf(const ReportData& data, const QString& path, QString* error);

// The margins of every page of the report, in millimetres, on paper as in the PDF.
inline constexpr double kPageMarginMm = 15;

// Prints the report on a printer the user has set up; false as RenderReport.
[[nodiscard]] bool Print(const ReportData& data, QPrinter& printer);

}  // namespace report

#endif  // REPORT_PRINTABLE_REPORT_H_

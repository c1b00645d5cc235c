// The ways results leave the desktop program: a file (CSV, JSON or the printable report as PDF,
// chosen by the file's extension) and tab-separated text for the clipboard.
#ifndef UI_RESULTS_EXPORT_H_
#define UI_RESULTS_EXPORT_H_

#include <QString>
#include <string_view>
#include <vector>

namespace core {
class CoreTables;
struct SizingResult;
struct SizingRun;
}  // namespace core

namespace report {
struct ReportData;
}

namespace ui {

inline constexpr char kExportTitle[] = "Export Results";
inline constexpr char kPrintTitle[] = "Print Results";
inline constexpr char kWhatIfExportTitle[] = "Export What If";
inline constexpr char kUnknownExportTypeText[] =
    "Choose a file name ending in .csv, .json or .pdf.";

// The printable report of the run, with the files' sizes and collection times as the load found
// them and the growth chart of the run's sweep, or, when it has none, of `tables` sized for 1 to
// 8 members.
report::ReportData MakeReportData(const core::SizingRun& run, const core::CoreTables& tables);

// Writes the run to `path` as CSV, JSON or PDF by its extension (letter case ignored), whole or
// not at all: on failure false and *error the sentence to show; an earlier file stays as it was.
// `tables` as MakeReportData takes them.
[[nodiscard]] bool ExportResults(const core::SizingRun& run, const core::CoreTables& tables,
                                 const QString& path, QString* error);

// Writes `bytes` as the whole of `path` (core::WriteWholeFile); on failure false and *error
// "Cannot write PATH: REASON", the old file left as it was.
[[nodiscard]] bool WriteWhole(const QString& path, std::string_view bytes, QString* error);

// The pool table with its column titles, a blank line, then one line per recommendation
// (caption, value, unit): cells separated by tabs, lines by "\n", numbers without units, so
// that it pastes into a spreadsheet as numbers.
QString ResultsTsv(const core::SizingResult& sizing);

}  // namespace ui

#endif  // UI_RESULTS_EXPORT_H_

// What loomstead-cli prints: the sizing results or the tables, as text for a terminal or as JSON
// for other programs. Data-file text is Latin-1 and paths are local 8-bit; output is UTF-8.
#ifndef CLI_REPORT_H_
#define CLI_REPORT_H_

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace core {
class CoreTables;
struct LoadResult;
struct ShareRefusal;
struct SizingResult;
struct SweepPoint;
struct Warning;
}  // namespace core

namespace cli {

// Text of a data file (pool and object names, the collection time) and typed text given to the
// core, which reads single bytes.
QString FromData(std::string_view latin1);
std::string ToData(const QString& text);

// A file path as the core holds it (the file system's own bytes).
QString FromPath(std::string_view localPath);
std::string ToPath(const QString& path);

// The state a report shows. All references must outlive the call.
struct ReportTables {
    const core::CoreTables& tables;
    const core::LoadResult& load;
    const std::vector<core::ShareRefusal>& refusals;       // in the order they happened
    const std::vector<core::Warning>* warnings = nullptr;  // of the sizing run; null: none
    const std::vector<core::SweepPoint>* sweep = nullptr;  // --sweep-members points; null: none
    bool explain = false;                                  // the traces in the text output
};

// The results page: system information, recommendations and one row per shared pool. The JSON
// also holds the traces (`why`), the warnings and the sweep; the text the sweep and, with
// `explain`, the traces.
std::string SizingText(const core::SizingResult& sizing, const ReportTables& report);
std::string SizingJson(const core::SizingResult& sizing, const ReportTables& report);

// The files, the line count, the pool table, both pool lists and every object line.
std::string ListText(const ReportTables& report);
std::string ListJson(const ReportTables& report);

}  // namespace cli

#endif  // CLI_REPORT_H_

// What loomstead-cli prints: the sizing results or the tables, as text for a terminal or as JSON
// for other programs. Data-file text is Latin-1 and paths are bytes; output is UTF-8, with the
// escapes of encodings.h.
#ifndef CLI_REPORT_H_
#define CLI_REPORT_H_

#include <QJsonObject>
#include <QString>
#include <optional>
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

// The state a report shows. All references must outlive the call.
struct ReportTables {
    const core::CoreTables& tables;
    const core::LoadResult& load;
    const std::vector<core::ShareRefusal>& refusals;  // in the order they happened
    const std::vector<core::Warning>* warnings = nullptr;  // typed numbers, then results; null: none
    const std::vector<core::SweepPoint>* sweep = nullptr;  // --sweep-members points; null: none
    bool explain = false;                                  // the traces in the text output
    std::optional<QJsonObject> plan = std::nullopt;        // the "plan" section, when there is one
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

// What loomstead-cli prints as text for a terminal: the sizing results or the tables. Data-file
// text is Latin-1 and paths are bytes; output is UTF-8, with the escapes of encodings.h. The JSON
// forms are core/results_json.h.
#ifndef CLI_REPORT_H_
#define CLI_REPORT_H_

#include <string>

#include "core/results_json.h"

namespace cli {

// The state a report shows (the sweep: --sweep-members), as the JSON documents take it.
struct ReportTables : core::ResultsReport {
    bool explain = false;  // the traces in the text output
};

// The results page: system information, recommendations and one row per shared pool, then the
// sweep and, with `explain`, the traces.
std::string SizingText(const core::SizingResult& sizing, const ReportTables& report);

// The files, the line count, the pool table, both pool lists and every object line.
std::string ListText(const ReportTables& report);

}  // namespace cli

#endif  // CLI_REPORT_H_

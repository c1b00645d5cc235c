// What loomstead-cli prints as text for a terminal: the sizing results or the tables. Data-file
// text is Latin-1 and paths are bytes; output is UTF-8, with the escapes of encodings.h. The JSON
// forms are core/results_json.h.
#ifndef CLI_REPORT_H_
#define CLI_REPORT_H_

#include <string>

#include "core/results_json.h"

namespace core {
struct SizingRun;
}

namespace cli {

// The results page of `run`: system information, recommendations and one row per shared pool,
// then the run's sweep (--sweep-members) if any and, with `explain`, the traces.
std::string SizingText(const core::SizingRun& run, bool explain);

// The files, the line count, the pool table, both pool lists and every object line.
std::string ListText(const core::ResultsReport& report);

}  // namespace cli

#endif  // CLI_REPORT_H_

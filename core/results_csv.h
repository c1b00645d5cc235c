// The results as CSV, for a spreadsheet: one row per shared pool, then the recommendations as
// key,value rows. UTF-8 (data-file text is converted from Latin-1), fields quoted as RFC 4180
// asks, lines ended by CR LF.
#ifndef CORE_RESULTS_CSV_H_
#define CORE_RESULTS_CSV_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/sweep.h"

namespace core {

// The size of `gbpPages` pages of `pageSizeKb` KB in MB: pages x KB / 1024 with one decimal, a
// half rounded away from zero ("93.8").
std::string GbpSizeMbText(int64_t gbpPages, int64_t pageSizeKb);

// One field as RFC 4180 writes it: quoted, with quotes doubled, when it holds a comma, a quote,
// CR or LF; as it is otherwise.
std::string CsvField(std::string_view text);

// The header row "Pool,Shared,Cache All,VP Size,HP Size,GBP Pages,Page Size KB,GBP Size MB", a row
// per pool (GBP Pages is the "GBP Size" cell; a pool outside the group buffer pool table counts
// 4 KB pages, as the total does), an empty line, "Recommendation,Value" and a row per
// recommendation under the keys of the JSON output (an empty value for a ratio that cannot be
// computed). With `sweep` points: an empty line and a table of the recommendations per member
// count.
std::string ResultsCsv(const SizingResult& result, const std::vector<SweepPoint>& sweep = {});

}  // namespace core

#endif  // CORE_RESULTS_CSV_H_

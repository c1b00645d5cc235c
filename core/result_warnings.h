// Warnings where the figures of a sizing run may mislead: pages that are not 4 KB, a lock
// structure at its ceiling, statistics that read as zero, and the like. The figures themselves
// stand as computed.
#ifndef CORE_RESULT_WARNINGS_H_
#define CORE_RESULT_WARNINGS_H_

#include <string_view>
#include <vector>

#include "core/warnings.h"

namespace core {

class CoreTables;
struct SizingResult;

// The warnings of one run, in this order: per file not_a_statistics_header, then per file
// duplicate_file and file_without_pools, then mixed_collection_times; per shared pool
// pool_without_gbp_name or page_size_not_4k, then per pool row pool_name_case_differs or
// pool_statistics_zero; ratio_not_computable; lock_at_ceiling. `result` is RunSizing of the same
// tables and texts; the tables' file fields come from the load.
[[nodiscard]] std::vector<Warning> CheckResultWarnings(const CoreTables& tables,
                                                       const SizingResult& result,
                                                       std::string_view membersText,
                                                       std::string_view ecsaText);

}  // namespace core

#endif  // CORE_RESULT_WARNINGS_H_

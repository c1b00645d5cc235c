// Warnings where the figures of a sizing run may mislead: pages that are not 4 KB, a lock
// structure at its ceiling, statistics that read as zero, and the like. The figures themselves
// stand as computed.
#ifndef CORE_RESULT_WARNINGS_H_
#define CORE_RESULT_WARNINGS_H_

#include <string_view>
#include <vector>

#include "warnings.h"

namespace core {

class CoreTables;
struct SizingResult;

// The warnings of one run, in a stable order. `result` is RunSizing of the same tables and texts.
[[nodiscard]] std::vector<Warning> CheckResultWarnings(const CoreTables& tables,
                                                       const SizingResult& result,
                                                       std::string_view membersText,
                                                       std::string_view ecsaText);

}  // namespace core

#endif  // CORE_RESULT_WARNINGS_H_

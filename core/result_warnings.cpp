#include "result_warnings.h"

#include "sizing.h"
#include "tables.h"

namespace core {

std::vector<Warning> CheckResultWarnings(const CoreTables& tables, const SizingResult& result,
                                         std::string_view membersText, std::string_view ecsaText) {
    (void)tables;
    (void)result;
    (void)membersText;
    (void)ecsaText;
    return {};
}

}  // namespace core

// The user's choices as the tables hold them, taken whole so that they can be put back: what
// an undo of sharing, returning, ticking or "Cache All Objects" restores.
#ifndef CORE_CHOICES_H_
#define CORE_CHOICES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/tables.h"

namespace core {

struct Choices {
    std::vector<std::string> lstPools;
    std::vector<SharedPoolEntry> lvSharedPools;
    std::vector<std::string> lstSharedPools;
    std::vector<bool> cacheAll;         // per row of lvControl
    std::vector<int32_t> cachedLines;   // line-store indices whose ItemData is set, ascending
    std::vector<int32_t> cachedValues;  // their ItemData

    bool operator==(const Choices&) const = default;
};

// The choices the tables hold now. Costs one pass over the line store.
[[nodiscard]] Choices TakeChoices(const CoreTables& tables);

// Puts back choices taken from these same tables (the same load): the pool lists, every row's
// Cache All and every line's ItemData. REQUIRES: the tables were not loaded again since.
void RestoreChoices(CoreTables& tables, const Choices& choices);

}  // namespace core

#endif  // CORE_CHOICES_H_

#include "core/choices.h"

#include <cassert>

namespace core {

Choices TakeChoices(const CoreTables& tables) {
    Choices choices{tables.lstPools, tables.lvSharedPools, tables.lstSharedPools, {}, {}, {}};
    choices.cacheAll.reserve(tables.lvControl.size());
    for (const PoolRow& row : tables.lvControl) {
        choices.cacheAll.push_back(row.CacheAll);
    }
    for (size_t k = 0; k < tables.lstData.size(); ++k) {
        if (tables.lstData[k].ItemData != 0) {
            choices.cachedLines.push_back(static_cast<int32_t>(k));
            choices.cachedValues.push_back(tables.lstData[k].ItemData);
        }
    }
    return choices;
}

void RestoreChoices(CoreTables& tables, const Choices& choices) {
    assert(choices.cacheAll.size() == tables.lvControl.size());
    tables.lstPools = choices.lstPools;
    tables.lvSharedPools = choices.lvSharedPools;
    tables.lstSharedPools = choices.lstSharedPools;
    for (size_t r = 0; r < tables.lvControl.size() && r < choices.cacheAll.size(); ++r) {
        tables.lvControl[r].CacheAll = choices.cacheAll[r];
    }
    for (DataLine& line : tables.lstData) {
        line.ItemData = 0;
    }
    for (size_t i = 0; i < choices.cachedLines.size(); ++i) {
        const auto k = static_cast<size_t>(choices.cachedLines[i]);
        if (k < tables.lstData.size()) {
            tables.lstData[k].ItemData = choices.cachedValues[i];
        }
    }
}

}  // namespace core

#include "core/object_selection.h"

#include <algorithm>

#include "core/pool_rows.h"
#include "core/record_layouts.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

// The box after a change of one check mark: what the two counts now say.
CacheBoxState BoxForCounts(int64_t listed, int64_t cached) {
    if (cached == 0) {
        return CacheBoxState::kUnchecked;
    }
    if (cached != listed) {
        return CacheBoxState::kMixed;
    }
    return listed > 0 ? CacheBoxState::kChecked : CacheBoxState::kUnchecked;
}

void WriteCacheAll(CoreTables& tables, std::string_view poolName, bool cacheAll) {
    if (poolName.empty()) {
        return;
    }
    for (const size_t row : FindPoolRows(tables, poolName)) {
        tables.lvControl[row].CacheAll = cacheAll;
    }
}

}  // namespace

std::string ObjectKey(int32_t lineIndex) {
    // Appending rather than "O" + ... keeps g++ 12 from a false -Wrestrict warning.
    std::string key = "O";
    key += std::to_string(lineIndex);
    return key;
}

std::string_view ObjectName(const CoreTables& tables, int32_t lineIndex) {
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= tables.lstData.size()) {
        return {};
    }
    return tables.lstData[static_cast<size_t>(lineIndex)].Field(BPDLayout, bpd_field::kObjectName);
}

std::vector<size_t> FilterPoolObjects(const CoreTables& tables, const PoolObjects& page,
                                      std::string_view text) {
    std::vector<size_t> shown;
    shown.reserve(text.empty() ? page.lines.size() : 0);
    for (size_t i = 0; i < page.lines.size(); ++i) {
        if (ContainsIgnoreCase(ObjectName(tables, page.lines[i]), text)) {
            shown.push_back(i);
        }
    }
    return shown;
}

std::optional<LinePlace> PlaceOfLine(const CoreTables& tables, int32_t lineIndex) {
    const std::vector<size_t>& first = tables.fileFirstLine;
    if (lineIndex < 0 || static_cast<size_t>(lineIndex) >= tables.lstData.size() || first.empty() ||
        first.front() > static_cast<size_t>(lineIndex)) {
        return std::nullopt;
    }
    // A file that stored no line starts where the next one does: the last file starting at or
    // before the line is the one that holds it.
    const auto after = std::upper_bound(first.begin(), first.end(), size_t(lineIndex));
    const auto fileNo = static_cast<size_t>(after - first.begin() - 1);
    if (fileNo >= tables.lstSelectedFiles.size()) {
        return std::nullopt;
    }
    // Every line after the header is stored.
    return LinePlace{fileNo, static_cast<int64_t>(size_t(lineIndex) - first[fileNo]) + 2};
}

void ShowPoolObjects(const CoreTables& tables, std::string_view poolName, PoolObjects& page) {
    const std::string_view name = Trim(poolName);
    if (name.empty()) {
        return;
    }
    page.poolName = std::string(name);
    page.lines.clear();
    int64_t cached = 0;
    // A row without object lines (the pool had none in that file) lists nothing; the rows of
    // the other files are still listed.
    for (const size_t row : FindPoolRows(tables, name)) {
        const ObjectLineSpan span = ObjectLines(tables, tables.lvControl[row]);
        for (size_t k = span.begin; k < span.end; ++k) {
            page.lines.push_back(static_cast<int32_t>(k));
            if (tables.lstData[k].ItemData != 0) {
                ++cached;
            }
        }
    }
    page.listed = static_cast<int64_t>(page.lines.size());
    page.cached = cached;
    page.countsVisible = true;
    if (page.listed > 0) {
        if (cached == page.listed) {
            page.box = CacheBoxState::kChecked;
        } else if (cached == 0) {
            page.box = CacheBoxState::kUnchecked;
        } else {
            page.box = CacheBoxState::kMixed;
        }
    }
}

void ToggleObjectCached(CoreTables& tables, PoolObjects& page, size_t position, bool checked) {
    if (position >= page.lines.size()) {
        return;
    }
    const auto line = static_cast<size_t>(page.lines[position]);
    if (line < tables.lstData.size()) {
        tables.lstData[line].ItemData = checked ? -1 : 0;
    }
    // The page counts on its own numbers, not on the list, as its labels always did.
    page.cached += checked ? 1 : -1;
    page.box = BoxForCounts(page.listed, page.cached);
    WriteCacheAll(tables, page.poolName, page.box == CacheBoxState::kChecked);
}

void CacheAllObjects(CoreTables& tables, PoolObjects& page) {
    if (page.box == CacheBoxState::kMixed) {
        return;
    }
    const bool cache = page.box == CacheBoxState::kChecked;
    for (const int32_t line : page.lines) {
        if (line >= 0 && static_cast<size_t>(line) < tables.lstData.size()) {
            tables.lstData[static_cast<size_t>(line)].ItemData = cache ? -1 : 0;
        }
    }
    page.cached = cache ? static_cast<int64_t>(page.lines.size()) : 0;
    WriteCacheAll(tables, page.poolName, cache);
}

void ClearPoolObjects(PoolObjects& page) {
    page.poolName.clear();
    page.lines.clear();
    page.lines.shrink_to_fit();
    page.countsVisible = false;
}

}  // namespace core

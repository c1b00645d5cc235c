#include "core/pool_rows.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/record_layouts.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

int FieldOf(PoolStatistic statistic) {
    switch (statistic) {
        case PoolStatistic::kVpSize:
            return bps_field::kVpSize;
        case PoolStatistic::kHpSize:
            return bps_field::kHpSize;
        case PoolStatistic::kRatioNumerator:
            return bps_field::kRatioNumerator;
        case PoolStatistic::kRatioDenominator:
            return bps_field::kRatioDenominator;
    }
    return bps_field::kVpSize;
}

}  // namespace

ObjectLineSpan ObjectLines(const CoreTables& tables, const PoolRow& row) {
    if (!row.HasObjectRange()) {
        return {};
    }
    // Lines a hand-built range names beyond the line store hold no objects.
    const int64_t first = std::max<int64_t>(*row.StartObjectIndex, 0);
    const int64_t pastLast = std::min<int64_t>(int64_t{*row.EndObjectIndex} + 1,
                                               static_cast<int64_t>(tables.lstData.size()));
    if (first >= pastLast) {
        return {};
    }
    return {static_cast<size_t>(first), static_cast<size_t>(pastLast)};
}

bool IsQualifyingTableSpace(std::string_view line) {
    if (ExtractField(line, BPDLayout, bpd_field::kObjectKind) != "T") {
        return false;
    }
    return !NamesWorkFileObject(line);
}

int64_t SumPoolTableSpaceObjects(const CoreTables& tables, const PoolRow& row) {
    const ObjectLineSpan span = ObjectLines(tables, row);
    int64_t count = 0;
    for (size_t k = span.begin; k < span.end; ++k) {
        if (IsQualifyingTableSpace(tables.lstData[k].Head())) {
            ++count;
        }
    }
    return count;
}

int64_t CountCachedObjects(const CoreTables& tables, const PoolRow& row) {
    const ObjectLineSpan span = ObjectLines(tables, row);
    int64_t count = 0;
    for (size_t k = span.begin; k < span.end; ++k) {
        if (tables.lstData[k].ItemData != 0) {
            ++count;
        }
    }
    return count;
}

int32_t ReadPoolStatistic(const CoreTables& tables, PoolStatistic statistic,
                          std::string_view poolName, int64_t lineIndex) {
    if (lineIndex < 0 || static_cast<uint64_t>(lineIndex) >= tables.lstData.size()) {
        return 0;
    }
    // A pool row's statistics line is its BPS line or the line before its first object line,
    // never an object line: the line is whole.
    const DataLine& stored = tables.lstData[static_cast<size_t>(lineIndex)];
    assert(!stored.partial);
    const std::string_view line = stored.stored;
    if (!Contains(line, "BPS") || !Contains(line, Trim(poolName))) {
        return 0;
    }
    const std::string_view field = ExtractField(line, BPSLayout, FieldOf(statistic));
    return RoundToInt32(LenientNumber(field)).value_or(0);
}

int64_t PoolStatisticLine(const PoolRow& row) {
    if (row.HasObjectRange()) {
        return int64_t{*row.StartObjectIndex} - 1;
    }
    return row.bpsLineIndex;
}

}  // namespace core

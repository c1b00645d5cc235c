// Reading one pool-table row the way every calculation of the sizing engine does: its object
// lines, how many of them are table spaces or cached, and the four statistics of its BPS line.
// All of it is a pure function of the tables.
#ifndef CORE_POOL_ROWS_H_
#define CORE_POOL_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace core {

class CoreTables;
struct PoolRow;

// The statistics of a BPS line that the sizing run reads.
enum class PoolStatistic {
    kVpSize,            // pages of the virtual pool
    kHpSize,            // pages of the hiperpool
    kRatioNumerator,    // upper term of the activity ratio
    kRatioDenominator,  // lower term of the activity ratio
};

// The line-store indices [begin, end) of a row's object range that exist in the line store.
// Empty for a row without object lines (a bound never set) and for a reversed range.
struct ObjectLineSpan {
    size_t begin = 0;
    size_t end = 0;

    bool empty() const { return begin >= end; }
    size_t size() const { return empty() ? 0 : end - begin; }
};
ObjectLineSpan ObjectLines(const CoreTables& tables, const PoolRow& row);

// A table space counted by the engine: kind "T" (exact case) and an object name that does not
// hold "DSNDB07" (exact case). Index spaces and work-file objects never qualify.
bool IsQualifyingTableSpace(std::string_view line);

// Qualifying table spaces in the row's object range; 0 for a row without object lines.
int64_t SumPoolTableSpaceObjects(const CoreTables& tables, const PoolRow& row);

// Object lines of the row's range whose ItemData is non-zero, whatever their kind; 0 for a row
// without object lines.
int64_t CountCachedObjects(const CoreTables& tables, const PoolRow& row);

// One statistic of the BPS line at `lineIndex`: its field read leniently and rounded half to
// even. 0 when the line does not hold both "BPS" and the trimmed pool name (exact case), when
// the index is outside the line store, or when the value does not fit 32 bits.
int32_t ReadPoolStatistic(const CoreTables& tables, PoolStatistic statistic,
                          std::string_view poolName, int64_t lineIndex);

// The line whose statistics size the row: the line just before its first object line, or, for
// a row without object lines, the BPS line that created it. May be -1 (no such line).
int64_t PoolStatisticLine(const PoolRow& row);

}  // namespace core

#endif  // CORE_POOL_ROWS_H_

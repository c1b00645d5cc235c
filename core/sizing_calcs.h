// The calculations of the sizing run, one function each: SCA size, lock structure size,
// directory/data ratio, IRLM ECSA size and group buffer pool size. Each reads the tables or
// plain values and changes nothing. Sizes in Mb, buffer sizes in pages of 4 KB.
//
// Each calculation takes an optional trace: when `why` is not null, it appends its inputs and
// steps with their values as it computes (a null `why` costs nothing).
//
// Counts and page sums are 64-bit. A value that could only come from absurd input (a typed
// number like 1e300) saturates at the 64-bit limits instead of wrapping.
#ifndef CORE_SIZING_CALCS_H_
#define CORE_SIZING_CALCS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/trace.h"

namespace core {

class CoreTables;
class PoolRowIndex;

// --- SCA size ---

// 8, 16, 32, 48 or 64 Mb for a count of table spaces: below 450, 1,800, 3,800, 5,800, and above.
int64_t ScaSizeForTableSpaces(int64_t tableSpaces, Trace* why = nullptr);

// --- Lock structure size ---

// From the typed "No Of Shared DB2" and "ECSA Size for IRLM " texts, both read leniently and
// rounded half to even: half their product plus 10 %, fitted to 8, 16, 32 or 64 Mb. 8 when
// either number is 0 or below.
int64_t CalcLockStructureSize(std::string_view membersText, std::string_view ecsaText,
                              Trace* why = nullptr);

// What the lock structure's formula asks for before it is fitted: members x ECSA / 2 x 1.1 Mb
// with both read as above; 0 when either is 0 or below.
double LockStructureDemandMb(std::string_view membersText, std::string_view ecsaText);

// The largest lock structure the formula gives, Mb.
inline constexpr int64_t kLockStructureCeilingMb = 64;

// --- Directory/data ratio ---

// Sums over the qualifying table spaces of every pool row, shared or not. A is the statistic at
// columns 57-66 of the object line, B the one at columns 339-348.
struct DirectoryRatioSums {
    int64_t sumA = 0;
    int64_t sumB = 0;
    int64_t cachedTableSpaces = 0;
    int64_t cachedAdjustment = 0;  // A - B of every cached table space
    int64_t tableSpaces = 0;       // qualifying table spaces, cached or not

    // The ratio's denominator: B of the uncached table spaces plus A of the cached ones.
    int64_t Denominator() const { return sumB + cachedAdjustment; }
    bool operator==(const DirectoryRatioSums&) const = default;
};

// A or B of one object line: the whole field must be a number (blanks around it allowed),
// rounded half to even. An empty field, anything else, or a value beyond 32 bits counts as 0.
int64_t ReadObjectStatistic(std::string_view field);

// What the sizing run needs of the object lines, gathered in one pass over every pool row
// (a million-line store is read once, not once per calculation).
struct PoolRowTally {
    std::vector<int64_t> tableSpaces;    // per lvControl row: qualifying table spaces
    std::vector<int64_t> cachedObjects;  // per lvControl row: cached object lines
    DirectoryRatioSums ratio;            // over every row, shared or not
};
// The pass waits on memory, not on arithmetic: from `twoThreadsFrom` lines on, a second thread
// takes the upper half of the line store (on a million lines, 20 ms became 10 ms).
inline constexpr size_t kLinesWorthASecondThread = 200'000;
PoolRowTally TallyPoolRows(const CoreTables& tables,
                           size_t twoThreadsFrom = kLinesWorthASecondThread);

// The table spaces of the shared pools' rows (every pool row of every entry of lstSharedPools),
// from a tally and a row index of the same tables.
int64_t CountSharedTableSpaces(const CoreTables& tables, const PoolRowIndex& rows,
                               const PoolRowTally& tally);

// The SCA size of the shared pools, Mb.
int64_t CalcSCASize(const CoreTables& tables, const PoolRowIndex& rows, const PoolRowTally& tally,
                    Trace* why = nullptr);

// sumA / D / 20 + 0.5 rounded half to even, at least 1, and at least 3 while fewer than five
// table spaces are cached. nullopt when D is 0: the ratio cannot be computed.
std::optional<int64_t> CalcDirectoryRatio(const DirectoryRatioSums& sums, Trace* why = nullptr);

// --- IRLM ECSA size ---

// The typed ECSA size (read leniently, 0 without a number) plus 2, rounded half to even, Mb.
// `*heldAtLimit`, when given, is set when the size passed the 64-bit range and was held at the
// limit, and left as it was otherwise.
int64_t CalcIrlmEcsaSize(std::string_view ecsaText, Trace* why = nullptr,
                         bool* heldAtLimit = nullptr);

// --- Group buffer pool size ---

// The factor a pool row was sized with, exactly: 1/2, 3/4 or 1/1 from the cached share, or the
// activity ratio's two terms (1/20 when it was raised to 0.05).
struct GbpFactor {
    int64_t numerator = 1;
    int64_t denominator = 1;
    bool withHiperpool = false;  // applied to VP + HP (the activity rule without Cache All)

    bool operator==(const GbpFactor&) const = default;
};

struct GbpInputs {
    int64_t tableSpaces = 0;    // qualifying table spaces of the row
    int64_t cachedObjects = 0;  // cached object lines of the row, any kind
    int64_t vpPages = 0;        // the pool's VP size summed over its rows so far, this row included
    int64_t hpPages = 0;        // the pool's HP size summed the same way
    int64_t ratioNumerator = 0;  // the row's activity statistics
    int64_t ratioDenominator = 0;
    bool cacheAll = false;  // the row's Cache All flag
    double members = 0.0;   // "No Of Shared DB2" read leniently, not rounded
};

// Pages for one pool row, rounded up to a multiple of 1000. With cached table spaces the share
// of cached lines picks the factor (below 40 %: 0.5, below 75 %: 0.75, else 1.0) applied to
// VP x members; otherwise the activity ratio (at least 0.05) applied to VP x members when Cache
// All is set and to (VP + HP) x members when not; 0 when neither rule applies. `factor`, when
// not null, receives the factor used (nullopt when neither rule applies).
// `*heldAtLimit`, when given, is set when the pages passed the 64-bit range and were held at
// the limit (then rounded inward), and left as it was otherwise.
int64_t CalcGBPSize(const GbpInputs& in, Trace* why = nullptr,
                    std::optional<GbpFactor>* factor = nullptr, bool* heldAtLimit = nullptr);

// Mb of memory for a number of GBP pages: pages x 4 / 1000, rounded half to even.
int64_t GbpMemoryMb(int64_t gbpPages, Trace* why = nullptr);

// a + b, held at the 64-bit limits instead of overflowing.
int64_t SaturatingAdd(int64_t a, int64_t b);

}  // namespace core

#endif  // CORE_SIZING_CALCS_H_

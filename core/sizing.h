// The sizing run: every value of the results page computed from the tables and the two typed
// numbers ("No Of Shared DB2", "ECSA Size for IRLM "). Changes no table.
#ifndef CORE_SIZING_H_
#define CORE_SIZING_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sizing_calcs.h"
#include "core/trace.h"

namespace core {

class CoreTables;

// One row of the results list, per shared pool in lstSharedPools order.
struct PoolResult {
    std::string pool;             // "Pool": the name, trimmed
    int64_t shared = 0;           // "Shared": object lines over the pool's rows
    int64_t cacheAll = 0;         // "Cache All": cached object lines
    int64_t vpSize = 0;           // "VP Size", pages
    int64_t hpSize = 0;           // "HP Size" as shown: 0 when shared == cacheAll, else the HP sum
    int64_t gbpSize = 0;          // "GBP Size": the last pool row's GBP size, pages; 0 without rows
    int64_t gbpPagesAllRows = 0;  // every row's GBP size added up: what the total counts
    Trace why = {};               // every row's sizing, then the cells

    bool operator==(const PoolResult&) const = default;
};

// What the policy statements read of a pool; no cell of the results page shows it.
struct PoolBasis {
    std::string pool;                        // the name, trimmed
    bool shared = true;                      // false: a catalog pool sized as if shared
    int64_t files = 0;                       // loaded files holding a row of the pool
    int64_t vpPages = 0;                     // every row's VP size added up
    int64_t hpPages = 0;                     // every row's HP size added up, shown or not
    std::optional<GbpFactor> lastRowFactor;  // the factor the last row was sized with
    bool hpCounted = false;                  // some row's GBP Size counted HP pages

    bool operator==(const PoolBasis&) const = default;
};

// A figure the sizing held at the 64-bit limit instead of computing it exactly; shown, the limit
// would read as a real size.
enum class HeldFigure {
    kIrlmEcsaSize,
    kGbpSize,   // a pool's "GBP Size" cell: its last row's size
    kGbpTotal,  // the total of every row's GBP size
    kTotalMemory,
};

// The typed number whose value carried a figure past the limit.
enum class TypedNumber { kMembers, kEcsa };

struct LimitMark {
    HeldFigure figure = HeldFigure::kIrlmEcsaSize;
    TypedNumber driver = TypedNumber::kMembers;
    std::string pool;  // kGbpSize: the pool as PoolResult::pool names it; empty otherwise

    bool operator==(const LimitMark&) const = default;
};

struct SizingResult {
    std::string collectionTime;  // columns 142-149 of line-store entry 0, as they stand
    int64_t poolsShared = 0;
    std::string sharedDb2;  // the members text, trimmed
    int64_t totalSystemObjects = 0;
    int64_t scaSizeMb = 0;
    int64_t lockStructureSizeMb = 0;
    std::optional<int64_t> directoryDataRatio;  // nullopt when its denominator is 0
    DirectoryRatioSums directoryRatioSums;      // what the ratio was computed from
    int64_t irlmEcsaSizeMb = 0;
    int64_t gbpTotalPages = 0;  // every pool row's GBP size added up
    int64_t totalMemoryMb = 0;
    std::vector<PoolResult> pools;
    // What the policy statements read; no figure above counts them.
    double membersRead = 0.0;   // "No Of Shared DB2" read leniently, as the GBP sizes read it
    double lockDemandMb = 0.0;  // members x ECSA / 2 x 1.1, both read leniently, unrounded; 0
                                // when either is 0 or below
    // One per entry of `pools`, in that order; then BP0, BP8K0, BP16K0 and BP32K (the pools
    // behind the GBPs Db2 requires) where loaded but not shared, in that order.
    std::vector<PoolBasis> poolBases;
    // Every figure above held at the 64-bit limit, in the order computed: the IRLM ECSA size,
    // each pool's GBP Size, the GBP total, the total memory. A GBP size counts as held when its
    // pages before rounding passed the range, the total when a row's size or a sum did, the
    // total memory when its own sum did (driven by the larger in magnitude of the IRLM ECSA
    // size and the GBP memory). Empty when every figure is exact.
    std::vector<LimitMark> heldAtLimit;

    // The traces of the five recommendations.
    Trace whyScaSize;
    Trace whyLockStructureSize;
    Trace whyDirectoryDataRatio;
    Trace whyIrlmEcsaSize;
    Trace whyTotalMemory;

    // The texts of the value labels, each two blanks then the value (and " Mb" where it has a
    // unit): lblInfo(0..3) and lblRecommendation(0..4).
    std::array<std::string, 4> lblInfo;
    std::array<std::string, 5> lblRecommendation;

    bool operator==(const SizingResult&) const = default;
};

enum class SizingStep {
    kScaSize,
    kLockStructure,
    kDirectoryRatio,
    kEcsaSize,
    kGbpSizes,
    kTotalMemory
};

// The status bar text of a step, e.g. "Calculating SCA Size".
std::string_view StatusText(SizingStep step);

// Told as each step starts, so that a window can show the status text; after the first four
// steps the window may let pending events run.
class SizingObserver {
public:
    virtual ~SizingObserver() = default;
    virtual void StepStarting(SizingStep step) = 0;
};

[[nodiscard]] SizingResult RunSizing(const CoreTables& tables, std::string_view membersText,
                                     std::string_view ecsaText, SizingObserver* observer = nullptr);

// RunSizing in two steps, for work that sizes the same tables for many member counts: what does
// not depend on the typed numbers (the one pass over the lines, the statistics, the SCA size and
// the directory/data ratio, with their traces) is read once into a SizingBasis, and each member
// count is then a few steps per pool row. RunSizing is PrepareSizing then SizeForMembers.
struct SizingBasis {
    // One pool-table row of a shared pool, ready for CalcGBPSize once the members are known.
    struct Row {
        size_t pool = 0;     // index into base.poolBases, and into base.pools when shared
        GbpInputs inputs;    // members left at 0
        std::string header;  // the row's first trace step: where it lies and its inputs
        bool shared = true;  // false: a catalog pool's row, sized for the policy only
    };
    SizingResult base;      // every member-independent field, traces included; pools without GBP
    std::vector<Row> rows;  // in the order the run sizes them
};

// Reads the tables; the basis holds no reference to them.
[[nodiscard]] SizingBasis PrepareSizing(const CoreTables& tables);

// The run for the typed numbers on a prepared basis; equal to RunSizing of the same tables.
// Tells `observer` the steps from the lock structure on.
[[nodiscard]] SizingResult SizeForMembers(const SizingBasis& basis, std::string_view membersText,
                                          std::string_view ecsaText,
                                          SizingObserver* observer = nullptr);

}  // namespace core

#endif  // CORE_SIZING_H_

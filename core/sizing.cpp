#include "core/sizing.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/group_buffer_pools.h"
#include "core/numbers.h"
#include "core/pool_rows.h"
#include "core/record_layouts.h"
#include "core/sizing_calcs.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

// a + b, held at the 64-bit limits; `held` set when it was.
int64_t AddHeld(int64_t a, int64_t b, bool& held) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        held = true;
        return SaturatingAdd(a, b);
    }
    return sum;
}

// Two blanks lead every value label of the results page.
std::string ValueText(std::string_view value) { return "  " + std::string(value); }
std::string ValueText(int64_t value) { return ValueText(std::to_string(value)); }
std::string MbText(int64_t value) { return ValueText(value) + " Mb"; }

void Tell(SizingObserver* observer, SizingStep step) {
    if (observer != nullptr) {
        observer->StepStarting(step);
    }
}

// Object lines of every pool row of every file, shared or not, less one. A row without object
// lines adds nothing, and an empty pool table gives 0 rather than a negative count.
int64_t TotalSystemObjects(const CoreTables& tables) {
    int64_t lines = 0;
    for (const PoolRow& row : tables.lvControl) {
        lines += row.ObjectCount();
    }
    return std::max<int64_t>(lines - 1, 0);
}

// Where a row's statistics were read: "db1a.sta line 75" (1-based, the header being line 1), or
// the line-store index when the load left no file positions.
std::string StatisticsPlace(const CoreTables& tables, const PoolRow& row, int64_t line) {
    const auto file = static_cast<size_t>(row.FileNo);
    if (row.FileNo < 0 || file >= tables.lstSelectedFiles.size() ||
        file >= tables.fileFirstLine.size() || line < 0) {
        return "statistics at stored line " + std::to_string(line);
    }
    const int64_t fileLine = line - static_cast<int64_t>(tables.fileFirstLine[file]) + 2;
    return "statistics at " + std::string(FileNameOf(tables.lstSelectedFiles[file])) + " line " +
           std::to_string(fileLine);
}

// The member-independent part of one shared pool: its cells but "GBP Size", what the policy
// reads of it, and one basis row per pool-table row with the VP and HP sums so far. A catalog
// pool not shared (`shared` false) gets no cells.
void PreparePool(const CoreTables& tables, const PoolRowIndex& rows, const PoolRowTally& tally,
                 std::string_view poolName, SizingBasis& basis, bool shared = true) {
    const size_t poolIndex = basis.base.poolBases.size();
    PoolResult cells;
    PoolResult& result = shared ? basis.base.pools.emplace_back() : cells;
    result.pool = std::string(poolName);
    int64_t cached = 0;
    int64_t hpPages = 0;
    std::set<int32_t> files;
    const std::vector<size_t>& poolRows = rows.Rows(poolName);
    for (size_t n = 0; n < poolRows.size(); ++n) {
        const PoolRow& row = tables.lvControl[poolRows[n]];
        files.insert(row.FileNo);
        result.shared += row.ObjectCount();
        const int64_t rowCached = tally.cachedObjects[poolRows[n]];
        cached += rowCached;
        const int64_t statisticLine = PoolStatisticLine(row);
        const auto read = [&](PoolStatistic statistic) {
            return int64_t{ReadPoolStatistic(tables, statistic, poolName, statisticLine)};
        };
        const int64_t vp = read(PoolStatistic::kVpSize);
        const int64_t hp = read(PoolStatistic::kHpSize);
        result.vpSize += vp;
        hpPages += hp;
        SizingBasis::Row& sized = basis.rows.emplace_back();
        sized.pool = poolIndex;
        sized.shared = shared;
        GbpInputs& in = sized.inputs;
        in.tableSpaces = tally.tableSpaces[poolRows[n]];
        in.cachedObjects = rowCached;
        in.vpPages = result.vpSize;
        in.hpPages = hpPages;
        in.ratioNumerator = read(PoolStatistic::kRatioNumerator);
        in.ratioDenominator = read(PoolStatistic::kRatioDenominator);
        in.cacheAll = row.CacheAll;
        sized.header =
            "row " + std::to_string(n + 1) + " of " + std::to_string(poolRows.size()) + " (" +
            StatisticsPlace(tables, row, statisticLine) +
            "): " + std::to_string(row.ObjectCount()) + " object lines, " +
            std::to_string(in.tableSpaces) + " table spaces, " + std::to_string(rowCached) +
            " cached, Cache All " + std::string(CoreTables::CacheAllText(row.CacheAll)) +
            "; virtual pool size VP (columns 34-43) " + std::to_string(vp) +
            " pages (pool so far " + std::to_string(in.vpPages) +
            "), hiperpool size HP (columns 50-59) " + std::to_string(hp) + " pages (so far " +
            std::to_string(hpPages) + "), activity ratio: numerator (columns 349-358) " +
            std::to_string(in.ratioNumerator) + " / denominator (columns 67-76) " +
            std::to_string(in.ratioDenominator);
    }
    result.cacheAll = cached;
    result.hpSize = result.shared == cached ? 0 : hpPages;
    basis.base.poolBases.push_back({result.pool, shared, static_cast<int64_t>(files.size()),
                                    result.vpSize, hpPages, std::nullopt, false});
    if (poolRows.empty()) {
        result.why.push_back("no pool-table row carries this name: every cell is 0");
    }
}

// The pool's closing step: where its cells come from and what it adds to the total.
std::string PoolCellsStep(const PoolResult& p, const std::string& rowSizes, size_t rowCount) {
    std::string step =
        "cells: Shared " + std::to_string(p.shared) + " object lines, Cache All " +
        std::to_string(p.cacheAll) + ", VP Size " + std::to_string(p.vpSize) + ", HP Size " +
        std::to_string(p.hpSize) +
        (p.shared == p.cacheAll && rowCount > 0 ? " (shown as 0: Shared equals Cache All)" : "") +
        ", GBP Size " + std::to_string(p.gbpSize);
    if (rowCount > 1) {
        step += " (the last row's); the total adds every row: " + rowSizes + " = " +
                std::to_string(p.gbpPagesAllRows) + " pages";
    } else {
        step += " pages, added to the total";
    }
    return step;
}

// The first step of the total: the GBP pages it counts, pool by pool (the first few named), and
// how they differ from the "GBP Size" cells, which show each pool's last row only.
void TraceGbpPages(SizingResult& r, const std::vector<std::string>& rowSizes) {
    constexpr size_t kPoolsNamed = 12;
    std::string terms;
    int64_t cells = 0;
    for (size_t p = 0; p < r.pools.size(); ++p) {
        cells = SaturatingAdd(cells, r.pools[p].gbpSize);
        if (p < kPoolsNamed) {
            terms += (p == 0 ? ": " : ", ") + Latin1ToUtf8(r.pools[p].pool) + " " +
                     (rowSizes[p].empty() ? "0" : rowSizes[p]);
        }
    }
    if (r.pools.size() > kPoolsNamed) {
        terms += " and " + std::to_string(r.pools.size() - kPoolsNamed) + " more pools";
    }
    r.whyTotalMemory.push_back("GBP pages of every row of the " + std::to_string(r.pools.size()) +
                               " shared pools" + terms + " = " + std::to_string(r.gbpTotalPages) +
                               (cells == r.gbpTotalPages
                                    ? ""
                                    : " (the GBP Size cells, each pool's last row, add up to " +
                                          std::to_string(cells) + ")"));
}

}  // namespace

std::string_view StatusText(SizingStep step) {
    switch (step) {
        case SizingStep::kScaSize:
            return "Calculating SCA Size";
        case SizingStep::kLockStructure:
            return "Calculating Lock Structure Size";
        case SizingStep::kDirectoryRatio:
            return "Calculating Directory Ratio";
        case SizingStep::kEcsaSize:
            return "Calculating ECSCA Size";
        case SizingStep::kGbpSizes:
            return "Calculating GB Pool Sizes";
        case SizingStep::kTotalMemory:
            return "Calculating Total Memory Reqd";
    }
    return {};
}

SizingBasis PrepareSizing(const CoreTables& tables) {
    SizingBasis basis;
    SizingResult& r = basis.base;
    r.totalSystemObjects = TotalSystemObjects(tables);
    if (!tables.lstData.empty()) {
        r.collectionTime =
            std::string(tables.lstData[0].Field(LeadLayout, lead_field::kCollectionTime));
    }
    r.poolsShared = static_cast<int64_t>(tables.lstSharedPools.size());
    // One pass over the lines and one index of the rows serve every calculation below.
    const PoolRowTally tally = TallyPoolRows(tables);
    const PoolRowIndex rows(tables);
    r.scaSizeMb = CalcSCASize(tables, rows, tally, &r.whyScaSize);
    r.directoryRatioSums = tally.ratio;
    r.directoryDataRatio = CalcDirectoryRatio(tally.ratio, &r.whyDirectoryDataRatio);
    r.pools.reserve(tables.lstSharedPools.size());
    std::set<std::string> sharedGbps;
    for (const std::string& entry : tables.lstSharedPools) {
        PreparePool(tables, rows, tally, Trim(entry), basis);
        if (const std::optional<GroupBufferPool> gbp = GroupBufferPoolOf(entry)) {
            sharedGbps.insert(gbp->name);
        }
    }
    for (const char* required : {"GBP0", "GBP8K0", "GBP16K0", "GBP32K"}) {
        if (sharedGbps.count(required) != 0) {
            continue;
        }
        for (const PoolRow& row : tables.lvControl) {
            const std::optional<GroupBufferPool> gbp = GroupBufferPoolOf(row.BPool);
            if (gbp && gbp->name == required) {
                PreparePool(tables, rows, tally, Trim(row.BPool), basis, false);
                break;
            }
        }
    }
    return basis;
}

SizingResult SizeForMembers(const SizingBasis& basis, std::string_view membersText,
                            std::string_view ecsaText, SizingObserver* observer) {
    SizingResult r = basis.base;
    r.sharedDb2 = std::string(Trim(membersText));
    Tell(observer, SizingStep::kLockStructure);
    r.lockStructureSizeMb = CalcLockStructureSize(membersText, ecsaText, &r.whyLockStructureSize);
    Tell(observer, SizingStep::kDirectoryRatio);
    Tell(observer, SizingStep::kEcsaSize);
    bool ecsaHeld = false;
    r.irlmEcsaSizeMb = CalcIrlmEcsaSize(ecsaText, &r.whyIrlmEcsaSize, &ecsaHeld);
    if (ecsaHeld) {
        r.heldAtLimit.push_back({HeldFigure::kIrlmEcsaSize, TypedNumber::kEcsa, {}});
    }

    Tell(observer, SizingStep::kGbpSizes);
    const double members = LenientNumber(membersText);
    std::vector<std::string> rowSizes(r.pools.size());
    std::vector<size_t> rowCounts(r.pools.size(), 0);
    std::vector<char> lastRowHeld(r.pools.size(), 0);
    bool totalHeld = false;
    r.membersRead = members;
    const double ecsa = LenientNumber(ecsaText);
    r.lockDemandMb = members > 0 && ecsa > 0 ? members * ecsa / 2.0 * 1.1 : 0.0;
    for (const SizingBasis::Row& row : basis.rows) {
        GbpInputs in = row.inputs;
        in.members = members;
        PoolBasis& policyPool = r.poolBases[row.pool];
        std::optional<GbpFactor>& factor = policyPool.lastRowFactor;
        if (!row.shared) {
            (void)CalcGBPSize(in, nullptr, &factor);
            continue;
        }
        PoolResult& pool = r.pools[row.pool];
        pool.why.push_back(row.header);
        // The cell shows the last row's size; every row's size enters the sums.
        bool rowHeld = false;
        pool.gbpSize = CalcGBPSize(in, &pool.why, &factor, &rowHeld);
        lastRowHeld[row.pool] = rowHeld;
        totalHeld = totalHeld || rowHeld;
        policyPool.hpCounted =
            policyPool.hpCounted || (factor && factor->withHiperpool && in.hpPages > 0);
        pool.gbpPagesAllRows = AddHeld(pool.gbpPagesAllRows, pool.gbpSize, totalHeld);
        rowSizes[row.pool] +=
            (rowCounts[row.pool]++ == 0 ? "" : " + ") + std::to_string(pool.gbpSize);
    }
    for (size_t p = 0; p < r.pools.size(); ++p) {
        r.gbpTotalPages = AddHeld(r.gbpTotalPages, r.pools[p].gbpPagesAllRows, totalHeld);
        r.pools[p].why.push_back(PoolCellsStep(r.pools[p], rowSizes[p], rowCounts[p]));
        if (lastRowHeld[p]) {
            r.heldAtLimit.push_back({HeldFigure::kGbpSize, TypedNumber::kMembers, r.pools[p].pool});
        }
    }
    if (totalHeld) {
        r.heldAtLimit.push_back({HeldFigure::kGbpTotal, TypedNumber::kMembers, {}});
    }

    Tell(observer, SizingStep::kTotalMemory);
    TraceGbpPages(r, rowSizes);
    const int64_t gbpMb = GbpMemoryMb(r.gbpTotalPages, &r.whyTotalMemory);
    bool memoryHeld = false;
    r.totalMemoryMb =
        AddHeld(AddHeld(AddHeld(r.scaSizeMb, gbpMb, memoryHeld), r.irlmEcsaSizeMb, memoryHeld),
                r.lockStructureSizeMb, memoryHeld);
    if (memoryHeld) {
        // The larger of the two parts that come from typed numbers tipped the sum over.
        const bool ecsaTipped =
            std::abs(static_cast<double>(r.irlmEcsaSizeMb)) >= std::abs(static_cast<double>(gbpMb));
        r.heldAtLimit.push_back({HeldFigure::kTotalMemory,
                                 ecsaTipped ? TypedNumber::kEcsa : TypedNumber::kMembers,
                                 {}});
    }
    r.whyTotalMemory.push_back(
        "total = SCA " + std::to_string(r.scaSizeMb) + " + GBP memory " + std::to_string(gbpMb) +
        " + IRLM ECSA " + std::to_string(r.irlmEcsaSizeMb) + " + lock structure " +
        std::to_string(r.lockStructureSizeMb) + " = " + std::to_string(r.totalMemoryMb) + " Mb");

    r.lblInfo = {ValueText(r.collectionTime), ValueText(r.poolsShared), ValueText(r.sharedDb2),
                 ValueText(r.totalSystemObjects)};
    r.lblRecommendation = {
        MbText(r.scaSizeMb), MbText(r.lockStructureSizeMb),
        r.directoryDataRatio ? ValueText(*r.directoryDataRatio) : ValueText("n/a"),
        MbText(r.irlmEcsaSizeMb), MbText(r.totalMemoryMb)};
    return r;
}

SizingResult RunSizing(const CoreTables& tables, std::string_view membersText,
                       std::string_view ecsaText, SizingObserver* observer) {
    Tell(observer, SizingStep::kScaSize);
    return SizeForMembers(PrepareSizing(tables), membersText, ecsaText, observer);
}

}  // namespace core

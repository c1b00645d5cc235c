#include "sizing.h"

#include <algorithm>

#include "numbers.h"
#include "pool_rows.h"
#include "record_layouts.h"
#include "sizing_calcs.h"
#include "tables.h"
#include "text.h"

namespace core {
namespace {

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

PoolResult SizePool(const CoreTables& tables, const PoolRowIndex& rows, const PoolRowTally& tally,
                    std::string_view poolName, double members, int64_t& gbpTotalPages) {
    PoolResult result;
    result.pool = std::string(poolName);
    int64_t cached = 0;
    int64_t hpPages = 0;
    int64_t gbpSum = 0;
    for (const size_t index : rows.Rows(poolName)) {
        const PoolRow& row = tables.lvControl[index];
        result.shared += row.ObjectCount();
        const int64_t rowCached = tally.cachedObjects[index];
        cached += rowCached;
        const int64_t statisticLine = PoolStatisticLine(row);
        const auto read = [&](PoolStatistic statistic) {
            return int64_t{ReadPoolStatistic(tables, statistic, poolName, statisticLine)};
        };
        result.vpSize += read(PoolStatistic::kVpSize);
        hpPages += read(PoolStatistic::kHpSize);
        GbpInputs in;
        in.tableSpaces = tally.tableSpaces[index];
        in.cachedObjects = rowCached;
        in.vpPages = result.vpSize;
        in.hpPages = hpPages;
        in.ratioNumerator = read(PoolStatistic::kRatioNumerator);
        in.ratioDenominator = read(PoolStatistic::kRatioDenominator);
        in.cacheAll = row.CacheAll;
        in.members = members;
        // The cell shows the last row's size; every row's size enters the sums.
        result.gbpSize = CalcGBPSize(in);
        gbpSum = SaturatingAdd(gbpSum, result.gbpSize);
    }
    result.cacheAll = cached;
    result.hpSize = result.shared == cached ? 0 : hpPages;
    gbpTotalPages = SaturatingAdd(gbpTotalPages, gbpSum);
    return result;
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

SizingResult RunSizing(const CoreTables& tables, std::string_view membersText,
                       std::string_view ecsaText, SizingObserver* observer) {
    SizingResult r;
    r.totalSystemObjects = TotalSystemObjects(tables);
    if (!tables.lstData.empty()) {
        r.collectionTime = std::string(
            ExtractField(tables.lstData[0].text, LeadLayout, lead_field::kCollectionTime));
    }
    r.poolsShared = static_cast<int64_t>(tables.lstSharedPools.size());
    r.sharedDb2 = std::string(Trim(membersText));

    Tell(observer, SizingStep::kScaSize);
    // One pass over the lines and one index of the rows serve every calculation below.
    const PoolRowTally tally = TallyPoolRows(tables);
    const PoolRowIndex rows(tables);
    r.scaSizeMb = CalcSCASize(tables, rows, tally);
    Tell(observer, SizingStep::kLockStructure);
    r.lockStructureSizeMb = CalcLockStructureSize(membersText, ecsaText);
    Tell(observer, SizingStep::kDirectoryRatio);
    r.directoryDataRatio = CalcDirectoryRatio(tally.ratio);
    Tell(observer, SizingStep::kEcsaSize);
    r.irlmEcsaSizeMb = CalcIrlmEcsaSize(ecsaText);

    Tell(observer, SizingStep::kGbpSizes);
    const double members = LenientNumber(membersText);
    r.pools.reserve(tables.lstSharedPools.size());
    for (const std::string& entry : tables.lstSharedPools) {
        r.pools.push_back(SizePool(tables, rows, tally, Trim(entry), members, r.gbpTotalPages));
    }

    Tell(observer, SizingStep::kTotalMemory);
    r.totalMemoryMb = SaturatingAdd(
        SaturatingAdd(SaturatingAdd(r.scaSizeMb, GbpMemoryMb(r.gbpTotalPages)), r.irlmEcsaSizeMb),
        r.lockStructureSizeMb);

    r.lblInfo = {ValueText(r.collectionTime), ValueText(r.poolsShared), ValueText(r.sharedDb2),
                 ValueText(r.totalSystemObjects)};
    r.lblRecommendation = {
        MbText(r.scaSizeMb), MbText(r.lockStructureSizeMb),
        r.directoryDataRatio ? ValueText(*r.directoryDataRatio) : ValueText("n/a"),
        MbText(r.irlmEcsaSizeMb), MbText(r.totalMemoryMb)};
    return r;
}

}  // namespace core

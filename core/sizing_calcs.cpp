#include "sizing_calcs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

#include "numbers.h"
#include "pool_rows.h"
#include "record_layouts.h"
#include "tables.h"
#include "text.h"

namespace core {
namespace {

constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinInt64 = std::numeric_limits<int64_t>::min();

// Nearest integer, half to even, held at the 64-bit limits; NaN gives 0.
int64_t SaturatingRound(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (const auto rounded = RoundToInt64(value)) {
        return *rounded;
    }
    return value > 0 ? kMaxInt64 : kMinInt64;
}

// Most object statistics are plain digits; reading them without the general number parser
// keeps the ratio pass over a large line store cheap. Anything else takes the general path.
std::optional<int64_t> ReadPlainInteger(std::string_view field) {
    size_t i = 0;
    while (i < field.size() && field[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    const size_t firstDigit = i;
    int64_t value = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
        if (i - firstDigit >= 18) {
            return std::nullopt;
        }
        value = value * 10 + (field[i] - '0');
        ++i;
    }
    if (i == firstDigit) {
        return std::nullopt;
    }
    while (i < field.size() && field[i] == ' ') {
        ++i;
    }
    if (i != field.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// Lines ahead whose columns the one pass asks for: on a million-line store 16 halved the run
// against 8 and did better than 4 or 32. The columns: kind and name, the end of A (often on the
// next cache line), B.
constexpr size_t kPrefetchAhead = 16;
constexpr size_t kKindOffset = BPDLayout[bpd_field::kObjectKind - 1].start - 1;
constexpr size_t kStatisticAOffset = BPDLayout[bpd_field::kStatisticA - 1].start - 1;
constexpr size_t kStatisticBOffset = BPDLayout[bpd_field::kStatisticB - 1].start - 1;
constexpr size_t kStatisticLength = BPDLayout[bpd_field::kStatisticB - 1].length;

}  // namespace

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return a > 0 ? kMaxInt64 : kMinInt64;
    }
    return sum;
}

int64_t ScaSizeForTableSpaces(int64_t tableSpaces) {
    if (tableSpaces < 450) {
        return 8;
    }
    if (tableSpaces < 1800) {
        return 16;
    }
    if (tableSpaces < 3800) {
        return 32;
    }
    if (tableSpaces < 5800) {
        return 48;
    }
    return 64;
}

int64_t CalcLockStructureSize(std::string_view membersText, std::string_view ecsaText) {
    const double members = std::nearbyint(LenientNumber(membersText));
    const double ecsa = std::nearbyint(LenientNumber(ecsaText));
    double x = 0.0;
    if (members > 0 && ecsa > 0) {
        const double half = members * ecsa / 2.0 * 1.1;
        // Anything from 65 up ends at the top size; stopping here also keeps the single-precision
        // step below inside float's range.
        if (half >= 65.0) {
            x = 64.0;
        } else {
            // The size was always worked out through a single-precision value; keep that step
            // so that ties round as they always did.
            x = std::nearbyint(static_cast<double>(static_cast<float>(half)));
        }
    }
    x = std::clamp(x, 8.0, 64.0);
    const auto wanted = static_cast<int64_t>(x);
    // A value that does not exceed the tolerance of the power of two below it is served by that
    // lower power: 10 by 8, 19 by 16, 36 by 32.
    constexpr std::array<int64_t, 9> kTolerance = {0, 0, 0, 10, 19, 36, 0, 0, 0};
    int k = 1;
    while ((int64_t{1} << k) < wanted) {
        ++k;
    }
    int s = k - 1;
    if (wanted > kTolerance[static_cast<size_t>(k - 1)]) {
        s = k;
    }
    return int64_t{1} << s;
}

int64_t ReadObjectStatistic(std::string_view field) {
    std::optional<int64_t> value = ReadPlainInteger(field);
    if (!value) {
        if (const auto number = StrictNumber(field)) {
            value = RoundToInt64(*number);
        }
    }
    if (!value || *value < std::numeric_limits<int32_t>::min() ||
        *value > std::numeric_limits<int32_t>::max()) {
        return 0;
    }
    return *value;
}

namespace {

// The tally of the object lines whose indices lie in [first, last), for every row.
PoolRowTally TallyLines(const CoreTables& tables, size_t first, size_t last) {
    PoolRowTally tally;
    tally.tableSpaces.assign(tables.lvControl.size(), 0);
    tally.cachedObjects.assign(tables.lvControl.size(), 0);
    DirectoryRatioSums& sums = tally.ratio;
    for (size_t r = 0; r < tables.lvControl.size(); ++r) {
        const ObjectLineSpan span = ObjectLines(tables, tables.lvControl[r]);
        const size_t begin = std::max(span.begin, first);
        const size_t end = std::min(span.end, last);
        for (size_t k = begin; k < end; ++k) {
            // The lines lie far apart in memory and only a few of their columns are read: ask
            // for those of a line a few steps ahead.
            if (k + kPrefetchAhead < end) {
                const char* ahead = tables.lstData[k + kPrefetchAhead].text.data();
                __builtin_prefetch(ahead + kKindOffset);
                __builtin_prefetch(ahead + kStatisticAOffset + kStatisticLength - 1);
                __builtin_prefetch(ahead + kStatisticBOffset);
            }
            const DataLine& line = tables.lstData[k];
            const bool cached = line.ItemData != 0;
            if (cached) {
                ++tally.cachedObjects[r];
            }
            if (!IsQualifyingTableSpace(line.text)) {
                continue;
            }
            ++tally.tableSpaces[r];
            const int64_t a =
                ReadObjectStatistic(ExtractField(line.text, BPDLayout, bpd_field::kStatisticA));
            const int64_t b =
                ReadObjectStatistic(ExtractField(line.text, BPDLayout, bpd_field::kStatisticB));
            sums.sumA += a;
            sums.sumB += b;
            if (cached) {
                ++sums.cachedTableSpaces;
                sums.cachedAdjustment += a - b;
            }
        }
    }
    return tally;
}

}  // namespace

PoolRowTally TallyPoolRows(const CoreTables& tables, size_t twoThreadsFrom) {
    const size_t lines = tables.lstData.size();
    if (lines < twoThreadsFrom || lines < 2) {
        return TallyLines(tables, 0, lines);
    }
    const size_t middle = lines / 2;
    std::future<PoolRowTally> upper;
    try {
        upper = std::async(std::launch::async, [&] { return TallyLines(tables, middle, lines); });
    } catch (const std::system_error&) {
        return TallyLines(tables, 0, lines);  // no thread to be had: one pass on this one
    }
    PoolRowTally tally = TallyLines(tables, 0, middle);
    const PoolRowTally other = upper.get();
    for (size_t r = 0; r < tally.tableSpaces.size(); ++r) {
        tally.tableSpaces[r] += other.tableSpaces[r];
        tally.cachedObjects[r] += other.cachedObjects[r];
    }
    tally.ratio.sumA += other.ratio.sumA;
    tally.ratio.sumB += other.ratio.sumB;
    tally.ratio.cachedTableSpaces += other.ratio.cachedTableSpaces;
    tally.ratio.cachedAdjustment += other.ratio.cachedAdjustment;
    return tally;
}

int64_t CountSharedTableSpaces(const CoreTables& tables, const PoolRowIndex& rows,
                               const PoolRowTally& tally) {
    int64_t count = 0;
    for (const std::string& entry : tables.lstSharedPools) {
        for (const size_t row : rows.Rows(Trim(entry))) {
            count += tally.tableSpaces[row];
        }
    }
    return count;
}

int64_t CalcSCASize(const CoreTables& tables, const PoolRowIndex& rows, const PoolRowTally& tally) {
    return ScaSizeForTableSpaces(CountSharedTableSpaces(tables, rows, tally));
}

std::optional<int64_t> CalcDirectoryRatio(const DirectoryRatioSums& sums) {
    const int64_t denominator = sums.Denominator();
    if (denominator == 0) {
        return std::nullopt;
    }
    const double q = static_cast<double>(sums.sumA) / static_cast<double>(denominator) / 20.0 + 0.5;
    int64_t r = SaturatingRound(q);
    if (r < 1) {
        r = 1;
    }
    if (sums.cachedTableSpaces < 5 && r <= 2) {
        r = 3;
    }
    return r;
}

int64_t CalcIrlmEcsaSize(std::string_view ecsaText) {
    return SaturatingRound(LenientNumber(ecsaText) + 2.0);
}

int64_t CalcGBPSize(const GbpInputs& in) {
    int64_t g = 0;
    if (in.cachedObjects > 0 && in.tableSpaces > 0) {
        const int64_t share = SaturatingRound(static_cast<double>(in.cachedObjects) /
                                              static_cast<double>(in.tableSpaces) * 100.0);
        const double f = share < 40 ? 0.5 : (share < 75 ? 0.75 : 1.0);
        g = SaturatingRound(static_cast<double>(in.vpPages) * in.members * f);
    } else if (in.ratioNumerator >= 1 && in.ratioDenominator >= 1) {
        double f =
            static_cast<double>(in.ratioNumerator) / static_cast<double>(in.ratioDenominator);
        if (f < 0.05) {
            f = 0.05;
        }
        const int64_t pages = in.cacheAll ? in.vpPages : SaturatingAdd(in.vpPages, in.hpPages);
        g = SaturatingRound(static_cast<double>(pages) * in.members * f);
    }
    // Up to the next multiple of 1000 (towards +infinity, also for a negative size).
    const int64_t remainder = g % 1000;
    if (remainder > 0) {
        g = g > kMaxInt64 - 1000 ? g - remainder : g - remainder + 1000;
    } else if (remainder < 0) {
        g -= remainder;
    }
    return g;
}

int64_t GbpMemoryMb(int64_t gbpPages) {
    return SaturatingRound(static_cast<double>(gbpPages) * 4.0 / 1000.0);
}

}  // namespace core

#include "core/sizing_calcs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

#include "core/numbers.h"
#include "core/pool_rows.h"
#include "core/record_layouts.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinInt64 = std::numeric_limits<int64_t>::min();

// Nearest integer, half to even, held at the 64-bit limits; NaN gives 0. `*held`, when given,
// is set when the value was held, and left as it was otherwise.
int64_t SaturatingRound(double value, bool* held = nullptr) {
    if (std::isnan(value)) {
        return 0;
    }
    if (const auto rounded = RoundToInt64(value)) {
        return *rounded;
    }
    if (held != nullptr) {
        *held = true;
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

}  // namespace

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return a > 0 ? kMaxInt64 : kMinInt64;
    }
    return sum;
}

int64_t ScaSizeForTableSpaces(int64_t tableSpaces, Trace* why) {
    struct Band {
        int64_t below;
        int64_t mb;
        const char* text;
    };
    static constexpr Band kBands[] = {{450, 8, "below 450"},
                                      {1800, 16, "450 to 1799"},
                                      {3800, 32, "1800 to 3799"},
                                      {5800, 48, "3800 to 5799"},
                                      {kMaxInt64, 64, "5800 and above"}};
    for (const Band& band : kBands) {
        if (tableSpaces < band.below || band.below == kMaxInt64) {
            if (why != nullptr) {
                why->push_back(std::to_string(tableSpaces) + " falls in the band " + band.text +
                               " table spaces = " + std::to_string(band.mb) + " Mb");
            }
            return band.mb;
        }
    }
    return 64;
}

double LockStructureDemandMb(std::string_view membersText, std::string_view ecsaText) {
    const double members = std::nearbyint(LenientNumber(membersText));
    const double ecsa = std::nearbyint(LenientNumber(ecsaText));
    return members > 0 && ecsa > 0 ? members * ecsa / 2.0 * 1.1 : 0.0;
}

int64_t CalcLockStructureSize(std::string_view membersText, std::string_view ecsaText, Trace* why) {
    const double members = std::nearbyint(LenientNumber(membersText));
    const double ecsa = std::nearbyint(LenientNumber(ecsaText));
    if (why != nullptr) {
        why->push_back("members \"" + Latin1ToUtf8(Trim(membersText)) + "\" read as " +
                       FigureText(members) + ", ECSA \"" + Latin1ToUtf8(Trim(ecsaText)) +
                       "\" read as " + FigureText(ecsa) + " Mb");
    }
    double x = 0.0;
    if (members > 0 && ecsa > 0) {
        const double half = LockStructureDemandMb(membersText, ecsaText);
        // Anything from 65 up ends at the top size; stopping here also keeps the single-precision
        // step below inside float's range.
        if (half >= 65.0) {
            x = 64.0;
        } else {
            // The size was always worked out through a single-precision value; keep that step
            // so that ties round as they always did.
            x = std::nearbyint(static_cast<double>(static_cast<float>(half)));
        }
        AddStep(why,
                "members x ECSA / 2 x 1.1 = " + FigureText(members) + " x " + FigureText(ecsa) +
                    " / 2 x 1.1 = " + FigureText(half) +
                    (half >= 65.0 ? ", 65 or more: taken as 64" : ", rounded to " + FigureText(x)));
    } else {
        AddStep(why, "members or ECSA is 0 or below: nothing asked for");
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
    const int64_t mb = int64_t{1} << s;
    AddStep(why,
            "fitted to a power of two from 8 to 64 Mb (up to 10 served by 8, up to 19 by 16, "
            "up to 36 by 32) = " +
                std::to_string(mb) + " Mb");
    return mb;
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
            const DataLine& line = tables.lstData[k];
            const bool cached = line.ItemData != 0;
            if (cached) {
                ++tally.cachedObjects[r];
            }
            if (!IsQualifyingTableSpace(line.Head())) {
                continue;
            }
            ++tally.tableSpaces[r];
            ++sums.tableSpaces;
            const int64_t a = ReadObjectStatistic(line.Field(BPDLayout, bpd_field::kStatisticA));
            const int64_t b = ReadObjectStatistic(line.Field(BPDLayout, bpd_field::kStatisticB));
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
    tally.ratio.tableSpaces += other.ratio.tableSpaces;
    return tally;
}

namespace {

// The table spaces of the shared pools' rows; with a trace, each pool's count as a term of one
// sum (the first few pools named, the rest summed as one term).
int64_t SharedTableSpaces(const CoreTables& tables, const PoolRowIndex& rows,
                          const PoolRowTally& tally, Trace* why) {
    constexpr size_t kPoolsNamed = 12;
    int64_t count = 0;
    int64_t unnamed = 0;
    std::string terms;
    for (size_t p = 0; p < tables.lstSharedPools.size(); ++p) {
        const std::string_view pool = Trim(tables.lstSharedPools[p]);
        int64_t poolCount = 0;
        for (const size_t row : rows.Rows(pool)) {
            poolCount += tally.tableSpaces[row];
        }
        count += poolCount;
        if (why == nullptr) {
            continue;
        }
        if (p < kPoolsNamed) {
            terms += (p == 0 ? "" : " + ") + Latin1ToUtf8(pool) + " " + std::to_string(poolCount);
        } else {
            unnamed += poolCount;
        }
    }
    if (why != nullptr) {
        const size_t shared = tables.lstSharedPools.size();
        if (shared > kPoolsNamed) {
            terms += " + " + std::to_string(shared - kPoolsNamed) + " more pools " +
                     std::to_string(unnamed);
        }
        why->push_back("qualifying table spaces (kind T, not DSNDB07) of every row of the " +
                       std::to_string(shared) + " shared pools" +
                       (shared == 0 ? "" : ": " + terms) + " = " + std::to_string(count));
    }
    return count;
}

}  // namespace

int64_t CountSharedTableSpaces(const CoreTables& tables, const PoolRowIndex& rows,
                               const PoolRowTally& tally) {
    return SharedTableSpaces(tables, rows, tally, nullptr);
}

int64_t CalcSCASize(const CoreTables& tables, const PoolRowIndex& rows, const PoolRowTally& tally,
                    Trace* why) {
    return ScaSizeForTableSpaces(SharedTableSpaces(tables, rows, tally, why), why);
}

std::optional<int64_t> CalcDirectoryRatio(const DirectoryRatioSums& sums, Trace* why) {
    const int64_t denominator = sums.Denominator();
    if (why != nullptr) {
        why->push_back("over the " + std::to_string(sums.tableSpaces) +
                       " qualifying table spaces of every pool row, shared or not: sum of A "
                       "(columns 57-66) = " +
                       std::to_string(sums.sumA) +
                       ", sum of B (columns 339-348) = " + std::to_string(sums.sumB));
        why->push_back("denominator = sum of B + (A - B) of the " +
                       std::to_string(sums.cachedTableSpaces) +
                       " cached table spaces = " + std::to_string(sums.sumB) + " + " +
                       std::to_string(sums.cachedAdjustment) + " = " + std::to_string(denominator));
    }
    if (denominator == 0) {
        AddStep(why, "the denominator is 0: the ratio cannot be computed (n/a)");
        return std::nullopt;
    }
    const double q = static_cast<double>(sums.sumA) / static_cast<double>(denominator) / 20.0 + 0.5;
    int64_t r = SaturatingRound(q);
    if (why != nullptr) {
        why->push_back("q = " + std::to_string(sums.sumA) + " / " + std::to_string(denominator) +
                       " / 20 + 0.5 = " + FigureText(q) +
                       ", rounded half to even = " + std::to_string(r));
    }
    if (r < 1) {
        r = 1;
        AddStep(why, "below 1: raised to 1");
    }
    if (sums.cachedTableSpaces < 5 && r <= 2) {
        if (why != nullptr) {
            why->push_back("at most 2 with fewer than 5 cached table spaces (" +
                           std::to_string(sums.cachedTableSpaces) + "): raised to 3");
        }
        r = 3;
    }
    return r;
}

int64_t CalcIrlmEcsaSize(std::string_view ecsaText, Trace* why, bool* heldAtLimit) {
    const double ecsa = LenientNumber(ecsaText);
    const int64_t mb = SaturatingRound(ecsa + 2.0, heldAtLimit);
    if (why != nullptr) {
        why->push_back("ECSA \"" + Latin1ToUtf8(Trim(ecsaText)) + "\" read as " + FigureText(ecsa) +
                       " Mb");
        const std::string sum = FigureText(ecsa) + " + 2 = " + FigureText(ecsa + 2.0);
        why->push_back(static_cast<double>(mb) == ecsa + 2.0
                           ? sum + " Mb"
                           : sum + ", rounded half to even = " + std::to_string(mb) + " Mb");
    }
    return mb;
}

int64_t CalcGBPSize(const GbpInputs& in, Trace* why, std::optional<GbpFactor>* factor,
                    bool* heldAtLimit) {
    int64_t g = 0;
    std::optional<GbpFactor> used;
    const std::string members = FigureText(in.members);
    if (in.cachedObjects > 0 && in.tableSpaces > 0) {
        const int64_t share = SaturatingRound(static_cast<double>(in.cachedObjects) /
                                              static_cast<double>(in.tableSpaces) * 100.0);
        const double f = share < 40 ? 0.5 : (share < 75 ? 0.75 : 1.0);
        used = share < 40 ? GbpFactor{1, 2} : (share < 75 ? GbpFactor{3, 4} : GbpFactor{1, 1});
        g = SaturatingRound(static_cast<double>(in.vpPages) * in.members * f, heldAtLimit);
        if (why != nullptr) {
            why->push_back("cached share = " + std::to_string(in.cachedObjects) + " cached / " +
                           std::to_string(in.tableSpaces) +
                           " table spaces x 100 = " + std::to_string(share) + " %: factor " +
                           FigureText(f) + " (below 40: 0.5, below 75: 0.75, else 1.0)");
            why->push_back("VP " + std::to_string(in.vpPages) + " x members " + members + " x " +
                           FigureText(f) + " = " + std::to_string(g));
        }
    } else if (in.ratioNumerator >= 1 && in.ratioDenominator >= 1) {
        double f =
            static_cast<double>(in.ratioNumerator) / static_cast<double>(in.ratioDenominator);
        const std::string ratio = std::to_string(in.ratioNumerator) + " / " +
                                  std::to_string(in.ratioDenominator) + " = " + FigureText(f);
        const bool raised = f < 0.05;
        if (raised) {
            f = 0.05;
        }
        used = raised ? GbpFactor{1, 20, !in.cacheAll}
                      : GbpFactor{in.ratioNumerator, in.ratioDenominator, !in.cacheAll};
        const int64_t pages = in.cacheAll ? in.vpPages : SaturatingAdd(in.vpPages, in.hpPages);
        g = SaturatingRound(static_cast<double>(pages) * in.members * f, heldAtLimit);
        if (why != nullptr) {
            why->push_back(std::string(in.tableSpaces > 0 ? "nothing of the row is cached"
                                                          : "no qualifying table space") +
                           ": activity ratio " + ratio + (raised ? ", raised to 0.05" : ""));
            why->push_back((in.cacheAll ? "Cache All: VP " + std::to_string(in.vpPages)
                                        : "(VP " + std::to_string(in.vpPages) + " + HP " +
                                              std::to_string(in.hpPages) + ")") +
                           " x members " + members + " x " + FigureText(f) + " = " +
                           std::to_string(g));
        }
    } else if (why != nullptr) {
        why->push_back("nothing cached and activity " + std::to_string(in.ratioNumerator) + " / " +
                       std::to_string(in.ratioDenominator) + " has a term below 1: 0 pages");
    }
    if (factor != nullptr) {
        *factor = used;
    }
    // Up to the next multiple of 1000 (towards +infinity, also for a negative size).
    const int64_t before = g;
    const int64_t remainder = g % 1000;
    if (remainder > 0) {
        g = g > kMaxInt64 - 1000 ? g - remainder : g - remainder + 1000;
    } else if (remainder < 0) {
        g -= remainder;
    }
    if (why != nullptr && (g != 0 || before != 0)) {
        why->push_back(g == before
                           ? "a multiple of 1000 already: " + std::to_string(g) + " pages"
                           : "rounded up to a multiple of 1000 = " + std::to_string(g) + " pages");
    }
    return g;
}

int64_t GbpMemoryMb(int64_t gbpPages, Trace* why) {
    const double exact = static_cast<double>(gbpPages) * 4.0 / 1000.0;
    const int64_t mb = SaturatingRound(exact);
    if (why != nullptr) {
        why->push_back("GBP memory = " + std::to_string(gbpPages) +
                       " pages x 4 / 1000 (every page counted as 4 KB) = " + FigureText(exact) +
                       (static_cast<double>(mb) == exact
                            ? " Mb"
                            : ", rounded half to even = " + std::to_string(mb) + " Mb"));
    }
    return mb;
}

}  // namespace core

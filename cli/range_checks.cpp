#include "cli/range_checks.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cli/encodings.h"
#include "core/numbers.h"
#include "core/sizing.h"
#include "core/sizing_calcs.h"
#include "core/typed_numbers.h"

namespace cli {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// Shortest text that reads back as the same double: "2.5", "33", "1e+20".
std::string NumberText(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

double ReadTyped(const QString& text) { return core::LenientNumber(ToData(text)); }

std::string Quoted(const char* option, const QString& text) {
    return std::string(option) + " \"" + EncodeArgument(text) + '"';
}

QString Refusal(const char* option, const QString& text, const QString& what) {
    return QStringLiteral("%1 \"%2\": %3").arg(option, TerminalText(text), what);
}

// Where the core held a figure at the 64-bit limit. A GBP size is rounded up to a multiple of
// 1000 after that, which moves it up to 999 inward; no exact GBP size lies that close.
bool AtLimit(int64_t figure) { return figure == kMax || figure == kMin; }
bool GbpAtLimit(int64_t pages) { return pages > kMax - 1000 || pages < kMin + 1000; }

}  // namespace

std::vector<core::Warning> TypedNumberWarnings(const TypedNumbers& typed) {
    std::vector<core::Warning> warnings;
    if (!core::IsValidMembersText(ToData(typed.members))) {
        const double members = ReadTyped(typed.members);
        std::string message = Quoted("--members", typed.members) + ": " +
                              std::string(core::kMembersRangeText) + ". The sizing read " +
                              NumberText(members) + '.';
        const double whole = std::nearbyint(members);
        if (whole != members && std::isfinite(members)) {
            message += " The lock structure size uses the whole number " + NumberText(whole) +
                       " (a half goes to the even neighbour); the GBP sizes use " +
                       NumberText(members) + '.';
        }
        warnings.push_back({"members_out_of_range", message});
    }
    if (!core::IsValidEcsaText(ToData(typed.ecsa))) {
        warnings.push_back({"ecsa_out_of_range", Quoted("--ecsa", typed.ecsa) + ": " +
                                                     std::string(core::kEcsaRangeText) +
                                                     ". The sizing read " +
                                                     NumberText(ReadTyped(typed.ecsa)) + '.'});
    }
    return warnings;
}

std::optional<QString> TypedNumberOverflow(const TypedNumbers& typed) {
    const QString beyond = QStringLiteral("the number lies beyond the 64-bit range");
    if (!core::RoundToInt64(ReadTyped(typed.members))) {
        return Refusal("--members", typed.members, beyond);
    }
    if (!core::RoundToInt64(ReadTyped(typed.ecsa))) {
        return Refusal("--ecsa", typed.ecsa, beyond);
    }
    return std::nullopt;
}

std::optional<QString> OverflowedFigure(const core::SizingResult& sizing,
                                        const TypedNumbers& typed) {
    const auto passed = [](const QString& figure) {
        return QStringLiteral("the %1 computed from it passes the 64-bit range").arg(figure);
    };
    if (AtLimit(sizing.irlmEcsaSizeMb)) {
        return Refusal("--ecsa", typed.ecsa, passed("IRLM ECSA size"));
    }
    // The typed members are the only typed number in a GBP size.
    for (const core::PoolResult& pool : sizing.pools) {
        if (GbpAtLimit(pool.gbpSize)) {
            return Refusal("--members", typed.members,
                           passed("GBP size of pool " + TerminalData(pool.pool)));
        }
    }
    if (GbpAtLimit(sizing.gbpTotalPages)) {
        return Refusal("--members", typed.members, passed("total of the GBP sizes"));
    }
    if (AtLimit(sizing.totalMemoryMb)) {
        // The larger of the two parts that come from typed numbers tipped the sum over.
        const bool ecsaTipped =
            std::abs(static_cast<double>(sizing.irlmEcsaSizeMb)) >=
            std::abs(static_cast<double>(core::GbpMemoryMb(sizing.gbpTotalPages)));
        return ecsaTipped ? Refusal("--ecsa", typed.ecsa, passed("total memory required"))
                          : Refusal("--members", typed.members, passed("total memory required"));
    }
    return std::nullopt;
}

}  // namespace cli

#include "cli/range_checks.h"

#include <charconv>
#include <cmath>

#include "cli/encodings.h"
#include "core/numbers.h"
#include "core/typed_numbers.h"

namespace cli {
namespace {

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

QString HeldFigureRefusal(const core::LimitMark& mark, const TypedNumbers& typed) {
    QString figure;
    switch (mark.figure) {
        case core::HeldFigure::kIrlmEcsaSize:
            figure = QStringLiteral("IRLM ECSA size");
            break;
        case core::HeldFigure::kGbpSize:
            figure = "GBP size of pool " + TerminalData(mark.pool);
            break;
        case core::HeldFigure::kGbpTotal:
            figure = QStringLiteral("total of the GBP sizes");
            break;
        case core::HeldFigure::kTotalMemory:
            figure = QStringLiteral("total memory required");
            break;
    }
    const bool ecsa = mark.driver == core::TypedNumber::kEcsa;
    return Refusal(ecsa ? "--ecsa" : "--members", ecsa ? typed.ecsa : typed.members,
                   QStringLiteral("the %1 computed from it passes the 64-bit range").arg(figure));
}

}  // namespace cli

#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace core {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the number at the start of `s` (no blanks inside): sign, digits, point, digits,
// exponent. 0 when no digit is part of it.
size_t NumberPrefixLength(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

// `number` is a complete number as NumberPrefixLength accepts it.
double ParseNumber(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    std::string digits(number);
    if (!digits.empty() && digits.front() == '.') {
        digits.insert(digits.begin(), '0');
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone; tell overflow from underflow by the exponent sign.
        const auto e = digits.find_first_of("eE");
        const bool tiny = e != std::string::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

}  // namespace

double LenientNumber(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (!IsBlank(c)) {
            compact.push_back(c);
        }
    }
    const size_t n = NumberPrefixLength(compact);
    if (n == 0) {
        return 0.0;
    }
    return ParseNumber(std::string_view(compact).substr(0, n));
}

std::optional<double> StrictNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    const size_t n = NumberPrefixLength(text);
    if (n == 0 || n != text.size()) {
        return std::nullopt;
    }
    return ParseNumber(text);
}

std::optional<int64_t> RoundToInt64(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // The default floating environment rounds to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    // 2^63 is exactly representable; every double below it fits.
    if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(rounded);
}

std::optional<int32_t> RoundToInt32(double value) {
    const auto wide = RoundToInt64(value);
    if (!wide || *wide < std::numeric_limits<int32_t>::min() ||
        *wide > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*wide);
}

std::string FigureText(double value) {
    char text[64];
    if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::trunc(value)) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
        std::snprintf(text, sizeof text, "%.6g", value);
        return text;
    }
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string shown = text;
    while (shown.back() == '0') {
        shown.pop_back();
    }
    if (shown.back() == '.') {
        shown.pop_back();
    }
    if (shown == "0" || shown == "-0") {
        std::snprintf(text, sizeof text, "%.3g", value);
        shown = text;
    }
    return shown;
}

}  // namespace core

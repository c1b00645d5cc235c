// Number readings of typed texts and record fields, and the one rounding rule of the program:
// a floating value becomes an integer at the nearest integer, a half going to the even neighbour.
#ifndef CORE_NUMBERS_H_
#define CORE_NUMBERS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The value of the longest leading part of the text that reads as a number (optional sign,
// digits, optional decimal point and digits, optional exponent), blanks anywhere skipped;
// 0 when the text starts with anything else. Never fails; a value beyond double range gives
// +-infinity, which no integer conversion accepts.
double LenientNumber(std::string_view text);

// The whole text, blanks before and after allowed, as a number; nullopt when it is empty or
// anything but one number.
std::optional<double> StrictNumber(std::string_view text);

// Nearest integer, a half to the even neighbour (2.5 -> 2, 3.5 -> 4); nullopt when the value
// is not finite or lies outside the target type.
std::optional<int64_t> RoundToInt64(double value);
std::optional<int32_t> RoundToInt32(double value);

// A figure as a trace shows it: whole numbers in plain digits ("1200"), others with at most four
// decimals and no trailing zeros ("4.4", "0.3"), tiny ones with three significant digits.
std::string FigureText(double value);

}  // namespace core

#endif  // CORE_NUMBERS_H_

// The rules for the two numbers the user types on the pools page. The sizing reads any text
// leniently; these rules tell a text the program accepts from one it refuses (the desktop
// program) or warns about (the batch sizer). Blanks around a text are allowed.
#ifndef CORE_TYPED_NUMBERS_H_
#define CORE_TYPED_NUMBERS_H_

#include <string_view>

namespace core {

// "No Of Shared DB2": digits only, a value from 1 to 32 (the most members a data-sharing group
// can have).
bool IsValidMembersText(std::string_view text);
inline constexpr std::string_view kMembersRangeText = "Enter a whole number from 1 to 32";

// "ECSA Size for IRLM ": digits, optionally a point and one or two more digits, a value from 0
// to 9999 (Mb).
bool IsValidEcsaText(std::string_view text);
inline constexpr std::string_view kEcsaRangeText =
    "Enter a number from 0 to 9999, with at most two decimals";

}  // namespace core

#endif  // CORE_TYPED_NUMBERS_H_

// Texts of the messages the core reports to its callers. The desktop program shows them in
// message boxes; the batch sizer writes them to standard error.
#ifndef CORE_MESSAGES_H_
#define CORE_MESSAGES_H_

#include <string_view>

namespace core {

inline constexpr std::string_view kReadErrorText =
    "Error reading data file. Please contact Quellmont";
inline constexpr std::string_view kReadErrorTitle = "Loomstead";

inline constexpr std::string_view kHeaderWarningText = "Incorrect File Format, Use A Flat File";
inline constexpr std::string_view kHeaderWarningTitle = "Loomstead File IO";

inline constexpr std::string_view kRefusalTitle = "Warning - Select Shared Pools";

}  // namespace core

#endif  // CORE_MESSAGES_H_

// The five recommendations of a sizing run as one list, in the order the results page numbers
// them (SCA size, lock structure size, directory/data ratio, IRLM ECSA size, total memory), so
// that every output that shows them walks one list instead of spelling each out.
#ifndef CORE_RECOMMENDATIONS_H_
#define CORE_RECOMMENDATIONS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/trace.h"

namespace core {

struct SizingResult;

// What names a recommendation, whatever the figures.
struct RecommendationName {
    std::string_view key;           // the JSON and CSV key, e.g. "sca_size_mb"
    std::string_view caption;       // the results page's caption, e.g. "SCA Size"
    std::string_view shortCaption;  // for a narrow column, e.g. "Lock Structure"
    std::string_view unit;          // "Mb"; empty for the ratio, which is a plain number
};

inline constexpr size_t kRecommendationCount = 5;

// The names in results page order; index i is lblRecommendation(i).
inline constexpr std::array<RecommendationName, kRecommendationCount> kRecommendationNames = {{
    {"sca_size_mb", "SCA Size", "SCA Size", "Mb"},
    {"lock_structure_size_mb", "Lock Structure Size", "Lock Structure", "Mb"},
    {"directory_data_ratio", "Directory/Data Ratio", "Dir/Data Ratio", ""},
    {"irlm_ecsa_size_mb", "IRLM ECSA Size", "IRLM ECSA", "Mb"},
    {"total_memory_mb", "Total Memory Required", "Total Memory", "Mb"},
}};

// One recommendation of a run. `label` and `why` refer into the SizingResult it was taken from,
// which must outlive it.
struct Recommendation : RecommendationName {
    std::optional<int64_t> value;  // nullopt only for a ratio whose denominator is 0
    std::string text;              // the value in decimal digits, "n/a" when there is none
    const std::string& label;      // the value label: two blanks, the value, " Mb" with a unit
    const Trace& why;              // how the figure came about
};

// The five recommendations of `result`, in kRecommendationNames order.
std::array<Recommendation, kRecommendationCount> Recommendations(const SizingResult& result);

}  // namespace core

#endif  // CORE_RECOMMENDATIONS_H_

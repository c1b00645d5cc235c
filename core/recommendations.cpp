#include "core/recommendations.h"

#include "core/sizing.h"

namespace core {
namespace {

Recommendation Make(const SizingResult& r, size_t index, std::optional<int64_t> value,
                    const Trace& why) {
    return {kRecommendationNames[index], value, value ? std::to_string(*value) : "n/a",
            r.lblRecommendation[index], why};
}

}  // namespace

std::array<Recommendation, kRecommendationCount> Recommendations(const SizingResult& r) {
    return {Make(r, 0, r.scaSizeMb, r.whyScaSize),
            Make(r, 1, r.lockStructureSizeMb, r.whyLockStructureSize),
            Make(r, 2, r.directoryDataRatio, r.whyDirectoryDataRatio),
            Make(r, 3, r.irlmEcsaSizeMb, r.whyIrlmEcsaSize),
            Make(r, 4, r.totalMemoryMb, r.whyTotalMemory)};
}

}  // namespace core

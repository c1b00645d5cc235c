#include "core/sweep.h"

#include <algorithm>
#include <string>

namespace core {

std::vector<SweepPoint> SweepMembers(const CoreTables& tables, std::string_view ecsaText,
                                     const SweepOptions& options) {
    if (std::clamp<int64_t>(options.fromMembers, 1, kMaxSweepMembers) >
        std::clamp<int64_t>(options.toMembers, 1, kMaxSweepMembers)) {
        return {};
    }
    // The pass over the lines and the statistics do not depend on the members: read them once.
    return SweepMembers(PrepareSizing(tables), ecsaText, options);
}

std::vector<SweepPoint> SweepMembers(const SizingBasis& basis, std::string_view ecsaText,
                                     const SweepOptions& options) {
    const int64_t from = std::clamp<int64_t>(options.fromMembers, 1, kMaxSweepMembers);
    const int64_t to = std::clamp<int64_t>(options.toMembers, 1, kMaxSweepMembers);
    std::vector<SweepPoint> points;
    if (from > to) {
        return points;
    }
    points.reserve(static_cast<size_t>(to - from + 1));
    for (int64_t members = from; members <= to; ++members) {
        if (options.cancel != nullptr && *options.cancel) {
            break;
        }
        points.push_back({members, SizeForMembers(basis, std::to_string(members), ecsaText)});
    }
    return points;
}

}  // namespace core

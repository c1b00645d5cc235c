#include "sweep.h"

#include <string>

namespace core {

std::vector<SweepPoint> SweepMembers(const CoreTables& tables, std::string_view ecsaText,
                                     const SweepOptions& options) {
    std::vector<SweepPoint> points;
    for (int64_t members = options.fromMembers; members <= options.toMembers; ++members) {
        points.push_back({members, RunSizing(tables, std::to_string(members), ecsaText)});
    }
    return points;
}

}  // namespace core

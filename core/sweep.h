// What if the group grows: the same tables and choices sized for a range of member counts.
// Each point equals a plain sizing run with that member count; the tables are not changed.
#ifndef CORE_SWEEP_H_
#define CORE_SWEEP_H_

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/sizing.h"

namespace core {

class CoreTables;

// The most members a sweep sizes.
inline constexpr int64_t kMaxSweepMembers = 32;

struct SweepOptions {
    // The first and last member count sized, both included; 1 <= fromMembers <= toMembers <= 32.
    // Default: 1 to 8.
    int64_t fromMembers = 1;
    int64_t toMembers = 8;
    // Checked before each member count: once it is true the sweep stops and returns the points
    // sized so far, so that a front end can walk away from a long sweep. Must outlive the call.
    // Default: none.
    const std::atomic<bool>* cancel = nullptr;
};

struct SweepPoint {
    int64_t members = 0;
    SizingResult result;  // RunSizing(tables, std::to_string(members), ecsaText)
};

// One point per member count, in increasing order. Counts outside 1-32 are held at those limits;
// fromMembers above toMembers gives no point. The tables are read once for all points. A
// cancelled sweep returns the points before the cancel.
[[nodiscard]] std::vector<SweepPoint> SweepMembers(const CoreTables& tables,
                                                   std::string_view ecsaText,
                                                   const SweepOptions& options = {});
// The same from a prepared basis (PrepareSizing of the tables), which the call only reads.
[[nodiscard]] std::vector<SweepPoint> SweepMembers(const SizingBasis& basis,
                                                   std::string_view ecsaText,
                                                   const SweepOptions& options = {});

}  // namespace core

#endif  // CORE_SWEEP_H_

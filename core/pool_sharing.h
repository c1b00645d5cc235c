// The rule that shares a pool or refuses it, and the list moves of the shared-pools page:
// share one pool, share all, unshare.
#ifndef CORE_POOL_SHARING_H_
#define CORE_POOL_SHARING_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace core {

class CoreTables;

// A pool refused because in one file all its objects are DSNDB07 work-file objects.
struct ShareRefusal {
    std::string pool;     // trimmed name
    std::string file;     // entry of lstSelectedFiles of the refusing row
    std::string message;  // "Pool <pool> will not be shared because it has only DSNDB07 ..."
};

// Shares the pool at position `index` of lstPools (REQUIRES: a valid index): it moves to the end
// of lvSharedPools with its total object count. Returns the refusal when the pool stays
// available; nullopt when it moved, or when no pool row carries its name (then nothing moves).
[[nodiscard]] std::optional<ShareRefusal> SharePool(CoreTables& tables, size_t index);

// SharePool on every available pool in lstPools order; refused pools stay available. Returns
// the refusals in the order they happened.
[[nodiscard]] std::vector<ShareRefusal> ShareAllPools(CoreTables& tables);

// Moves the entry at position `sharedIndex` of lvSharedPools back to its alphabetical place in
// lstPools (unless the name is already there). An invalid index changes nothing. Cached flags
// stay as they are.
void UnsharePool(CoreTables& tables, size_t sharedIndex);

}  // namespace core

#endif  // CORE_POOL_SHARING_H_

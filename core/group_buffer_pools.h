// The group buffer pool that backs a shared buffer pool in a Db2 data-sharing group, and the page
// size of both: BP0-BP49 -> GBP0-GBP49 (4 KB), BP8K0-BP8K9 -> GBP8K0-GBP8K9 (8 KB),
// BP16K0-BP16K9 -> GBP16K0-GBP16K9 (16 KB), BP32K and BP32K1-BP32K9 -> GBP32K... (32 KB).
// The policy statements and the result warnings read the same table.
#ifndef CORE_GROUP_BUFFER_POOLS_H_
#define CORE_GROUP_BUFFER_POOLS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct GroupBufferPool {
    std::string name;        // the Db2 name, upper case: "GBP0", "GBP8K0", "GBP32K"
    int64_t pageSizeKb = 4;  // 4, 8, 16 or 32
};

// The group buffer pool of a buffer pool name, letter case ignored, blanks around the name
// ignored. nullopt for any name outside the table above (the data files allow any name).
std::optional<GroupBufferPool> GroupBufferPoolOf(std::string_view poolName);

}  // namespace core

#endif  // CORE_GROUP_BUFFER_POOLS_H_

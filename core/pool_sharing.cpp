#include "pool_sharing.h"

#include "tables.h"
#include "text.h"

namespace core {

std::optional<ShareRefusal> SharePool(CoreTables& tables, size_t index) {
    const std::string name(Trim(tables.lstPools[index]));
    const std::vector<size_t> rows = FindPoolRows(tables, name);
    if (rows.empty()) {
        return std::nullopt;
    }
    int64_t total = 0;
    for (const size_t r : rows) {
        const PoolRow& row = tables.lvControl[r];
        if (!row.HasObjectRange()) {
            continue;  // no object lines in that file: it neither refuses nor adds
        }
        if (row.DSNDB07s == row.ObjectCount()) {
            const auto fileNo = static_cast<size_t>(row.FileNo);
            std::string file =
                fileNo < tables.lstSelectedFiles.size() ? tables.lstSelectedFiles[fileNo] : "";
            std::string message =
                "Pool " + name +
                " will not be shared because it has only DSNDB07 Objects in the File: " + file;
            return ShareRefusal{name, std::move(file), std::move(message)};
        }
        total += row.ObjectCount();
    }
    tables.lvSharedPools.push_back({name, total});
    tables.lstPools.erase(tables.lstPools.begin() + static_cast<std::ptrdiff_t>(index));
    return std::nullopt;
}

std::vector<ShareRefusal> ShareAllPools(CoreTables& tables) {
    std::vector<ShareRefusal> refusals;
    size_t position = 0;
    while (position < tables.lstPools.size()) {
        const size_t available = tables.lstPools.size();
        if (auto refusal = SharePool(tables, position)) {
            refusals.push_back(std::move(*refusal));
        }
        // A pool that moved lets the next one up into its place; one that stayed is passed.
        if (tables.lstPools.size() == available) {
            ++position;
        }
    }
    return refusals;
}

void UnsharePool(CoreTables& tables, size_t sharedIndex) {
    if (sharedIndex >= tables.lvSharedPools.size()) {
        return;
    }
    std::string name(Trim(tables.lvSharedPools[sharedIndex].name));
    if (FindListEntry(tables.lstPools, name) < 0) {
        InsertSorted(tables.lstPools, std::move(name));
    }
    tables.lvSharedPools.erase(tables.lvSharedPools.begin() +
                               static_cast<std::ptrdiff_t>(sharedIndex));
}

}  // namespace core

#include "core/pool_sharing.h"

#include "core/tables.h"
#include "core/text.h"

namespace core {

namespace {

// What sharing `name`, whose pool rows are `rows`, comes to: a refusal, or the total object count
// of the entry it gets in lvSharedPools; nullopt for both when no row carries the name.
struct Verdict {
    std::optional<ShareRefusal> refusal;
    std::optional<int64_t> total;
};

Verdict Examine(const CoreTables& tables, const std::string& name,
                const std::vector<size_t>& rows) {
    if (rows.empty()) {
        return {};
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
            return {ShareRefusal{name, std::move(file), std::move(message)}, std::nullopt};
        }
        total += row.ObjectCount();
    }
    return {std::nullopt, total};
}

}  // namespace

std::optional<ShareRefusal> SharePool(CoreTables& tables, size_t index) {
    const std::string name(Trim(tables.lstPools[index]));
    Verdict verdict = Examine(tables, name, FindPoolRows(tables, name));
    if (verdict.total) {
        tables.lvSharedPools.push_back({name, *verdict.total});
        tables.lstPools.erase(tables.lstPools.begin() + static_cast<std::ptrdiff_t>(index));
    }
    return std::move(verdict.refusal);
}

std::vector<ShareRefusal> ShareAllPools(CoreTables& tables) {
    // Each available pool is examined once, in list order; the ones that stay keep their order.
    // One pass with an index instead of SharePool per position, which moves the rest of the list
    // and scans the pool table for every pool.
    const PoolRowIndex index(tables);
    std::vector<ShareRefusal> refusals;
    std::vector<std::string> staying;
    for (std::string& entry : tables.lstPools) {
        const std::string name(Trim(entry));
        Verdict verdict = Examine(tables, name, index.Rows(name));
        if (verdict.total) {
            tables.lvSharedPools.push_back({name, *verdict.total});
            continue;
        }
        if (verdict.refusal) {
            refusals.push_back(std::move(*verdict.refusal));
        }
        staying.push_back(std::move(entry));
    }
    tables.lstPools = std::move(staying);
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

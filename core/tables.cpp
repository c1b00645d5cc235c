#include "tables.h"

#include <algorithm>

#include "text.h"

namespace core {

int64_t PoolRow::ObjectCount() const {
    if (!HasObjectRange()) {
        return 0;
    }
    return int64_t{*EndObjectIndex} - int64_t{*StartObjectIndex} + 1;
}

void CoreTables::AppendLine(std::string_view text, int32_t itemData) {
    const std::string& stored = m_ownedLines.emplace_back(text);
    lstData.push_back({stored, itemData});
}

void CoreTables::AdoptBuffer(std::shared_ptr<const char> buffer) {
    m_buffers.push_back(std::move(buffer));
}

void CoreTables::ClearLines() {
    lstData.clear();
    lstData.shrink_to_fit();
    workFileLinesBefore.clear();
    workFileLinesBefore.shrink_to_fit();
    fileFirstLine.clear();
    fileHeaderAccepted.clear();
    m_buffers.clear();
    m_ownedLines.clear();
}

int64_t FindListEntry(const std::vector<std::string>& list, std::string_view text) {
    const auto it = std::find_if(list.begin(), list.end(), [text](const std::string& entry) {
        return EqualsIgnoreCase(entry, text);
    });
    return it == list.end() ? -1 : static_cast<int64_t>(it - list.begin());
}

size_t InsertSorted(std::vector<std::string>& list, std::string name) {
    const auto it = std::upper_bound(
        list.begin(), list.end(), name,
        [](const std::string& a, const std::string& b) { return CompareIgnoreCase(a, b) < 0; });
    const auto position = static_cast<size_t>(it - list.begin());
    list.insert(it, std::move(name));
    return position;
}

bool AddSelectedFile(CoreTables& tables, std::string_view path) {
    const std::string_view trimmed = Trim(path);
    tables.FilesChanged = true;
    if (FindListEntry(tables.lstSelectedFiles, trimmed) >= 0) {
        return false;
    }
    tables.lstSelectedFiles.emplace_back(trimmed);
    return true;
}

void RemoveSelectedFile(CoreTables& tables, int64_t index) {
    tables.FilesChanged = true;
    if (index >= 0 && static_cast<size_t>(index) < tables.lstSelectedFiles.size()) {
        tables.lstSelectedFiles.erase(tables.lstSelectedFiles.begin() + index);
    }
}

void RebuildSharedPoolList(CoreTables& tables) {
    tables.lstSharedPools.clear();
    tables.lstSharedPools.reserve(tables.lvSharedPools.size());
    for (const SharedPoolEntry& entry : tables.lvSharedPools) {
        tables.lstSharedPools.emplace_back(Trim(entry.name));
    }
    std::stable_sort(
        tables.lstSharedPools.begin(), tables.lstSharedPools.end(),
        [](const std::string& a, const std::string& b) { return CompareIgnoreCase(a, b) < 0; });
}

PoolRowIndex::PoolRowIndex(const CoreTables& tables) {
    for (size_t i = 0; i < tables.lvControl.size(); ++i) {
        m_rows[FoldedCase(tables.lvControl[i].BPool)].push_back(i);
    }
}

const std::vector<size_t>& PoolRowIndex::Rows(std::string_view poolName) const {
    static const std::vector<size_t> kNone;
    const auto it = m_rows.find(FoldedCase(poolName));
    return it == m_rows.end() ? kNone : it->second;
}

std::vector<size_t> FindPoolRows(const CoreTables& tables, std::string_view poolName) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < tables.lvControl.size(); ++i) {
        if (EqualsIgnoreCase(tables.lvControl[i].BPool, poolName)) {
            rows.push_back(i);
        }
    }
    return rows;
}

}  // namespace core

#include "core/tables.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "core/text.h"

namespace core {

int64_t PoolRow::ObjectCount() const {
    if (!HasObjectRange()) {
        return 0;
    }
    return int64_t{*EndObjectIndex} - int64_t{*StartObjectIndex} + 1;
}

void CoreTables::AppendLine(std::string_view text, int32_t itemData) {
    lstData.push_back({KeepText(text), itemData});
}

void CoreTables::ClearLines() {
    lstData.clear();
    lstData.shrink_to_fit();
    workFileLinesBefore.clear();
    workFileLinesBefore.shrink_to_fit();
    fileFirstLine.clear();
    fileHeaderAccepted.clear();
    fileBytes.clear();
    fileRepeats.clear();
    m_text.Clear();
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

namespace {

using FileIdentity = std::pair<uint64_t, uint64_t>;  // device, inode

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

}  // namespace

int64_t FindSelectedFile(const CoreTables& tables, std::string_view path) {
    const std::string wanted(path);
    const std::optional<FileIdentity> identity = IdentityOf(wanted);
    auto& known = tables.m_fileIdentities;
    const auto& files = tables.lstSelectedFiles;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i] == wanted) {
            return static_cast<int64_t>(i);
        }
        if (!identity) {
            continue;
        }
        auto it = known.find(files[i]);
        if (it == known.end()) {
            const std::optional<FileIdentity> listed = IdentityOf(files[i]);
            if (!listed) {
                continue;
            }
            it = known.emplace(files[i], *listed).first;
        }
        // A listed file may have gone since, and its inode been given to the new one: only a
        // match seen again now counts.
        if (it->second == *identity) {
            if (IdentityOf(files[i]) == identity) {
                return static_cast<int64_t>(i);
            }
            known.erase(it);
        }
    }
    if (identity) {
        known[wanted] = *identity;
    }
    return -1;
}

bool AddSelectedFile(CoreTables& tables, std::string_view path) {
    tables.FilesChanged = true;
    if (FindSelectedFile(tables, path) >= 0) {
        return false;
    }
    tables.lstSelectedFiles.emplace_back(path);
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

#include "core/plan.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "core/io/write_file.h"
#include "core/pool_rows.h"
#include "core/pool_sharing.h"
#include "core/record_layouts.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

// An object line's identity within its pool: name and kind, both trimmed, joined by a byte no
// data-file field holds.
void ObjectIdentity(std::string_view line, std::string& key) {
    key.assign(Trim(ExtractField(line, BPDLayout, bpd_field::kObjectName)));
    key.push_back('\0');
    key.append(Trim(ExtractField(line, BPDLayout, bpd_field::kObjectKind)));
}

std::string ObjectText(const PlanObject& object) {
    return Latin1ToUtf8(object.name) + " (" + Latin1ToUtf8(object.kind) + ") of pool " +
           Latin1ToUtf8(object.pool);
}

PlanItem Item(PlanItemKind kind, std::string_view pool, std::string_view object, std::string file,
              std::string message) {
    return PlanItem{kind, Latin1ToUtf8(pool), Latin1ToUtf8(object), std::move(file),
                    std::move(message)};
}

PlanObject ObjectOfLine(std::string_view pool, std::string_view line) {
    return PlanObject{std::string(Trim(pool)),
                      std::string(Trim(ExtractField(line, BPDLayout, bpd_field::kObjectName))),
                      std::string(Trim(ExtractField(line, BPDLayout, bpd_field::kObjectKind))),
                      {}};
}

// The plan's objects by pool, name and kind. Open addressing over flat arrays: with node-based
// maps the look-ups of a million lines took longer than the load they follow.
class ObjectLookup {
public:
    explicit ObjectLookup(const Plan& plan) : m_plan(plan), m_first(plan.objects.size()) {
        size_t capacity = 16;
        while (capacity < plan.objects.size() * 2) {
            capacity *= 2;
        }
        m_slots.assign(capacity, Slot{});
        m_mask = capacity - 1;
        for (size_t i = 0; i < plan.objects.size(); ++i) {
            const PlanObject& o = plan.objects[i];
            const auto [pool, added] =
                m_poolIds.try_emplace(FoldedCase(o.pool), static_cast<int32_t>(m_poolIds.size()));
            m_poolOf.push_back(pool->second);
            const int64_t existing = Find(pool->second, o.name, o.kind);
            m_first[i] = existing >= 0 ? static_cast<size_t>(existing) : i;
            if (existing < 0) {
                const uint64_t hash = Hash(pool->second, o.name, o.kind);
                size_t slot = hash & m_mask;
                while (m_slots[slot].indexPlusOne != 0) {
                    slot = (slot + 1) & m_mask;
                }
                m_slots[slot] = {hash, static_cast<uint32_t>(i + 1)};
            }
        }
    }

    // The id of the pool among those the plan's objects name; -1 when none names it.
    int32_t PoolId(std::string_view pool) const {
        const auto it = m_poolIds.find(FoldedCase(Trim(pool)));
        return it == m_poolIds.end() ? -1 : it->second;
    }

    // The first entry of plan.objects for the object on the line; -1 when there is none.
    int64_t Find(int32_t poolId, std::string_view line) const {
        return Find(poolId, Trim(ExtractField(line, BPDLayout, bpd_field::kObjectName)),
                    Trim(ExtractField(line, BPDLayout, bpd_field::kObjectKind)));
    }

    // The first entry of plan.objects equal to entry i (a plan may name an object twice).
    size_t FirstOfItsKey(size_t i) const { return m_first[i]; }

private:
    struct Slot {
        uint64_t hash = 0;
        uint32_t indexPlusOne = 0;  // 0: empty
    };

    static uint64_t Mix(uint64_t x) {
        x *= 0xBF58476D1CE4E5B9ull;
        return x ^ (x >> 31);
    }

    // Eight bytes at a time: a million names hashed byte by byte cost more than the look-ups.
    static uint64_t Hash(int32_t poolId, std::string_view name, std::string_view kind) {
        // The lengths keep "AB" + "C" apart from "A" + "BC".
        uint64_t h = Mix((static_cast<uint64_t>(poolId) << 32) ^ (name.size() << 8) ^ kind.size());
        size_t i = 0;
        for (; i + 8 <= name.size(); i += 8) {
            uint64_t word = 0;
            std::memcpy(&word, name.data() + i, 8);
            h = Mix(h ^ word);
        }
        // An empty view may have no data pointer at all, which memcpy must not get.
        uint64_t tail = 0;
        if (i < name.size()) {
            std::memcpy(&tail, name.data() + i, name.size() - i);
        }
        uint64_t kindWord = 0;
        if (!kind.empty()) {
            std::memcpy(&kindWord, kind.data(), std::min<size_t>(kind.size(), 8));
        }
        return Mix(Mix(h ^ tail) ^ kindWord);
    }

    int64_t Find(int32_t poolId, std::string_view name, std::string_view kind) const {
        const uint64_t hash = Hash(poolId, name, kind);
        for (size_t slot = hash & m_mask; m_slots[slot].indexPlusOne != 0;
             slot = (slot + 1) & m_mask) {
            if (m_slots[slot].hash != hash) {
                continue;
            }
            const size_t i = m_slots[slot].indexPlusOne - 1;
            const PlanObject& o = m_plan.objects[i];
            if (m_poolOf[i] == poolId && o.name == name && o.kind == kind) {
                return static_cast<int64_t>(i);
            }
        }
        return -1;
    }

    const Plan& m_plan;
    std::unordered_map<std::string, int32_t> m_poolIds;  // folded pool name -> id
    std::vector<int32_t> m_poolOf;                       // per object
    std::vector<size_t> m_first;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// "a.sta", "a.sta and b.sta", "a.sta, b.sta and c.sta": the files' names without their folders.
std::string FileNames(const std::vector<std::string>& paths) {
    std::string text;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            text += i + 1 == paths.size() ? " and " : ", ";
        }
        text += std::filesystem::path(paths[i]).filename().string();
    }
    return text;
}

// Where each object of a plan is cached among the files loaded now.
struct LoadedFiles {
    // Per entry (the first of its key): by FileNo, the files it is cached in; empty: every file.
    std::vector<std::vector<bool>> onlyIn;
    // Per entry: it lists files and none of them is loaded, so it is cached in every file.
    std::vector<bool> noneLoaded;
    std::vector<size_t> listedBy;  // per entry: the entry whose list counted
};

LoadedFiles FilesOfListedObjects(const CoreTables& tables, const Plan& plan,
                                 const ObjectLookup& lookup) {
    LoadedFiles loaded;
    const size_t count = plan.objects.size();
    loaded.onlyIn.resize(count);
    loaded.noneLoaded.assign(count, false);
    loaded.listedBy.assign(count, 0);
    // An object named twice, once without a list, is cached in every file.
    std::vector<bool> everyFile(count, false);
    for (size_t i = 0; i < count; ++i) {
        if (plan.objects[i].files.empty()) {
            everyFile[lookup.FirstOfItsKey(i)] = true;
        }
    }
    // A plan lists few files however many objects list them: each is matched once.
    std::unordered_map<std::string, std::vector<bool>> loadedAs;
    const size_t fileCount = tables.lstSelectedFiles.size();
    for (size_t i = 0; i < count; ++i) {
        const size_t first = lookup.FirstOfItsKey(i);
        if (everyFile[first]) {
            continue;
        }
        std::vector<bool>& only = loaded.onlyIn[first];
        only.resize(fileCount, false);
        for (const std::string& path : plan.objects[i].files) {
            auto [it, added] = loadedAs.try_emplace(path);
            if (added) {
                it->second.resize(fileCount, false);
                for (size_t f = 0; f < fileCount; ++f) {
                    it->second[f] = SameFile(path, tables.lstSelectedFiles[f]);
                }
            }
            for (size_t f = 0; f < fileCount; ++f) {
                only[f] = only[f] || it->second[f];
            }
        }
        loaded.listedBy[first] = i;
    }
    for (size_t i = 0; i < count; ++i) {
        std::vector<bool>& only = loaded.onlyIn[i];
        if (!only.empty() && std::find(only.begin(), only.end(), true) == only.end()) {
            only.clear();
            loaded.noneLoaded[i] = true;
        }
    }
    return loaded;
}

// Clears every choice, as a fresh load leaves the tables, but keeps what was loaded.
void ClearChoices(CoreTables& tables) {
    for (const SharedPoolEntry& entry : tables.lvSharedPools) {
        const std::string name(Trim(entry.name));
        if (FindListEntry(tables.lstPools, name) < 0) {
            InsertSorted(tables.lstPools, name);
        }
    }
    tables.lvSharedPools.clear();
    tables.lstSharedPools.clear();
    for (DataLine& line : tables.lstData) {
        line.ItemData = 0;
    }
    for (PoolRow& row : tables.lvControl) {
        row.CacheAll = false;
    }
}

struct FileState {
    bool exists = false;
    uint64_t sizeBytes = 0;
    int64_t modifiedNs = 0;
};

FileState Examine(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return {};
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        return {};
    }
    const fs::file_time_type time = fs::last_write_time(path, ec);
    if (ec) {
        return {};
    }
    const auto sinceEpoch = std::chrono::file_clock::to_sys(time).time_since_epoch();
    return {true, static_cast<uint64_t>(size),
            std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count()};
}

}  // namespace

std::string_view PlanItemKindName(PlanItemKind kind) {
    switch (kind) {
        case PlanItemKind::kPoolMissing:
            return "pool_missing";
        case PlanItemKind::kPoolRefused:
            return "pool_refused";
        case PlanItemKind::kObjectMissing:
            return "object_missing";
        case PlanItemKind::kObjectNewUnderCacheAll:
            return "object_new_under_cache_all";
        case PlanItemKind::kObjectCachedInSomeFiles:
            return "object_cached_in_some_files";
        case PlanItemKind::kFileMissing:
            return "file_missing";
        case PlanItemKind::kFileChanged:
            return "file_changed";
    }
    return "";
}

PlanCapture CapturePlan(const CoreTables& tables, std::string membersText, std::string ecsaText) {
    PlanCapture capture;
    Plan& plan = capture.plan;
    plan.membersText = std::move(membersText);
    plan.ecsaText = std::move(ecsaText);

    const PoolRowIndex index(tables);
    for (const SharedPoolEntry& entry : tables.lvSharedPools) {
        PlanPool pool{std::string(Trim(entry.name)), false};
        for (const size_t row : index.Rows(pool.name)) {
            pool.cacheAll = pool.cacheAll || tables.lvControl[row].CacheAll;
        }
        plan.pools.push_back(std::move(pool));
    }

    // Keyed by folded pool, then identity, so that one object seen in several files (or under
    // two spellings of its pool) is one entry.
    std::unordered_map<std::string, size_t> objectOf;
    std::vector<std::vector<int32_t>> cachedIn;  // per entry: the FileNos of its cached lines
    std::string identity;
    std::string key;
    const auto keyOf = [&](const std::string& foldedPool, std::string_view line) -> std::string& {
        ObjectIdentity(line, identity);
        key.assign(foldedPool);
        key.push_back('\0');
        key.append(identity);
        return key;
    };
    for (const PoolRow& row : tables.lvControl) {
        const ObjectLineSpan span = ObjectLines(tables, row);
        const std::string pool = FoldedCase(Trim(row.BPool));
        for (size_t k = span.begin; k < span.end; ++k) {
            if (tables.lstData[k].ItemData == 0) {
                continue;
            }
            const auto [it, added] =
                objectOf.try_emplace(keyOf(pool, tables.lstData[k].Head()), plan.objects.size());
            if (added) {
                plan.objects.push_back(ObjectOfLine(row.BPool, tables.lstData[k].Head()));
                cachedIn.emplace_back();
            }
            std::vector<int32_t>& files = cachedIn[it->second];
            if (std::find(files.begin(), files.end(), row.FileNo) == files.end()) {
                files.push_back(row.FileNo);
            }
        }
    }
    if (objectOf.empty()) {
        return capture;
    }
    std::vector<bool> inSomeFiles(plan.objects.size(), false);
    for (const PoolRow& row : tables.lvControl) {
        const ObjectLineSpan span = ObjectLines(tables, row);
        const std::string pool = FoldedCase(Trim(row.BPool));
        for (size_t k = span.begin; k < span.end; ++k) {
            if (tables.lstData[k].ItemData != 0) {
                continue;
            }
            const auto it = objectOf.find(keyOf(pool, tables.lstData[k].Head()));
            if (it != objectOf.end()) {
                inSomeFiles[it->second] = true;
            }
        }
    }
    for (size_t i = 0; i < plan.objects.size(); ++i) {
        if (!inSomeFiles[i]) {
            continue;
        }
        std::sort(cachedIn[i].begin(), cachedIn[i].end());
        for (const int32_t fileNo : cachedIn[i]) {
            if (fileNo >= 0 && static_cast<size_t>(fileNo) < tables.lstSelectedFiles.size()) {
                plan.objects[i].files.push_back(tables.lstSelectedFiles[fileNo]);
            }
        }
    }
    return capture;
}

std::vector<PlanFile> DescribeFiles(const std::vector<std::string>& paths,
                                    const FileHasher& hasher) {
    std::vector<PlanFile> files;
    files.reserve(paths.size());
    for (const std::string& path : paths) {
        PlanFile file{path, 0, 0, {}};
        const FileState state = Examine(path);
        if (state.exists) {
            file.sizeBytes = state.sizeBytes;
            file.modifiedNs = state.modifiedNs;
            if (hasher) {
                file.sha256 = hasher(path).value_or(std::string());
            }
        }
        files.push_back(std::move(file));
    }
    return files;
}

PlanAccount CheckPlanFiles(const Plan& plan, const FileHasher& hasher) {
    PlanAccount account;
    for (const PlanFile& file : plan.files) {
        const FileState state = Examine(file.path);
        if (!state.exists) {
            account.push_back(Item(PlanItemKind::kFileMissing, {}, {}, file.path,
                                   "File " + file.path + " of the plan is gone."));
            continue;
        }
        if (state.sizeBytes == file.sizeBytes && state.modifiedNs == file.modifiedNs) {
            continue;
        }
        // A file copied or touched keeps its content; only the hash tells.
        if (hasher && !file.sha256.empty() && state.sizeBytes == file.sizeBytes) {
            const std::optional<std::string> hash = hasher(file.path);
            if (hash && *hash == file.sha256) {
                continue;
            }
        }
        account.push_back(Item(PlanItemKind::kFileChanged, {}, {}, file.path,
                               "File " + file.path + " has changed since the plan was saved."));
    }
    return account;
}

PlanAccount ApplyPlan(CoreTables& tables, const Plan& plan) {
    PlanAccount account;
    ClearChoices(tables);

    std::unordered_set<std::string> missingPools;  // or refused: their pool item covers them
    std::unordered_set<std::string> sharedPools;
    for (const PlanPool& pool : plan.pools) {
        const std::string folded = FoldedCase(pool.name);
        if (sharedPools.count(folded) != 0) {
            continue;  // named twice in the plan
        }
        const int64_t index = FindListEntry(tables.lstPools, pool.name);
        if (index < 0) {
            missingPools.insert(folded);
            account.push_back(
                Item(PlanItemKind::kPoolMissing, pool.name, {}, {},
                     "Pool " + Latin1ToUtf8(pool.name) + " of the plan is not in the data files."));
            continue;
        }
        if (std::optional<ShareRefusal> refusal = SharePool(tables, static_cast<size_t>(index))) {
            missingPools.insert(folded);
            account.push_back(Item(PlanItemKind::kPoolRefused, refusal->pool, {}, refusal->file,
                                   Latin1ToUtf8(refusal->message)));
            continue;
        }
        sharedPools.insert(folded);
    }
    RebuildSharedPoolList(tables);

    // One pass over the object lines with a look-up each: a search per object would cost
    // objects x lines.
    const ObjectLookup lookup(plan);
    const LoadedFiles loadedFiles = FilesOfListedObjects(tables, plan, lookup);
    std::vector<bool> found(plan.objects.size(), false);
    std::vector<bool> planned(tables.lstData.size(), false);
    for (const PoolRow& row : tables.lvControl) {
        const int32_t poolId = lookup.PoolId(row.BPool);
        if (poolId < 0) {
            continue;
        }
        const ObjectLineSpan span = ObjectLines(tables, row);
        for (size_t k = span.begin; k < span.end; ++k) {
            const int64_t object = lookup.Find(poolId, tables.lstData[k].Head());
            if (object < 0) {
                continue;
            }
            found[static_cast<size_t>(object)] = true;
            const std::vector<bool>& only = loadedFiles.onlyIn[static_cast<size_t>(object)];
            if (only.empty() || (row.FileNo >= 0 && static_cast<size_t>(row.FileNo) < only.size() &&
                                 only[static_cast<size_t>(row.FileNo)])) {
                tables.lstData[k].ItemData = -1;
                planned[k] = true;
            }
        }
    }
    std::vector<bool> told(plan.objects.size(), false);
    for (size_t i = 0; i < plan.objects.size(); ++i) {
        const PlanObject& o = plan.objects[i];
        const size_t first = lookup.FirstOfItsKey(i);
        if (!found[first] && missingPools.count(FoldedCase(o.pool)) == 0) {
            account.push_back(
                Item(PlanItemKind::kObjectMissing, o.pool, o.name, {},
                     "Object " + ObjectText(o) + " is not in the data files; it is not cached."));
        } else if (found[first] && loadedFiles.noneLoaded[first] && !told[first]) {
            told[first] = true;
            const PlanObject& listed = plan.objects[loadedFiles.listedBy[first]];
            account.push_back(Item(PlanItemKind::kObjectCachedInSomeFiles, o.pool, o.name, {},
                                   "Object " + ObjectText(o) + " was cached in " +
                                       FileNames(listed.files) +
                                       " only; it is now cached in every file."));
        }
    }

    const PoolRowIndex index(tables);
    for (const PlanPool& pool : plan.pools) {
        const std::string folded = FoldedCase(pool.name);
        if (!pool.cacheAll || sharedPools.count(folded) == 0) {
            continue;
        }
        const std::vector<size_t>& rows = index.Rows(pool.name);
        for (const size_t r : rows) {
            tables.lvControl[r].CacheAll = true;
        }
        if (lookup.PoolId(pool.name) < 0) {
            continue;  // the box was unchecked by hand, which leaves the flag on alone
        }
        std::unordered_set<std::string> reported;
        std::string identity;
        for (const size_t r : rows) {
            const PoolRow& row = tables.lvControl[r];
            const ObjectLineSpan span = ObjectLines(tables, row);
            for (size_t k = span.begin; k < span.end; ++k) {
                tables.lstData[k].ItemData = -1;
                if (planned[k]) {
                    continue;
                }
                ObjectIdentity(tables.lstData[k].Head(), identity);
                if (reported.insert(identity).second) {
                    const PlanObject o = ObjectOfLine(row.BPool, tables.lstData[k].Head());
                    account.push_back(Item(PlanItemKind::kObjectNewUnderCacheAll, o.pool, o.name,
                                           {},
                                           "Object " + ObjectText(o) +
                                               " is new and is cached because its pool has "
                                               "Cache All."));
                }
            }
        }
    }
    return account;
}

}  // namespace core

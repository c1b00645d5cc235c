// The working tables of the program: the chosen files, the stored lines of every file, the pool
// table with one row per pool statistics record, and the lists of available and shared pools.
// Every page of the program and the batch sizer work on one CoreTables value; nothing here
// knows about windows.
#ifndef CORE_TABLES_H_
#define CORE_TABLES_H_

#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/io/prefaulted_memory.h"
#include "core/io/text_store.h"
#include "core/record_layouts.h"

namespace core {

// One stored line of a data file and its ItemData, the cached flag of an object line (-1
// cached, 0 not). The loader keeps an object (BPD) line in part: of its columns the program reads
// only the record kind, the object's kind and name and its two statistics, so the store keeps
// columns 1 to kObjectHeadColumns and the columns of kObjectTail, a sixth of a usual line. Every
// other line is kept whole. Read a line through Head and Field, which answer for a part-kept
// line exactly as for the whole one.
struct DataLine {
    std::string_view stored;  // views storage owned by the CoreTables that holds the line
    int32_t ItemData = 0;
    bool partial = false;  // an object line kept in part

    // The line's first kObjectHeadColumns columns when kept in part, else the whole line: what
    // the readers of the record kind, object kind, object name and statistic A look at.
    std::string_view Head() const {
        return partial ? stored.substr(0, kObjectHeadColumns) : stored;
    }

    // ExtractField of the line as read. A part-kept line answers for its kept columns only;
    // asking it for another field is a mistake of the caller.
    template <size_t N>
    std::string_view Field(const std::array<FieldLayout, N>& layout, int fieldNo) const {
        const FieldLayout f = layout[static_cast<size_t>(fieldNo - 1)];
        if (!partial || f.start + f.length - 1 <= kObjectHeadColumns) {
            return ExtractField(Head(), layout, fieldNo);
        }
        assert(f.start >= kObjectTail.start &&
               f.start + f.length <= kObjectTail.start + kObjectTail.length);
        const auto at = static_cast<size_t>(kObjectHeadColumns + f.start - kObjectTail.start);
        return at < stored.size() ? stored.substr(at, static_cast<size_t>(f.length))
                                  : std::string_view();
    }
};

// One row of the pool table, created by one BPS record.
struct PoolRow {
    std::string key;     // FileNo in decimal followed by the first 60 characters of the BPS line
    int32_t FileNo = 0;  // position of the file in lstSelectedFiles at load time
    std::string BPool;   // pool name, blanks trimmed
    // Line-store indices of the row's object range, inclusive; empty when never set.
    std::optional<int32_t> StartObjectIndex;
    std::optional<int32_t> EndObjectIndex;
    int32_t DSNDB07s = 0;       // object lines of the range naming DSNDB07; 0 without a full range
    bool CacheAll = false;      // the "Cache All" column: true "T", false "F"
    int32_t bpsLineIndex = -1;  // line-store index of the BPS line that created the row

    bool HasObjectRange() const { return StartObjectIndex && EndObjectIndex; }
    // End - Start + 1, or 0 without a full range (may be negative for a reversed range).
    int64_t ObjectCount() const;
};

// An entry of the shared-pool list: the pool name and its "Total Objects".
struct SharedPoolEntry {
    std::string name;
    int64_t totalObjects = 0;

    bool operator==(const SharedPoolEntry&) const = default;
};

// Owns every table. Lines view storage owned here, so the tables move but never copy.
class CoreTables {
public:
    CoreTables() = default;
    CoreTables(const CoreTables&) = delete;
    CoreTables& operator=(const CoreTables&) = delete;
    CoreTables(CoreTables&&) = default;
    CoreTables& operator=(CoreTables&&) = default;

    std::vector<std::string> lstSelectedFiles;  // paths exactly as chosen; position = FileNo
    // Every stored line; index = object index.
    std::vector<DataLine, PrefaultedAllocator<DataLine>> lstData;
    std::vector<PoolRow> lvControl;              // the pool table, in creation order
    std::vector<std::string> lstPools;           // available pools, alphabetical, case ignored
    std::vector<SharedPoolEntry> lvSharedPools;  // shared pools, in the order they were shared
    std::vector<std::string> lstSharedPools;     // shared pool names, alphabetical, case ignored
    bool FilesChanged = false;  // the file list changed since the last completed load

    // Kept by the loader while each line is still in cache: the lines before index i whose object
    // name holds DSNDB07, for i from 0 to lstData.size(). When it does not match lstData in size
    // (lines added by other means), the work-file count reads the lines themselves.
    std::vector<int32_t, PrefaultedAllocator<int32_t>> workFileLinesBefore;

    // Per file of the last load, in lstSelectedFiles order: the line-store index of the file's
    // first stored line (its lead record; equal to the next file's when it stored none), and
    // whether its header line passed CheckHeaderLine. Filled by LoadDataFiles.
    std::vector<size_t> fileFirstLine;
    std::vector<bool> fileHeaderAccepted;
    // Per file of the last load, in lstSelectedFiles order, as far as the load reached: its size
    // in bytes as opened, and, for a file whose bytes repeat an earlier file of the list (a copy
    // under another name), the FileNo of the first such file. Filled by LoadDataFiles.
    std::vector<uint64_t> fileBytes;
    std::vector<std::optional<size_t>> fileRepeats;

    // Appends a line, kept whole, whose text is copied into storage owned by the tables.
    void AppendLine(std::string_view text, int32_t itemData = 0);

    // Copies `head` followed by `tail` into storage owned by the tables, which lives until
    // ClearLines, and returns the copy: the stored text of a line.
    std::string_view KeepText(std::string_view head, std::string_view tail = {}) {
        return m_text.Keep(head, tail);
    }

    // Empties lstData and releases the storage its lines viewed.
    void ClearLines();

    // "F" or "T": the pool table's text for a Cache All flag.
    static std::string_view CacheAllText(bool cacheAll) { return cacheAll ? "T" : "F"; }

private:
    friend int64_t FindSelectedFile(const CoreTables& tables, std::string_view path);

    TextStore m_text;  // the bytes the lines of lstData view
    // Device and inode of listed paths, as last seen: looking each up again on every "Add File"
    // would make a long list quadratic in system calls.
    mutable std::unordered_map<std::string, std::pair<uint64_t, uint64_t>> m_fileIdentities;
};

// Index of the first entry equal to text, whole text, letter case ignored, searching from the
// top; -1 when there is none.
int64_t FindListEntry(const std::vector<std::string>& list, std::string_view text);

// Inserts name into a list kept in alphabetical order (letter case ignored), after any entry
// that compares equal. Returns the position it took.
size_t InsertSorted(std::vector<std::string>& list, std::string name);

// Index of the entry of lstSelectedFiles that is the same file as `path`: the same device and
// inode once links are followed, or, when either cannot be looked up (not there yet, a test's
// made-up path), exactly the same path text. -1 when there is none. Names that differ only in
// letter case are different files on a file system that tells them apart.
int64_t FindSelectedFile(const CoreTables& tables, std::string_view path);

// The file list action behind "Add File": the path, exactly as given (blanks and bytes that are
// not UTF-8 are part of a name), is appended unless FindSelectedFile finds it listed;
// FilesChanged becomes true either way. Returns whether it was appended.
bool AddSelectedFile(CoreTables& tables, std::string_view path);

// "Remove File": FilesChanged becomes true; the entry at index is removed when it exists.
void RemoveSelectedFile(CoreTables& tables, int64_t index);

// Rebuilds lstSharedPools from lvSharedPools: trimmed names in alphabetical order, case ignored.
void RebuildSharedPoolList(CoreTables& tables);

// The pool-table rows whose BPool equals the pool name (whole text, letter case ignored), in
// row order, as 0-based indices into lvControl.
std::vector<size_t> FindPoolRows(const CoreTables& tables, std::string_view poolName);

// FindPoolRows for every pool at once, for work that visits many pools: a file of many thousand
// pools would otherwise cost pools x rows. Valid until lvControl changes.
class PoolRowIndex {
public:
    explicit PoolRowIndex(const CoreTables& tables);
    // The rows of the pool (letter case ignored), in row order; empty when none.
    const std::vector<size_t>& Rows(std::string_view poolName) const;

private:
    std::unordered_map<std::string, std::vector<size_t>> m_rows;
};

}  // namespace core

#endif  // CORE_TABLES_H_

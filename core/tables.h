// The working tables of the program: the chosen files, the stored lines of every file, the pool
// table with one row per pool statistics record, and the lists of available and shared pools.
// Every page of the program and the batch sizer work on one CoreTables value; nothing here
// knows about windows.
#ifndef CORE_TABLES_H_
#define CORE_TABLES_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// One stored line of a data file: its text exactly as read (no terminator, not trimmed) and its
// ItemData, the cached flag of an object line (-1 cached, 0 not).
struct DataLine {
    std::string_view text;  // views storage owned by the CoreTables that holds the line
    int32_t ItemData = 0;
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
};

// Owns every table. Lines view storage owned here, so the tables move but never copy.
class CoreTables {
public:
    CoreTables() = default;
    CoreTables(const CoreTables&) = delete;
    CoreTables& operator=(const CoreTables&) = delete;
    CoreTables(CoreTables&&) = default;
    CoreTables& operator=(CoreTables&&) = default;

    std::vector<std::string> lstSelectedFiles;   // full paths, trimmed; position = FileNo
    std::vector<DataLine> lstData;               // every stored line; index = object index
    std::vector<PoolRow> lvControl;              // the pool table, in creation order
    std::vector<std::string> lstPools;           // available pools, alphabetical, case ignored
    std::vector<SharedPoolEntry> lvSharedPools;  // shared pools, in the order they were shared
    std::vector<std::string> lstSharedPools;     // shared pool names, alphabetical, case ignored
    bool FilesChanged = false;  // the file list changed since the last completed load

    // Kept by the loader while each line is still in cache: the lines before index i whose object
    // name holds DSNDB07, for i from 0 to lstData.size(). When it does not match lstData in size
    // (lines added by other means), the work-file count reads the lines themselves.
    std::vector<int32_t> workFileLinesBefore;

    // Per file of the last load, in lstSelectedFiles order: the line-store index of the file's
    // first stored line (its lead record; equal to the next file's when it stored none), and
    // whether its header line passed CheckHeaderLine. Filled by LoadDataFiles.
    std::vector<size_t> fileFirstLine;
    std::vector<bool> fileHeaderAccepted;

    // Appends a line whose text is copied into storage owned by the tables.
    void AppendLine(std::string_view text, int32_t itemData = 0);

    // Keeps `buffer` alive for lines that view it.
    void AdoptBuffer(std::shared_ptr<const char> buffer);

    // Empties lstData and releases the storage its lines viewed.
    void ClearLines();

    // "F" or "T": the pool table's text for a Cache All flag.
    static std::string_view CacheAllText(bool cacheAll) { return cacheAll ? "T" : "F"; }

private:
    std::vector<std::shared_ptr<const char>> m_buffers;
    std::deque<std::string> m_ownedLines;  // a deque keeps element addresses on growth
};

// Index of the first entry equal to text, whole text, letter case ignored, searching from the
// top; -1 when there is none.
int64_t FindListEntry(const std::vector<std::string>& list, std::string_view text);

// Inserts name into a list kept in alphabetical order (letter case ignored), after any entry
// that compares equal. Returns the position it took.
size_t InsertSorted(std::vector<std::string>& list, std::string name);

// The file list action behind "Add File": the trimmed path is appended unless an equal entry
// (letter case ignored) is listed; FilesChanged becomes true either way. Returns whether it
// was appended.
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

// The objects page without a window: the objects of the selected shared pool, the two counts,
// the state of the "Cache All Objects" box, and the user's actions that cache objects.
#ifndef CORE_OBJECT_SELECTION_H_
#define CORE_OBJECT_SELECTION_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class CoreTables;

enum class CacheBoxState { kUnchecked = 0, kChecked = 1, kMixed = 2 };

// What the objects page holds. A listed object's check mark is the ItemData of its line.
struct PoolObjects {
    std::string poolName;        // the selected pool, trimmed; empty when none is selected
    std::vector<int32_t> lines;  // line-store indices of the listed objects, in list order
    int64_t listed = 0;          // "Total Pool Objects"
    int64_t cached = 0;          // "Total Shared Objects"
    CacheBoxState box = CacheBoxState::kUnchecked;
    bool countsVisible = false;
};

// "O" followed by the line-store index: the key of an object entry.
std::string ObjectKey(int32_t lineIndex);

// The object-name field of the line (27 characters, fewer when the line is shorter), untrimmed.
std::string_view ObjectName(const CoreTables& tables, int32_t lineIndex);

// The positions in page.lines of the objects whose name holds `text`, letter case ignored
// (Latin-1), in list order; every position when `text` is empty.
std::vector<size_t> FilterPoolObjects(const CoreTables& tables, const PoolObjects& page,
                                      std::string_view text);

// Where a stored line was read: the file (its FileNo in lstSelectedFiles) and the 1-based line of
// that file, the header being line 1. Nullopt for a line that no load read (fileFirstLine does
// not cover it).
struct LinePlace {
    size_t fileNo = 0;
    int64_t line = 0;
};
std::optional<LinePlace> PlaceOfLine(const CoreTables& tables, int32_t lineIndex);

// Selecting a pool: lists the object lines of every pool row of that name that has object lines,
// sets both counts, makes them visible and sets the box (kept when nothing is listed).
void ShowPoolObjects(const CoreTables& tables, std::string_view poolName, PoolObjects& page);

// The user changed the check mark of page.lines[position] to `checked`: sets the line's ItemData,
// the cached count, the box and the Cache All flag of the pool's rows.
void ToggleObjectCached(CoreTables& tables, PoolObjects& page, size_t position, bool checked);

// The user's activation of the box, which the user left in page.box: checked caches every listed
// object and writes Cache All "T" on the pool's rows; unchecked uncaches them and writes "F";
// mixed does nothing.
void CacheAllObjects(CoreTables& tables, PoolObjects& page);

// A page change: no pool selected, no objects listed, counts hidden; the box keeps its state.
void ClearPoolObjects(PoolObjects& page);

}  // namespace core

#endif  // CORE_OBJECT_SELECTION_H_

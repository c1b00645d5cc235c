#include "record_layouts.h"

#include "text.h"

namespace core {
namespace {

constexpr size_t kKindColumns = 10;

static_assert(BPSLayout[37].start == 349 && BPSLayout[47].start + BPSLayout[47].length - 1 == 458);
static_assert(BPDLayout[33].start == 339 && BPDLayout[43].start + BPDLayout[43].length - 1 == 448);
static_assert(BPSLayout[15].start == 137 && BPDLayout[11].start == 127);

bool KindColumnsHold(std::string_view line, char third) {
    const std::string_view head = line.substr(0, kKindColumns);
    if (head.size() < 3) {
        return false;
    }
    for (size_t i = 0; i + 3 <= head.size(); ++i) {
        if (FoldCase(head[i]) == 'b' && FoldCase(head[i + 1]) == 'p' &&
            FoldCase(head[i + 2]) == third) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsBpsRecord(std::string_view line) { return KindColumnsHold(line, 's'); }

bool IsBpdRecord(std::string_view line) { return !IsBpsRecord(line) && KindColumnsHold(line, 'd'); }

bool IsFlatFileHeader(std::string_view line) { return Contains(line, "ENV"); }

}  // namespace core

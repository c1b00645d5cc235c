#include "core/record_layouts.h"

#include "core/text.h"

namespace core {
namespace {

static_assert(BPSLayout[37].start == 349 && BPSLayout[47].start + BPSLayout[47].length - 1 == 458);
static_assert(BPDLayout[33].start == 339 && BPDLayout[43].start + BPDLayout[43].length - 1 == 448);
static_assert(BPSLayout[15].start == 137 && BPDLayout[11].start == 127);

}  // namespace

bool NamesWorkFileObject(std::string_view line) {
    constexpr std::string_view kWorkFileDatabase = "DSNDB07";
    // A plain scan of the short field is several times faster than a general substring search.
    const std::string_view name = ExtractField(line, BPDLayout, bpd_field::kObjectName);
    for (size_t i = 0; i + kWorkFileDatabase.size() <= name.size(); ++i) {
        if (name[i] == 'D' && name.substr(i, kWorkFileDatabase.size()) == kWorkFileDatabase) {
            return true;
        }
    }
    return false;
}

}  // namespace core

// Feeds arbitrary bytes to the reader of the group buffer pools' display. A refusal is one line;
// a reading names each GBP once, keeps a display only with a name, and holds no negative figure.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "core/gbp_display.h"
#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::GbpDisplayResult result = core::ReadGbpDisplay(text);
    if (!fuzz::IsReading(result)) {
        return 0;
    }
    std::set<std::string> names;
    for (const core::GbpDisplay& d : result->gbps) {
        if (d.gbp.empty() || !names.insert(d.gbp).second || d.displayCount < 1 || d.firstLine < 1 ||
            d.lastLine < d.firstLine) {
            std::abort();
        }
        for (const auto* figure :
             {&d.policyMaxSizeKb, &d.allocatedSizeKb, &d.directoryEntries, &d.dataPages,
              &d.changedPages, &d.writesFailed, &d.directoryReclaims, &d.dataReclaims, &d.castouts,
              &d.xiDirectoryReclaims}) {
            fuzz::CheckNotNegative(*figure);
        }
    }
    return 0;
}

// Feeds arbitrary bytes to the reader of the structures' display. A refusal is one line; a
// reading names each structure once, keeps instances within their limit, and holds no negative
// size.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/reader_checks.h"
#include "core/xcf_display.h"

namespace {

void CheckPolicy(const std::optional<core::XcfPolicyInfo>& policy) {
    if (!policy) {
        return;
    }
    for (const auto* size : {&policy->sizeKb, &policy->initSizeKb, &policy->minSizeKb}) {
        fuzz::CheckNotNegative(*size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::XcfDisplayResult result = core::ReadXcfDisplay(text);
    if (!fuzz::IsReading(result)) {
        return 0;
    }
    std::set<std::string> names;
    for (const core::XcfStructure& s : result->structures) {
        if (s.name.empty() || !names.insert(s.name).second || s.firstLine < 1 ||
            s.lastLine < s.firstLine || s.instances.size() > core::kMaxXcfInstances) {
            std::abort();
        }
        CheckPolicy(s.policy);
        CheckPolicy(s.pending);
        for (const core::XcfInstance& instance : s.instances) {
            fuzz::CheckNotNegative(instance.actualSizeKb);
            if (instance.line < s.firstLine || instance.line > s.lastLine) {
                std::abort();
            }
        }
    }
    return 0;
}

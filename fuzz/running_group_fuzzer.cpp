// Feeds arbitrary bytes, as the current policy's job, to the comparison with a fixed
// recommendation. Whatever source is read, the new policy made from it must read back under
// its new name, with every recommended structure in it, or be refused as not reading back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/cfrm_policy.h"
#include "core/policy_source.h"
#include "core/running_group.h"

namespace {

core::CfrmStructure Structure(core::StructureKind kind, const char* name, int64_t initMb) {
    core::CfrmStructure s;
    s.kind = kind;
    s.name = name;
    s.initSizeKb = initMb * 1024;
    s.sizeKb = initMb * 2048;
    s.allowAutoAlter = kind == core::StructureKind::kGroupBufferPool;
    s.preflist = {"CF01", "CF02"};
    if (kind == core::StructureKind::kGroupBufferPool) {
        s.entries = core::GbpEntries{100, 0, 10, 10};
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::PolicySourceResult source = core::ReadPolicySource(text);
    if (!source.ok() || source->policyName == "FUZZNEW") {
        return 0;
    }
    core::CfrmPolicy policy;
    policy.groupName = "DSNDB0G";
    policy.structures = {Structure(core::StructureKind::kLock, "DSNDB0G_LOCK1", 64),
                         Structure(core::StructureKind::kGroupBufferPool, "DSNDB0G_GBP0", 48),
                         Structure(core::StructureKind::kGroupBufferPool, "DSNDB0G_GBP8K0", 16)};
    core::RunningInputs inputs;
    inputs.policySource = &*source;
    inputs.policyText = text;
    inputs.newPolicyName = "FUZZNEW";
    const core::RunningGroup group = core::ReadRunningGroup(policy, core::CfrmOptions{}, inputs);
    // The one refusal: a new policy that would not read back is never handed out.
    if (!group.ok()) {
        if (group.status.code() == core::StatusCode::kInvalidArgument ||
            !group.status.message().starts_with(
                "The new policy made from the source does not read back") ||
            !group.newPolicy.empty()) {
            std::abort();
        }
        return 0;
    }
    const core::PolicySourceResult back = core::ReadPolicySource(group.newPolicy);
    if (!back.ok() || back->policyName != "FUZZNEW") {
        std::abort();
    }
    for (const core::CfrmStructure& s : policy.structures) {
        bool found = false;
        for (const core::PolicySourceStructure& b : back->structures) {
            found = found || b.name == s.name;
        }
        if (!found) {
            std::abort();
        }
    }
    return 0;
}

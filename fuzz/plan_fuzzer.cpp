// Feeds arbitrary bytes to the plan reader. Whatever it accepts must write back to a text it
// reads as the same plan, and must apply to loaded tables without breaking their promises: each
// pool either available or shared, cached flags only -1 or 0.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plan.h"
#include "tables.h"
#include "text.h"

namespace {

bool SamePlan(const core::Plan& a, const core::Plan& b) {
    if (a.files.size() != b.files.size() || a.pools.size() != b.pools.size() ||
        a.objects.size() != b.objects.size() || a.membersText != b.membersText ||
        a.ecsaText != b.ecsaText || a.cfrm != b.cfrm) {
        return false;
    }
    for (size_t i = 0; i < a.pools.size(); ++i) {
        if (a.pools[i].name != b.pools[i].name || a.pools[i].cacheAll != b.pools[i].cacheAll) {
            return false;
        }
    }
    for (size_t i = 0; i < a.objects.size(); ++i) {
        const core::PlanObject& x = a.objects[i];
        const core::PlanObject& y = b.objects[i];
        if (x.pool != y.pool || x.name != y.name || x.kind != y.kind) {
            return false;
        }
    }
    for (size_t i = 0; i < a.files.size(); ++i) {
        if (a.files[i].sizeBytes != b.files[i].sizeBytes ||
            a.files[i].modifiedNs != b.files[i].modifiedNs) {
            return false;
        }
    }
    return true;
}

// A small collection: pools BP0 and BP1 with two objects each, and BP7 of work files only.
core::CoreTables SmallTables() {
    core::CoreTables tables;
    const auto object = [](const char* name) {
        return std::string(28, ' ').replace(0, 3, "BPD") + "T" + name;
    };
    const char* const pools[] = {"BP0", "BP1", "BP7"};
    const char* const names[][2] = {{"DB.A", "DB.B"}, {"DB.C", "DB.D"}, {"DSNDB07.X", "DSNDB07.Y"}};
    for (int p = 0; p < 3; ++p) {
        core::PoolRow row;
        row.BPool = pools[p];
        row.StartObjectIndex = static_cast<int32_t>(tables.lstData.size());
        tables.AppendLine(object(names[p][0]));
        tables.AppendLine(object(names[p][1]));
        row.EndObjectIndex = static_cast<int32_t>(tables.lstData.size() - 1);
        row.DSNDB07s = p == 2 ? 2 : 0;
        tables.lvControl.push_back(row);
        tables.lstPools.push_back(pools[p]);
    }
    tables.lstSelectedFiles = {"/d/m.sta"};
    return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::PlanReadResult read = core::ReadPlanJson(text, "/plans");
    if (!read.ok()) {
        if (read.error.empty() || read.error.find('\n') != std::string::npos) {
            std::abort();  // a refusal is one line
        }
        return 0;
    }
    const core::PlanReadResult again =
        core::ReadPlanJson(core::WritePlanJson(*read.plan, "/plans"), "/plans");
    if (!again.ok() || !SamePlan(*read.plan, *again.plan)) {
        std::abort();
    }
    core::CoreTables tables = SmallTables();
    (void)core::ApplyPlan(tables, *read.plan);
    if (tables.lstPools.size() + tables.lvSharedPools.size() != 3) {
        std::abort();
    }
    for (const core::DataLine& line : tables.lstData) {
        if (line.ItemData != 0 && line.ItemData != -1) {
            std::abort();
        }
    }
    return 0;
}

#include "core/results_csv.h"

#include "core/group_buffer_pools.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/text.h"

namespace core {
namespace {

std::string RatioText(const SizingResult& r) {
    return r.directoryDataRatio ? std::to_string(*r.directoryDataRatio) : std::string();
}

void AddRow(std::string& csv, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (const std::string_view field : fields) {
        csv += first ? "" : ",";
        csv += CsvField(field);
        first = false;
    }
    csv += "\r\n";
}

}  // namespace

std::string GbpSizeMbText(int64_t gbpPages, int64_t pageSizeKb) {
    // Whole KiB-blocks and the rest apart, so that pages near the 64-bit limit times 32 KB times
    // 10 cannot wrap.
    const bool negative = gbpPages < 0;
    const uint64_t pages =
        negative ? 0 - static_cast<uint64_t>(gbpPages) : static_cast<uint64_t>(gbpPages);
    const auto kb = static_cast<uint64_t>(pageSizeKb);
    const uint64_t tenths = pages / 1024 * kb * 10 + (pages % 1024 * kb * 10 + 512) / 1024;
    return (negative && tenths != 0 ? "-" : "") + std::to_string(tenths / 10) + "." +
           std::to_string(tenths % 10);
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string ResultsCsv(const SizingResult& result, const std::vector<SweepPoint>& sweep) {
    std::string csv;
    AddRow(csv, {"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Pages", "Page Size KB",
                 "GBP Size MB"});
    for (const PoolResult& p : result.pools) {
        const auto gbp = GroupBufferPoolOf(p.pool);
        const int64_t pageSizeKb = gbp ? gbp->pageSizeKb : 4;
        AddRow(csv, {Latin1ToUtf8(p.pool), std::to_string(p.shared), std::to_string(p.cacheAll),
                     std::to_string(p.vpSize), std::to_string(p.hpSize), std::to_string(p.gbpSize),
                     std::to_string(pageSizeKb), GbpSizeMbText(p.gbpSize, pageSizeKb)});
    }
    csv += "\r\n";
    AddRow(csv, {"Recommendation", "Value"});
    AddRow(csv, {"sca_size_mb", std::to_string(result.scaSizeMb)});
    AddRow(csv, {"lock_structure_size_mb", std::to_string(result.lockStructureSizeMb)});
    AddRow(csv, {"directory_data_ratio", RatioText(result)});
    AddRow(csv, {"irlm_ecsa_size_mb", std::to_string(result.irlmEcsaSizeMb)});
    AddRow(csv, {"total_memory_mb", std::to_string(result.totalMemoryMb)});
    if (!sweep.empty()) {
        csv += "\r\n";
        AddRow(csv, {"members", "sca_size_mb", "lock_structure_size_mb", "directory_data_ratio",
                     "irlm_ecsa_size_mb", "total_memory_mb"});
        for (const SweepPoint& point : sweep) {
            const SizingResult& r = point.result;
            AddRow(csv, {std::to_string(point.members), std::to_string(r.scaSizeMb),
                         std::to_string(r.lockStructureSizeMb), RatioText(r),
                         std::to_string(r.irlmEcsaSizeMb), std::to_string(r.totalMemoryMb)});
        }
    }
    return csv;
}

}  // namespace core

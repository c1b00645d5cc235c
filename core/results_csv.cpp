#include "core/results_csv.h"

#include "core/group_buffer_pools.h"
#include "core/recommendations.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/text.h"

namespace core {
namespace {

template <typename Fields>
void AddRow(std::string& csv, const Fields& fields) {
    bool first = true;
    for (const std::string_view field : fields) {
        csv += first ? "" : ",";
        csv += CsvField(field);
        first = false;
    }
    csv += "\r\n";
}

void AddRow(std::string& csv, std::initializer_list<std::string_view> fields) {
    AddRow<std::initializer_list<std::string_view>>(csv, fields);
}

// A ratio that cannot be computed is an empty cell, which a spreadsheet leaves blank.
std::string ValueField(const Recommendation& r) {
    return r.value ? std::to_string(*r.value) : std::string();
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
    for (const Recommendation& r : Recommendations(result)) {
        AddRow(csv, {r.key, ValueField(r)});
    }
    if (!sweep.empty()) {
        csv += "\r\n";
        std::vector<std::string> header = {"members"};
        for (const RecommendationName& name : kRecommendationNames) {
            header.emplace_back(name.key);
        }
        AddRow(csv, header);
        for (const SweepPoint& point : sweep) {
            std::vector<std::string> row = {std::to_string(point.members)};
            for (const Recommendation& r : Recommendations(point.result)) {
                row.push_back(ValueField(r));
            }
            AddRow(csv, row);
        }
    }
    return csv;
}

}  // namespace core

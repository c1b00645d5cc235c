#include "core/results_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/loader.h"
#include "core/object_selection.h"
#include "core/pool_rows.h"
#include "core/pool_sharing.h"
#include "core/recommendations.h"
#include "core/sizing.h"
#include "core/sizing_run.h"
#include "core/sweep.h"
#include "core/tables.h"
#include "core/text.h"
#include "core/warnings.h"

namespace core {
namespace {

using nlohmann::json;

json RefusedJson(const std::vector<ShareRefusal>& refusals) {
    json refused = json::array();
    for (const ShareRefusal& refusal : refusals) {
        refused.push_back(
            {{"pool", Latin1ToUtf8(refusal.pool)}, {"file", JsonBytes(refusal.file)}});
    }
    return refused;
}

// Always present, so that a script can test it without first asking whether it exists.
json WarningsJson(const std::vector<Warning>& found) {
    json warnings = json::array();
    for (const Warning& warning : found) {
        warnings.push_back(
            {{"code", JsonBytes(warning.code)}, {"message", JsonBytes(warning.message)}});
    }
    return warnings;
}

json TraceJson(const Trace& why) {
    json steps = json::array();
    for (const std::string& step : why) {
        steps.push_back(JsonBytes(step));
    }
    return steps;
}

// The five recommendations under their keys; a ratio that cannot be computed is null.
void AddRecommendations(const SizingResult& s, json& o) {
    for (const Recommendation& r : Recommendations(s)) {
        o[std::string(r.key)] = r.value ? json(int64_t{*r.value}) : json(nullptr);
    }
}

json PoolsJson(const SizingResult& s) {
    json pools = json::array();
    for (const PoolResult& p : s.pools) {
        pools.push_back({{"pool", Latin1ToUtf8(p.pool)},
                         {"shared", int64_t{p.shared}},
                         {"cache_all", int64_t{p.cacheAll}},
                         {"vp_size", int64_t{p.vpSize}},
                         {"hp_size", int64_t{p.hpSize}},
                         {"gbp_size", int64_t{p.gbpSize}},
                         {"why", TraceJson(p.why)}});
    }
    return pools;
}

json SweepJson(const std::vector<SweepPoint>& sweep) {
    json points = json::array();
    for (const SweepPoint& point : sweep) {
        json o = {{"members", int64_t{point.members}}, {"pools", PoolsJson(point.result)}};
        AddRecommendations(point.result, o);
        points.push_back(std::move(o));
    }
    return points;
}

// The shortest text that reads back as `value`, in plain or exponent form, whichever is shorter.
std::string DoubleText(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    // Plain digits as far as a double holds every whole number.
    constexpr double kWholeNumbersExact = 9007199254740992.0;  // 2^53
    if (std::trunc(value) == value && std::fabs(value) <= kWholeNumbersExact) {
        return std::to_string(static_cast<int64_t>(std::fabs(value)) * (value < 0 ? -1 : 1));
    }
    char buffer[32];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    std::string_view shortest(buffer, static_cast<size_t>(end - buffer));  // "-d.ddde+XX"
    std::string sign;
    if (shortest.front() == '-') {
        sign = "-";
        shortest.remove_prefix(1);
    }
    const size_t e = shortest.find('e');
    std::string digits(shortest.substr(0, e));
    if (digits.size() > 1) {
        digits.erase(1, 1);
    }
    const int exponent = std::atoi(std::string(shortest.substr(e + 1)).c_str());
    const int count = static_cast<int>(digits.size());
    const int point = exponent + 1;  // digits before the decimal point
    std::string plain;
    if (point <= 0) {
        plain = "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    } else if (point < count) {
        plain = digits.substr(0, static_cast<size_t>(point)) + '.' +
                digits.substr(static_cast<size_t>(point));
    } else {
        plain = digits + std::string(static_cast<size_t>(point - count), '0');
    }
    std::string scientific = digits.substr(0, 1);
    if (count > 1) {
        scientific += '.' + digits.substr(1);
    }
    const std::string magnitude = std::to_string(std::abs(exponent));
    scientific +=
        (exponent < 0 ? "e-" : "e+") + std::string(magnitude.size() < 2 ? "0" : "") + magnitude;
    return sign + (plain.size() <= scientific.size() ? plain : scientific);
}

void Indent(int depth, std::string& out) { out.append(static_cast<size_t>(depth) * 4, ' '); }

void WriteValue(const json& value, int depth, std::string& out) {
    switch (value.type()) {
        case json::value_t::object: {
            if (value.empty()) {
                out += "{}";
                return;
            }
            out += "{\n";
            bool first = true;
            for (const auto& [key, member] : value.items()) {
                out += first ? "" : ",\n";
                first = false;
                Indent(depth + 1, out);
                out += json(key).dump(-1, ' ', false, json::error_handler_t::replace);
                out += ": ";
                WriteValue(member, depth + 1, out);
            }
            out += '\n';
            Indent(depth, out);
            out += '}';
            return;
        }
        case json::value_t::array: {
            if (value.empty()) {
                out += "[]";
                return;
            }
            out += "[\n";
            bool first = true;
            for (const json& element : value) {
                out += first ? "" : ",\n";
                first = false;
                Indent(depth + 1, out);
                WriteValue(element, depth + 1, out);
            }
            out += '\n';
            Indent(depth, out);
            out += ']';
            return;
        }
        case json::value_t::number_float:
            out += DoubleText(value.get<double>());
            return;
        default:
            out += value.dump(-1, ' ', false, json::error_handler_t::replace);
            return;
    }
}

}  // namespace

std::string SizingJson(const SizingRun& run, const std::optional<json>& plan) {
    const SizingResult& s = run.result;
    json o;
    o["collection_time"] = Latin1ToUtf8(s.collectionTime);
    o["pools_shared"] = int64_t{s.poolsShared};
    o["shared_db2"] = Latin1ToUtf8(s.sharedDb2);
    o["total_system_objects"] = int64_t{s.totalSystemObjects};
    AddRecommendations(s, o);
    o["gbp_total_pages"] = int64_t{s.gbpTotalPages};
    o["data_size"] = Latin1ToUtf8(run.dataSizeText);
    o["pools"] = PoolsJson(s);
    o["refused"] = RefusedJson(run.refusals);
    json why = json::object();
    for (const Recommendation& r : Recommendations(s)) {
        why[std::string(r.key)] = TraceJson(r.why);
    }
    o["why"] = why;
    o["warnings"] = WarningsJson(run.warnings);
    if (!run.sweep.empty()) {
        o["sweep"] = SweepJson(run.sweep);
    }
    if (plan) {
        o["plan"] = *plan;
    }
    return JsonText(o);
}

std::string ListJson(const ResultsReport& report) {
    const CoreTables& t = report.tables;
    json files = json::array();
    for (const std::string& file : t.lstSelectedFiles) {
        files.push_back(JsonBytes(file));
    }
    json poolTable = json::array();
    json objects = json::array();
    for (const PoolRow& row : t.lvControl) {
        const auto bound = [](const std::optional<int32_t>& v) {
            return v ? json(int64_t{*v}) : json(nullptr);
        };
        poolTable.push_back({{"file_no", row.FileNo},
                             {"pool", Latin1ToUtf8(row.BPool)},
                             {"start", bound(row.StartObjectIndex)},
                             {"end", bound(row.EndObjectIndex)},
                             {"dsndb07s", row.DSNDB07s},
                             {"cache_all", Latin1ToUtf8(CoreTables::CacheAllText(row.CacheAll))}});
        const ObjectLineSpan span = ObjectLines(t, row);
        for (size_t k = span.begin; k < span.end; ++k) {
            const auto line = static_cast<int32_t>(k);
            objects.push_back({{"key", Latin1ToUtf8(ObjectKey(line))},
                               {"pool", Latin1ToUtf8(row.BPool)},
                               {"file_no", row.FileNo},
                               {"name", Latin1ToUtf8(ObjectName(t, line))},
                               {"cached", t.lstData[k].ItemData != 0}});
        }
    }
    json available = json::array();
    for (const std::string& pool : t.lstPools) {
        available.push_back(Latin1ToUtf8(pool));
    }
    json shared = json::array();
    for (const SharedPoolEntry& entry : t.lvSharedPools) {
        shared.push_back(
            {{"pool", Latin1ToUtf8(entry.name)}, {"total_objects", int64_t{entry.totalObjects}}});
    }
    json o;
    o["files"] = files;
    o["lines"] = static_cast<int64_t>(t.lstData.size());
    o["pool_table"] = poolTable;
    o["available_pools"] = available;
    o["shared_pools"] = shared;
    o["objects"] = objects;
    o["refused"] = RefusedJson(report.refusals);
    o["warnings"] =
        WarningsJson(report.warnings != nullptr ? *report.warnings : std::vector<Warning>{});
    if (report.plan) {
        o["plan"] = *report.plan;
    }
    return JsonText(o);
}

std::string JsonText(const json& document) {
    std::string out;
    WriteValue(document, 0, out);
    return out + '\n';
}

std::string JsonBytes(std::string_view bytes) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    WalkUtf8(
        bytes, [&](char32_t, std::string_view sequence) { text += sequence; },
        [&](unsigned char b) {
            text += "\\x";
            text += kHex[b >> 4];
            text += kHex[b & 0xF];
        });
    return text;
}

std::string ValidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    WalkUtf8(
        bytes, [&](char32_t, std::string_view sequence) { text += sequence; },
        [&](unsigned char) { text += "\xEF\xBF\xBD"; });
    return text;
}

}  // namespace core

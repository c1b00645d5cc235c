// The JSON documents of the sizing results and of the tables, as the batch sizer prints them and
// the results page exports them. Data-file text is Latin-1 and paths are bytes; the documents are
// UTF-8, keys in byte order, indented by four blanks.
#ifndef CORE_RESULTS_JSON_H_
#define CORE_RESULTS_JSON_H_

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class CoreTables;
struct LoadResult;
struct ShareRefusal;
struct SizingRun;
struct Warning;

// The tables a list document shows. All references must outlive the call.
struct ResultsReport {
    const CoreTables& tables;
    const LoadResult& load;
    const std::vector<ShareRefusal>& refusals;          // in the order they happened
    const std::vector<Warning>* warnings = nullptr;     // typed numbers, then results; null: none
    std::optional<nlohmann::json> plan = std::nullopt;  // the "plan" section, when there is one
};

// The results page of `run`: system information, recommendations, one entry per shared pool,
// the traces (`why`), the refusals, the warnings (always there, if empty), the sweep when the run
// has one and `plan` when given.
std::string SizingJson(const SizingRun& run,
                       const std::optional<nlohmann::json>& plan = std::nullopt);

// The files, the line count, the pool table, both pool lists and every object line, then the
// refusals, the warnings and the plan.
std::string ListJson(const ResultsReport& report);

// `document` as text: four blanks per level, a line break at the end. A number is written as the
// shortest text that reads back as the same double, in the shorter of plain and exponent form
// (plain when both are as long), and a whole number up to 2^53 in plain digits: so "7.5",
// "100", "1e-04", "1e+16".
std::string JsonText(const nlohmann::json& document);

// Bytes that are usually UTF-8 (a path, a message quoting one) as valid UTF-8: each byte outside
// a valid sequence as the four characters \xNN (upper-case hex), which no other text of ours
// holds. Control characters stay; the JSON writer escapes them.
std::string JsonBytes(std::string_view bytes);

// Bytes that are usually UTF-8 as valid UTF-8: each byte outside a valid sequence as U+FFFD.
std::string ValidUtf8(std::string_view bytes);

}  // namespace core

#endif  // CORE_RESULTS_JSON_H_

#include "core/result_warnings.h"

#include <gtest/gtest.h>

#include "core/sizing.h"
#include "core/tables.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Crlf;
using testing::kHeader;
using testing::Put;
using testing::Row;

struct Case {
    const char* what = "";
    std::string pool = "BP1";  // in both files
    std::string members = "2";
    std::string ecsa = "4";
    std::vector<std::pair<size_t, std::string>> lines = {};  // replaced lines of the line store
    bool secondHeaderAccepted = true;
    std::vector<std::string> codes = {};
};

// Two files, each a lead record (lines 0, 3), the pool's BPS line (1, 4) and one table space.
std::vector<Warning> Check(const Case& c) {
    CoreTables tables;
    tables.lstSelectedFiles = {"/data/a.sta", "/data/b.sim"};
    std::vector<std::string> lines;
    for (int32_t file = 0; file < 2; ++file) {
        tables.fileFirstLine.push_back(lines.size());
        tables.fileHeaderAccepted.push_back(file == 0 || c.secondHeaderAccepted);
        lines.push_back(Put("LEAD", 142, "14.30.00"));
        lines.push_back(BpsLine(c.pool, "1000", "0", "300", "1000"));
        lines.push_back(BpdLine("DB1.TS1", 'T', "500", "10"));
        tables.lvControl.push_back(Row(c.pool, file * 3 + 2, file * 3 + 2, file * 3 + 1, file));
    }
    for (const auto& [line, text] : c.lines) {
        lines[line] = text;
        tables.lvControl[line / 3].BPool = line % 3 == 1 ? text.substr(20, 3) : c.pool;
    }
    for (const std::string& line : lines) {
        tables.AppendLine(line);
    }
    tables.lstSharedPools = {c.pool};
    const SizingResult result = RunSizing(tables, c.members, c.ecsa);
    return CheckResultWarnings(tables, result, c.members, c.ecsa);
}

TEST(ResultWarningsTest, EachWarningOnAndOffAtItsLimit) {
    const std::string bpd0 = BpdLine("DB1.TS1", 'T', "500", "0");
    const Case cases[] = {
        {.what = "nothing to say"},
        {.what = "BP49 is a 4 KB pool", .pool = "BP49"},
        {.what = "BP50: no GBP", .pool = "BP50", .codes = {"pool_without_gbp_name"}},
        {.what = "BP8K0 pages are 8 KB", .pool = "BP8K0", .codes = {"page_size_not_4k"}},
        {.what = "116 / 2 x 1.1 = 63.8 fits", .members = "4", .ecsa = "29"},
        {.what = "117 / 2 x 1.1 = 64.35 does not",
         .members = "9",
         .ecsa = "13",
         .codes = {"lock_at_ceiling"}},
        {.what = "second header",
         .secondHeaderAccepted = false,
         .codes = {"not_a_statistics_header"}},
        {.what = "second lead record later",
         .lines = {{3, Put("LEAD", 142, "14.45.00")}},
         .codes = {"mixed_collection_times"}},
        {.what = "VP 1 is read", .lines = {{4, BpsLine("BP1", "1", "0", "300", "1000")}}},
        {.what = "VP 0",
         .lines = {{4, BpsLine("BP1", "0", "0", "300", "1000")}},
         .codes = {"pool_statistics_zero"}},
        {.what = "activity denominator 0",
         .lines = {{4, BpsLine("BP1", "1", "0", "300", "0")}},
         .codes = {"pool_statistics_zero"}},
        {.what = "bp1 in the second file",
         .lines = {{4, BpsLine("bp1", "1", "0", "300", "1")}},
         .codes = {"pool_name_case_differs"}},
        {.what = "B of both table spaces 0",
         .lines = {{2, bpd0}, {5, bpd0}},
         .codes = {"ratio_not_computable"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> codes;
        for (const Warning& w : Check(c)) {
            codes.push_back(w.code);
        }
        EXPECT_EQ(codes, c.codes) << c.what;
    }
}

TEST(ResultWarningsTest, MessagesGiveTheFigures) {
    // Rows: 1000 x 16 x 0.3 = 4800 -> 5000; 2000 x 16 x 0.3 = 9600 -> 10000; 16 x 10 / 2 x 1.1.
    std::vector<std::string> messages;
    for (const Warning& w : Check({.pool = "BP32K", .members = "16", .ecsa = "10"})) {
        messages.push_back(w.message);
    }
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Pool BP32K has 32 KB pages: its 15000 GBP pages are 468.8 MB (15000 x 32 / "
                  "1024), while the total memory counts them as 4 KB pages.",
                  "The lock structure formula (members x ECSA / 2 x 1.1) asks for 88 Mb, more "
                  "than its ceiling of 64 Mb; 64 Mb is shown."}));
}

TEST(ResultWarningsTest, RepeatedFilesAndFilesWithoutPoolsAreSaid) {
    const std::string lead = Put("LEAD", 142, "14.30.00");
    const std::string member = Crlf({kHeader, lead, BpsLine("BP1", "1000", "0", "300", "1000"),
                                     BpdLine("DB1.TS1", 'T', "500", "10")});
    CoreTables tables;
    ASSERT_TRUE(
        testing::LoadFiles(tables, {{"/data/db1a.sta", member},
                                    {"/data/copy.sta", member},
                                    {"/other/db1a.sta", member},
                                    {"/data/notes.sta", Crlf({kHeader, lead, BpdLine("DB9.TS1")})}})
            .ok());
    tables.lstSharedPools = {"BP1"};
    const SizingResult result = RunSizing(tables, "2", "4");
    std::vector<std::string> said;
    for (const Warning& w : CheckResultWarnings(tables, result, "2", "4")) {
        said.push_back(w.code + ": " + w.message);
    }
    EXPECT_EQ(said, (std::vector<std::string>{
                        "duplicate_file: copy.sta repeats db1a.sta (the same size, header and "
                        "records), so its pools and objects are counted again.",
                        "duplicate_file: /other/db1a.sta repeats /data/db1a.sta (the same size, "
                        "header and records), so its pools and objects are counted again.",
                        "file_without_pools: notes.sta has no BPS line; none of its 2 lines "
                        "counts."}));
}

}  // namespace
}  // namespace core

#include "result_warnings.h"

#include <gtest/gtest.h>

#include <functional>

#include "sizing.h"
#include "tables.h"
#include "test_lines.h"

namespace core {
namespace {

using testing::BpdLine;
using testing::BpsLine;
using testing::Put;
using testing::Row;

// Two files, each a lead record and pool `pool` with one table space; statistics all non-zero.
struct Group {
    CoreTables tables;
    std::string members = "2";
    std::string ecsa = "4";

    explicit Group(const std::string& pool = "BP1") {
        tables.lstSelectedFiles = {"/data/a.sta", "/data/b.sim"};
        for (int32_t file = 0; file < 2; ++file) {
            const auto first = static_cast<int32_t>(tables.lstData.size());
            tables.fileFirstLine.push_back(static_cast<size_t>(first));
            tables.fileHeaderAccepted.push_back(true);
            tables.AppendLine(Put("LEAD", 142, "14.30.00"));
            tables.AppendLine(BpsLine(pool, "1000", "0", "300", "1000"));
            tables.AppendLine(BpdLine("DB1.TS1", 'T', "500", "10"));
            tables.lvControl.push_back(Row(pool, first + 2, first + 2, first + 1, file));
        }
        tables.lstSharedPools = {pool};
    }
};

// Line `line` of the line store becomes `text`.
void Replace(Group& g, size_t line, const std::string& text) {
    g.tables.AppendLine(text);
    g.tables.lstData[line] = g.tables.lstData.back();
    g.tables.lstData.pop_back();
}

std::vector<std::string> Codes(Group& s) {
    const SizingResult result = RunSizing(s.tables, s.members, s.ecsa);
    std::vector<std::string> codes;
    for (const Warning& w : CheckResultWarnings(s.tables, result, s.members, s.ecsa)) {
        codes.push_back(w.code);
    }
    return codes;
}

TEST(ResultWarningsTest, EachWarningOnAndOffAtItsLimit) {
    struct Case {
        const char* what;
        std::string pool;
        std::function<void(Group&)> change;
        std::vector<std::string> codes;
    };
    const auto edit = [](size_t line, std::string text) {
        return [line, text](Group& g) { Replace(g, line, text); };
    };
    const Case cases[] = {
        {"nothing to say", "BP1", [](Group&) {}, {}},
        {"BP49 is a 4 KB pool", "BP49", [](Group&) {}, {}},
        {"BP50 has no group buffer pool", "BP50", [](Group&) {}, {"pool_without_gbp_name"}},
        {"BP8K0 pages are 8 KB", "BP8K0", [](Group&) {}, {"page_size_not_4k"}},
        {"116 x 1.1 / 2 = 63.8 fits", "BP1", [](Group& s) { s.members = "4", s.ecsa = "29"; }, {}},
        {"117 x 1.1 / 2 = 64.35 does not",
         "BP1",
         [](Group& s) { s.members = "9", s.ecsa = "13"; },
         {"lock_at_ceiling"}},
        {"second header not ENV",
         "BP1",
         [](Group& s) { s.tables.fileHeaderAccepted[1] = false; },
         {"not_a_statistics_header"}},
        {"second lead record later",
         "BP1",
         edit(3, Put("LEAD", 142, "14.45.00")),
         {"mixed_collection_times"}},
        {"VP 1 is read", "BP1", edit(4, BpsLine("BP1", "1", "0", "300", "1000")), {}},
        {"VP 0", "BP1", edit(4, BpsLine("BP1", "0", "0", "300", "1000")), {"pool_statistics_zero"}},
        {"activity denominator 0",
         "BP1",
         edit(4, BpsLine("BP1", "1000", "0", "300", "0")),
         {"pool_statistics_zero"}},
        {"bp1 in the second file",
         "BP1",
         [](Group& g) {
             Replace(g, 4, BpsLine("bp1", "1000", "0", "300", "1000"));
             g.tables.lvControl[1].BPool = "bp1";
         },
         {"pool_name_case_differs"}},
        {"B of the only table space 0",
         "BP1",
         [](Group& g) {
             Replace(g, 2, BpdLine("DB1.TS1", 'T', "500", "0"));
             Replace(g, 5, BpdLine("DB1.TS1", 'T', "500", "0"));
         },
         {"ratio_not_computable"}},
    };
    for (const Case& c : cases) {
        Group s(c.pool);
        c.change(s);
        EXPECT_EQ(Codes(s), c.codes) << c.what;
    }
}

TEST(ResultWarningsTest, MessagesGiveTheFigures) {
    Group s("BP32K");
    s.members = "16";
    s.ecsa = "10";
    Replace(s, 3, Put("LEAD", 142, "15.00.00"));
    const SizingResult r = RunSizing(s.tables, s.members, s.ecsa);
    // Rows: 1000 x 16 x 0.3 = 4800 -> 5000; (2000) x 16 x 0.3 = 9600 -> 10000.
    ASSERT_EQ(r.pools[0].gbpPagesAllRows, 15000);
    std::vector<std::string> messages;
    for (const Warning& w : CheckResultWarnings(s.tables, r, s.members, s.ecsa)) {
        messages.push_back(w.message);
    }
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "The files hold different collection times (a.sta \"14.30.00\", b.sim "
                  "\"15.00.00\"); the results show the first file's.",
                  "Pool BP32K has 32 KB pages: its 15000 GBP pages are 468.8 MB (15000 x 32 / "
                  "1024), while the total memory counts them as 4 KB pages.",
                  "The lock structure formula (members x ECSA / 2 x 1.1) asks for 88 Mb, more "
                  "than its ceiling of 64 Mb; 64 Mb is shown."}));
}

}  // namespace
}  // namespace core

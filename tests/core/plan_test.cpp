#include "core/plan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "core/io/file_source.h"
#include "core/object_selection.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/text.h"
#include "tests/core/file_size_limit.h"
#include "tests/core/test_files.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using testing::BpdLine;
using testing::BpsLine;
using testing::Crlf;
// {path, lines after the header}
using Files = std::vector<std::pair<std::string, std::string>>;

CoreTables Load(Files files) {
    for (auto& [path, lines] : files) {
        lines = Crlf({testing::kHeader}) + lines;
    }
    CoreTables tables;
    EXPECT_TRUE(testing::LoadFiles(tables, files).ok());
    return tables;
}

// "DB.A DB.X": the object names of the cached lines, in line order.
std::string CachedNames(const CoreTables& tables) {
    std::string names;
    for (size_t k = 0; k < tables.lstData.size(); ++k) {
        if (tables.lstData[k].ItemData != 0) {
            names += (names.empty() ? "" : " ") + std::string(Trim(ObjectName(tables, int32_t(k))));
        }
    }
    return names;
}

// "kind|pool|object|file" per item, joined by "; ".
std::string Items(const PlanAccount& account) {
    std::string text;
    for (const PlanItem& i : account) {
        text += (text.empty() ? "" : "; ") + std::string(PlanItemKindName(i.kind)) + "|" + i.pool +
                "|" + i.object + "|" + i.file;
    }
    return text;
}

void Choose(CoreTables& tables, const std::string& pool, const std::vector<size_t>& toggles,
            std::optional<CacheBoxState> box) {
    PoolObjects page;
    ShowPoolObjects(tables, pool, page);
    for (const size_t position : toggles) {
        ToggleObjectCached(tables, page, position, true);
    }
    if (box) {
        page.box = *box;
        CacheAllObjects(tables, page);
    }
}

// A plan applied to the files: the account's items and the cached objects, as Items and
// CachedNames give them.
struct ApplyCase {
    const char* name;
    std::string items;
    std::string cached;
    Files files;
};

const Files kTwoFiles = {
    {"/d/a.sta", Crlf({BpsLine("BP0", "100", "10"), BpdLine("DB.A"), BpdLine("DB.B", 'I'),
                       BpsLine("BP1", "200", "20"), BpdLine("DB.X"), BpdLine("DB.Y"),
                       BpsLine("BP2", "300"), BpdLine("DB.W")})},
    {"/e/b.sta", Crlf({BpsLine("BP1", "400", "40"), BpdLine("DB.X"), BpdLine("DB.Y")})}};

// kTwoFiles with `plan` applied: nothing to account for, and every figure and line of the Why
// panel as `original` gives them with `members` and `ecsa`.
CoreTables Reopen(CoreTables& original, const Plan& plan, const char* members, const char* ecsa) {
    CoreTables reopened = Load(kTwoFiles);
    EXPECT_EQ(Items(ApplyPlan(reopened, plan)), "");
    RebuildSharedPoolList(original);
    EXPECT_TRUE(RunSizing(reopened, plan.membersText, plan.ecsaText) ==
                RunSizing(original, members, ecsa));
    return reopened;
}

using PlanFiles = testing::ScratchDirTest;

TEST(PlanRoundTrip, SavedAndOpenedGivesTheSameChoicesAndResults) {
    CoreTables original = Load(kTwoFiles);
    for (const char* pool : {"BP1", "BP0", "BP2"}) {
        ASSERT_FALSE(SharePool(original, size_t(FindListEntry(original.lstPools, pool))));
    }
    Choose(original, "BP0", {}, CacheBoxState::kChecked);
    Choose(original, "BP1", {0, 2}, std::nullopt);           // DB.X in both files
    Choose(original, "BP2", {}, CacheBoxState::kUnchecked);  // leaves the flag on, nothing cached
    PlanCapture capture = CapturePlan(original, "3", "16");
    EXPECT_EQ(Items(capture.account), "");
    capture.plan.cfrm = {{"policy", "CF01 CF02"}};
    capture.plan.files = {{"/d/a.sta", 1, 2, "aa"}, {"/e/b.sta", 3, 4, "bb"}};

    const std::string text = WritePlanJson(capture.plan, "/d");
    EXPECT_NE(text.find("\"path\": \"a.sta\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"path\": \"/e/b.sta\""), std::string::npos) << text;
    const PlanReadResult read = ReadPlanJson(text, "/d");
    ASSERT_TRUE(read.ok()) << read.status().ToString();
    EXPECT_EQ(read->files[0].path, "/d/a.sta");
    EXPECT_EQ(read->cfrm.at("policy"), "CF01 CF02");

    const CoreTables reopened = Reopen(original, *read, "3", "16");
    ASSERT_EQ(reopened.lvSharedPools.size(), 3u);
    EXPECT_EQ(reopened.lvSharedPools[0].name + reopened.lvSharedPools[2].name, "BP1BP2");
    EXPECT_EQ(CachedNames(reopened), "DB.A DB.B DB.X DB.X");
    for (size_t r = 0; r < original.lvControl.size(); ++r) {
        EXPECT_EQ(reopened.lvControl[r].CacheAll, original.lvControl[r].CacheAll) << r;
    }
}

// DB.X of pool BP1 cached in a.sta and not in b.sta: total memory and cached counts differ from
// caching it in both, so the plan must keep which.
TEST_F(PlanFiles, APlanOfSomeFilesKeepsWhichFiles) {
    CoreTables tables = Load(kTwoFiles);
    ASSERT_FALSE(SharePool(tables, size_t(FindListEntry(tables.lstPools, "BP1"))));
    Choose(tables, "BP1", {0}, std::nullopt);  // DB.X of a.sta
    PlanCapture capture = CapturePlan(tables, "2", "4");
    capture.plan.files = {{"/d/a.sta", 1, 2, "aa"}, {"/e/b.sta", 3, 4, "bb"}};

    // Its own files give the same caching and figures.
    EXPECT_EQ(Items(capture.account), "");
    const std::string text = WritePlanJson(capture.plan, "/d");
    EXPECT_NE(text.find("\"version\": 2"), std::string::npos) << text;
    EXPECT_NE(text.find("\"files\": [\n\t\t\t\t\"a.sta\"\n\t\t\t]"), std::string::npos) << text;
    const PlanReadResult read = ReadPlanJson(text, "/d");
    ASSERT_TRUE(read.ok()) << read.status().ToString();
    const Plan& plan = *read;
    ASSERT_EQ(plan.objects.size(), 1u);
    EXPECT_EQ(plan.objects[0].files, std::vector<std::string>{"/d/a.sta"});

    CoreTables reopened = Reopen(tables, plan, "2", "4");
    EXPECT_EQ(CachedNames(reopened), "DB.X");
    for (size_t k = 0; k < tables.lstData.size(); ++k) {
        EXPECT_EQ(reopened.lstData[k].ItemData, tables.lstData[k].ItemData) << k;
    }
    EXPECT_EQ(RunSizing(reopened, "2", "4").pools.at(0).cacheAll, 1);
    // Saved again, nothing is said about the object and its list is the same.
    const PlanCapture again = CapturePlan(reopened, "2", "4");
    EXPECT_EQ(Items(again.account), "");
    ASSERT_EQ(again.plan.objects.size(), 1u);
    EXPECT_EQ(again.plan.objects[0].files, std::vector<std::string>{"/d/a.sta"});

    // Other files cache it where the same file is, else everywhere.
    const std::string& a = kTwoFiles[0].second;
    const std::string& b = kTwoFiles[1].second;
    const ApplyCase cases[] = {
        {"same file among others", "", "DB.X", {{"/f/c.sta", b}, {"/d/a.sta", a}}},
        {"none of its files",
         "object_cached_in_some_files|BP1|DB.X|",
         "DB.X DB.X",
         {{"/f/c.sta", a}, {"/f/d.sta", b}}},
    };
    for (const auto& c : cases) {
        CoreTables other = Load(c.files);
        const PlanAccount account = ApplyPlan(other, plan);
        EXPECT_EQ(Items(account), c.items) << c.name;
        EXPECT_EQ(CachedNames(other), c.cached) << c.name;
        if (!account.empty()) {
            EXPECT_EQ(account[0].message,
                      "Object DB.X (T) of pool BP1 was cached in a.sta only; it is now cached in "
                      "every file.");
        }
    }

    // The same file under another name is the same file.
    Put("a.sta", "x");
    fs::create_symlink(m_dir / "a.sta", m_dir / "link.sta");
    Plan linked = capture.plan;
    linked.objects[0].files = {(m_dir / "a.sta").string()};
    CoreTables other = Load({{(m_dir / "link.sta").string(), a}, {(m_dir / "b.sta").string(), b}});
    EXPECT_EQ(Items(ApplyPlan(other, linked)), "");
    EXPECT_EQ(CachedNames(other), "DB.X");
}

// A plan of version 1 caches its objects in every file, and is saved as version 2.
TEST(PlanApply, AccountsForWhatChangedInTheData) {
    const PlanReadResult plan = ReadPlanJson(
        R"({"format": "loomstead-plan", "version": 1,
            "pools": [{"name": "BP0", "cache_all": true}, {"name": "BP1"}, {"name": "BP2"}],
            "objects": [{"pool": "BP0", "name": "DB.A", "kind": "T"},
                        {"pool": "bp1", "name": "DB.X", "kind": "T"},
                        {"pool": "BP1", "name": "DB.Y", "kind": "I"},
                        {"pool": "BP2", "name": "DB.W", "kind": "T"}]})",
        "/d");
    ASSERT_TRUE(plan.ok()) << plan.status().ToString();
    const std::string bp0 = Crlf({BpsLine("BP0"), BpdLine("DB.A")});
    const std::string bp1 = Crlf({BpsLine("BP1"), BpdLine("DB.X"), BpdLine("DB.Y", 'I')});
    const std::string bp2 = Crlf({BpsLine("BP2"), BpdLine("DB.W")});
    const auto m = [](const std::string& lines) { return Files{{"/d/m.sta", lines}}; };
    const ApplyCase cases[] = {
        {"same data", "", "DB.A DB.X DB.Y DB.W", m(bp0 + bp1 + bp2)},
        {"pool gone", "pool_missing|BP2||", "DB.A DB.X DB.Y", m(bp0 + bp1)},
        {"pool now work files only", "pool_refused|BP2||/d/m.sta", "DB.A DB.X DB.Y",
         m(bp0 + bp1 + Crlf({BpsLine("BP2"), BpdLine("DSNDB07.WRK")}))},
        {"object gone", "object_missing|BP1|DB.Y|", "DB.A DB.X DB.W",
         m(bp0 + Crlf({BpsLine("BP1"), BpdLine("DB.X")}) + bp2)},
        {"object of another kind", "object_missing|BP1|DB.Y|", "DB.A DB.X DB.W",
         m(bp0 + Crlf({BpsLine("BP1"), BpdLine("DB.X"), BpdLine("DB.Y")}) + bp2)},
        {"objects new under Cache All", "object_new_under_cache_all|BP0|DB.C|",
         "DB.C DB.A DB.C DB.X DB.Y DB.W",
         m(Crlf({BpsLine("BP0"), BpdLine("DB.C"), BpdLine("DB.A"), BpdLine("DB.C")}) + bp1 + bp2)},
        {"object in two files",
         "",
         "DB.A DB.X DB.Y DB.W DB.X DB.Y",
         {{"/d/m.sta", bp0 + bp1 + bp2}, {"/d/n.sta", bp1}}},
    };
    for (const auto& c : cases) {
        CoreTables tables = Load(c.files);
        const PlanAccount account = ApplyPlan(tables, *plan);
        EXPECT_EQ(Items(account), c.items) << c.name;
        EXPECT_EQ(CachedNames(tables), c.cached) << c.name;
        // The refusal's wording is the sharing rule's own; here it must only come through.
        if (!account.empty() && account[0].kind == PlanItemKind::kPoolRefused) {
            EXPECT_NE(account[0].message.find("only DSNDB07 Objects"), std::string::npos);
        }
    }
    EXPECT_NE(WritePlanJson(*plan, "/d").find("\"version\": 2,"), std::string::npos);
}

TEST_F(PlanFiles, ChangedFilesAreToldFromTouchedOnes) {
    const std::string path = (m_dir / "m.sta").string();
    int hashes = 0;
    const FileHasher hasher = [&hashes](const std::string& p) -> std::optional<std::string> {
        ++hashes;
        return testing::ReadAll(p);
    };
    const auto write = [&path](const char* text) { std::ofstream(path) << text; };
    const auto later = [&path] {
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(10));
    };
    const std::tuple<const char*, std::function<void()>, std::string, int> cases[] = {
        {"untouched", [] {}, "", 0},
        {"touched", later, "", 1},
        {"rewritten, same size",
         [&] {
             write("abcdef");
             later();
         },
         "file_changed|||" + path, 1},
        {"grown", [&] { write("abcdefgh"); }, "file_changed|||" + path, 0},
        {"removed", [&] { fs::remove(path); }, "file_missing|||" + path, 0},
    };
    for (const auto& [name, change, items, hashCount] : cases) {
        write("ABCDEF");
        Plan plan;
        plan.files = DescribeFiles({path}, hasher);
        change();
        hashes = 0;
        EXPECT_EQ(Items(CheckPlanFiles(plan, hasher)), items) << name;
        EXPECT_EQ(hashes, hashCount) << name;
    }
}

// A plan of `version` with `rest` after that key; a plan of one object with files `files`.
std::string PlanText(int version, const std::string& rest) {
    return R"({"format": "loomstead-plan", "version": )" + std::to_string(version) + ", " + rest;
}
std::string ObjectFiles(const std::string& files) {
    return PlanText(
        2, R"("objects": [{"pool": "BP1", "name": "DB.A", "kind": "T", "files": )" + files + "}]}");
}
std::string Damaged(const std::string& why) { return "it is a damaged plan (" + why + ")"; }

TEST(PlanRead, RefusesEachBadPlanWithOneReason) {
    const std::string notAPlan = R"(it is not a plan (it has no "format": "loomstead-plan"))";
    const std::pair<std::string, std::string> cases[] = {
        {"[1, 2]", notAPlan},
        {R"({"format": "cfsizer", "version": 1})", notAPlan},
        {R"({"format": "loomstead-plan", "version": 3})",
         "it is a plan of a newer version (3) than this program reads (2)"},
        {R"({"format": "loomstead-plan", "version": "1"})",
         Damaged(R"("version" must be a whole number)")},
        {R"({"format": "loomstead-plan", "version": 1e400})", Damaged("a number is too large")},
        {R"({"format": "loomstead-plan", "version": 0})",
         Damaged(R"("version" must be 1 or more)")},
        {PlanText(1, R"("pools": [{"name": 7}]})"), Damaged(R"("pools"[0]."name" must be text)")},
        {PlanText(1, R"("pools": [{"name": "BP€"}]})"),
         Damaged(R"("pools"[0]."name" holds a character the data files cannot hold)")},
        {PlanText(1, R"("objects": {}})"), Damaged(R"("objects" must be a list)")},
        {PlanText(1, R"("objects": [{"pool": "BP1"}]})"),
         Damaged(R"("objects"[0]."name" is missing)")},
        {ObjectFiles(R"("a.sta")"), Damaged(R"("objects"[0]."files" must be a list)")},
        {ObjectFiles(R"(["a", 7, ""])"), Damaged(R"("objects"[0]."files"[1] must be text)")},
        {ObjectFiles(R"(["a", ""])"), Damaged(R"("objects"[0]."files"[1] is empty)")},
        {PlanText(2, R"("objects": [{"files": ["a\u0000b"], "pool": "BP1", "kind": "T"}]})"),
         Damaged(R"("objects"[0]."name" is missing)")},
        {ObjectFiles(R"(["a\u0000b"])"), Damaged(R"("objects"[0]."files"[0] holds a NUL byte)")},
        {PlanText(1, R"("files": [{"path": "a", "size": -1}]})"),
         Damaged(R"("files"[0]."size" must be a whole number of bytes)")},
        {PlanText(1, R"("cfrm": {"a": 1}})"), Damaged(R"("cfrm"."a" must be text)")},
        // The first fault in the order of the checks, whatever order the text has.
        {R"({"objects": [7], "cfrm": {"b": 1, "a": []}, "files": [{"path": ""}],
             "version": 1, "format": "loomstead-plan"})",
         Damaged(R"("files"[0]."path" is empty)")},
        {PlanText(1, R"("cfrm": {"b": 1, "a": []}})"), Damaged(R"("cfrm"."a" must be text)")},
        {PlanText(1, R"("cfrm": {"\n": 1}})"), Damaged(R"("cfrm"."\n" must be text)")},
        // A key named twice would leave it to the reader which value counts.
        {PlanText(1, R"("version": 2})"), Damaged(R"(plan holds the key "version" twice)")},
        {PlanText(1, R"("later": [{"x": 1, "x": 1}]})"),
         Damaged(R"(an object holds the key "x" twice)")},
        {PlanText(1, R"("version": 1)"), "it is not JSON (syntax error at byte 56)"},
        {PlanText(1, R"("x": )" + std::string(600, '[') + std::string(600, ']') + "}"),
         Damaged("lists and objects nested more than 512 deep")},
    };
    for (const auto& [text, error] : cases) {
        const PlanReadResult read = ReadPlanJson(text, "/d");
        EXPECT_FALSE(read.ok()) << text;
        EXPECT_EQ(read.status().message(), error) << text;
        // Only text that is no plan of ours at all is told apart from a plan that is unusable.
        const StatusCode code = error.starts_with("it is not ") ? StatusCode::kInvalidArgument
                                : error.starts_with("it is a plan of a newer")
                                    ? StatusCode::kNewerVersion
                                    : StatusCode::kInvalidData;
        EXPECT_EQ(read.status().code(), code) << text;
    }
}

// A named pipe, a device or a missing plan are refused as batch_sizer_test's
// RefusalsExitWithOneLineAndWriteNothing shows; text that is not JSON as main_window_test's.
TEST_F(PlanFiles, FailuresLeaveTheOldPlanWhole) {
    const std::string folder = (m_dir / "folder.loomplan").string();
    const std::string path = (m_dir / "march.loomplan").string();
    fs::create_directory(folder);
    EXPECT_EQ(ReadPlanFile(folder).status(),
              Status(StatusCode::kIoError, "it is a folder, not a plan file", folder));
    EXPECT_EQ(WritePlanFile(folder, Plan{}),
              Status(StatusCode::kInvalidArgument, "it is a folder", folder, 0, EISDIR));

    Plan plan;
    plan.membersText = "7";
    ASSERT_TRUE(WritePlanFile(path, plan).ok());
    ASSERT_EQ(ReadPlanFile(path)->membersText, "7");
    // Cut at the NUL, the name would be that of the plan just written.
    EXPECT_EQ(ReadPlanFile(path + std::string(1, '\0') + "x").status().message(),
              "its name holds a NUL byte");
    plan.objects.assign(1000, PlanObject{"BP1", "DB.X", "T", {}});
    Status error;
    {
        const testing::FileSizeLimit fullDisk(4096);
        error = WritePlanFile(path, plan);
    }
    EXPECT_EQ(error, Status(StatusCode::kIoError, "it cannot be written (File too large)", path, 0,
                            EFBIG));
    EXPECT_EQ(ReadPlanFile(path)->objects.size(), 0u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder.loomplan", "march.loomplan"}));
}

// The files a plan lists are hashed only when they are regular files, and never past their
// size at the open: /proc/self/pagemap says 0 bytes and would give gigabytes.
TEST_F(PlanFiles, OnlyRegularFilesAreReadAndNeverPastTheirSize) {
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    uint64_t hashed = 0;
    const FileHasher hasher = [&hashed](const std::string& p) -> std::optional<std::string> {
        const auto count = [&hashed](std::string_view bytes) {
            hashed += bytes.size();
            return true;
        };
        if (ReadDiskFilePieces(p, count)) {
            return std::nullopt;
        }
        return std::to_string(hashed);
    };
    const std::tuple<std::string, const char*, std::optional<FileErrorReason>> cases[] = {
        {"/proc/self/pagemap", "file_changed", FileErrorReason::kEmpty},
        {(m_dir / "fifo").string(), "file_missing", FileErrorReason::kNamedPipe},
        {"/dev/zero", "file_missing", FileErrorReason::kDevice},
    };
    for (const auto& [path, item, read] : cases) {
        Plan plan;
        plan.files = {{path, 0, 1, "0"}};
        hashed = 0;
        alarm(10);
        EXPECT_EQ(Items(CheckPlanFiles(plan, hasher)), std::string(item) + "|||" + path);
        EXPECT_EQ(ReadDiskFilePieces(path, [](std::string_view) { return true; }), read) << path;
        alarm(0);
        EXPECT_EQ(hashed, 0u) << path;
    }
}

}  // namespace
}  // namespace core

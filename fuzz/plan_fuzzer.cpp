// Feeds arbitrary bytes to the plan reader. Whatever it accepts must write back to a text it
// reads as the same plan, and must apply to loaded tables without breaking their promises: each
// pool either available or shared, cached flags only -1 or 0. The same bytes read as a plan
// file must give the same answer, and a plan path that is a named pipe, a link to /dev/zero, a
// folder or a name holding a NUL is refused. The files a plan lists resolve against a folder
// holding such paths ("fifo", "zero", "folder", "pagemap") and one regular file ("m.sta", 6
// bytes): checking and describing them must finish, and never hash past a file's size.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/file_source.h"
#include "core/plan.h"
#include "core/tables.h"
#include "core/text.h"

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

// A folder of odd files, made once for the whole run.
const std::string& OddFolder() {
    static const std::string folder = [] {
        namespace fs = std::filesystem;
        const fs::path dir =
            fs::temp_directory_path() / ("loomstead-plan-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir / "folder");
        ::mkfifo((dir / "fifo").c_str(), 0600);
        std::error_code ec;
        fs::create_symlink("/dev/zero", dir / "zero", ec);
        fs::create_symlink("/proc/self/pagemap", dir / "pagemap", ec);
        std::ofstream(dir / "m.sta") << "ABCDEF";
        return dir.string();
    }();
    return folder;
}

// The bytes each hash read, checked against the size the plan recorded.
uint64_t g_hashedBytes = 0;

std::optional<std::string> CountingHasher(const std::string& path) {
    g_hashedBytes = 0;
    const auto count = [](std::string_view bytes) {
        g_hashedBytes += bytes.size();
        return true;
    };
    if (core::ReadDiskFilePieces(path, count)) {
        return std::nullopt;
    }
    return std::to_string(g_hashedBytes);
}

void CheckOneLine(const core::PlanReadResult& read) {
    const std::string& error = read.status().message();
    if (!read.ok() && (error.empty() || error.find('\n') != std::string::npos)) {
        std::abort();  // a refusal is one line
    }
}

// The plan read from a file in the odd folder, and paths that are no plan at all.
void ReadAsFile(std::string_view text) {
    const std::string& folder = OddFolder();
    const std::string path = folder + "/plan.loomplan";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const core::PlanReadResult read = core::ReadPlanFile(path);
    const core::PlanReadResult again = core::ReadPlanJson(text, folder);
    CheckOneLine(read);
    if (read.ok() != again.ok() || read.status().message() != again.status().message() ||
        (read.ok() && !SamePlan(*read, *again))) {
        std::abort();
    }
    const std::string notPlans[] = {folder + "/fifo", folder + "/zero", folder + "/folder",
                                    path + std::string(1, '\0') + "x", folder + "/pagemap"};
    const core::PlanReadResult odd = core::ReadPlanFile(notPlans[text.size() % 5]);
    CheckOneLine(odd);
    if (odd.ok()) {
        std::abort();
    }
    if (!read.ok()) {
        return;
    }
    const core::Plan& plan = *read;
    // A file is hashed only when its size is the one recorded: never more than one byte past.
    const core::FileHasher bounded = [&plan](const std::string& hashed) {
        std::optional<std::string> hash = CountingHasher(hashed);
        bool withinSize = false;
        for (const core::PlanFile& file : plan.files) {
            withinSize = withinSize || (file.path == hashed && g_hashedBytes <= file.sizeBytes + 1);
        }
        if (!withinSize) {
            std::abort();
        }
        return hash;
    };
    (void)core::CheckPlanFiles(plan, bounded);
    std::vector<std::string> paths;
    for (const core::PlanFile& file : plan.files) {
        paths.push_back(file.path);
    }
    (void)core::DescribeFiles(paths, CountingHasher);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::PlanReadResult read = core::ReadPlanJson(text, "/plans");
    ReadAsFile(text);
    if (!read.ok()) {
        CheckOneLine(read);
        return 0;
    }
    const core::PlanReadResult again =
        core::ReadPlanJson(core::WritePlanJson(*read, "/plans"), "/plans");
    if (!again.ok() || !SamePlan(*read, *again)) {
        std::abort();
    }
    core::CoreTables tables = SmallTables();
    (void)core::ApplyPlan(tables, *read);
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

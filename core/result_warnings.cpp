#include "core/result_warnings.h"

#include <cmath>
#include <string>

#include "core/group_buffer_pools.h"
#include "core/input_files.h"
#include "core/numbers.h"
#include "core/pool_rows.h"
#include "core/record_layouts.h"
#include "core/results_csv.h"
#include "core/sizing.h"
#include "core/sizing_calcs.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

std::string Quoted(std::string_view latin1) { return "\"" + Latin1ToUtf8(latin1) + "\""; }

std::string FileOf(const CoreTables& tables, int64_t fileNo) {
    if (fileNo < 0 || static_cast<size_t>(fileNo) >= tables.lstSelectedFiles.size()) {
        return "file " + std::to_string(fileNo);
    }
    return std::string(FileNameOf(tables.lstSelectedFiles[static_cast<size_t>(fileNo)]));
}

void CheckFiles(const CoreTables& tables, std::vector<Warning>& out) {
    for (size_t i = 0; i < tables.fileHeaderAccepted.size(); ++i) {
        if (!tables.fileHeaderAccepted[i]) {
            out.push_back({"not_a_statistics_header",
                           "The header line of " + FileOf(tables, static_cast<int64_t>(i)) +
                               " is not a statistics header (it lacks \"ENV\"); its records were "
                               "read all the same."});
        }
    }
    const std::vector<InputFile> files = DescribeInputFiles(tables);
    for (size_t i = 0; i < files.size(); ++i) {
        const InputFile& file = files[i];
        if (file.repeats) {
            const std::string& earlier = files[*file.repeats].path;
            // Two copies of one name in different folders are told apart by their paths.
            const bool sameName = FileNameOf(earlier) == FileNameOf(file.path);
            const std::string copy = sameName ? file.path : FileOf(tables, static_cast<int64_t>(i));
            const std::string original = sameName ? earlier : FileOf(tables, *file.repeats);
            out.push_back({"duplicate_file",
                           copy + " repeats " + original +
                               " (the same size, header and records), so its pools and objects are "
                               "counted again."});
        }
        if (file.bytes && !file.givesPools) {
            const std::string counted =
                file.lines == 1 ? "its one line does not count."
                                : "none of its " + std::to_string(file.lines) + " lines counts.";
            out.push_back({"file_without_pools", FileOf(tables, static_cast<int64_t>(i)) +
                                                     " has no BPS line; " + counted});
        }
    }
    // Each file's collection time from its own lead record, its first stored line.
    std::string times;
    bool differ = false;
    std::string first;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].lines == 0) {
            continue;
        }
        const std::string& time = files[i].collectionTime;
        if (times.empty()) {
            first = time;
        } else {
            differ = differ || time != first;
            times += ", ";
        }
        times += FileOf(tables, static_cast<int64_t>(i)) + " " + Quoted(time);
    }
    if (differ) {
        out.push_back({"mixed_collection_times", "The files hold different collection times (" +
                                                     times +
                                                     "); the results show the first file's."});
    }
}

void CheckPool(const CoreTables& tables, const PoolRowIndex& rows, const PoolResult& pool,
               std::vector<Warning>& out) {
    const std::string name = Latin1ToUtf8(pool.pool);
    const auto gbp = GroupBufferPoolOf(pool.pool);
    if (!gbp) {
        out.push_back({"pool_without_gbp_name",
                       "Pool " + name +
                           " maps to no group buffer pool (BP0-BP49, BP8K0-BP8K9, BP16K0-BP16K9, "
                           "BP32K, BP32K1-BP32K9); the total counts its pages as 4 KB."});
    } else if (gbp->pageSizeKb != 4) {
        const std::string kb = std::to_string(gbp->pageSizeKb);
        const std::string pages = std::to_string(pool.gbpPagesAllRows);
        out.push_back(
            {"page_size_not_4k",
             "Pool " + name + " has " + kb + " KB pages: its " + pages + " GBP pages are " +
                 GbpSizeMbText(pool.gbpPagesAllRows, gbp->pageSizeKb) + " MB (" + pages + " x " +
                 kb + " / 1024), while the total memory counts them as 4 KB pages."});
    }
    for (const size_t index : rows.Rows(pool.pool)) {
        const PoolRow& row = tables.lvControl[index];
        const std::string file = FileOf(tables, row.FileNo);
        if (row.BPool != pool.pool) {
            out.push_back({"pool_name_case_differs",
                           "Pool " + name + " is spelled " + Quoted(row.BPool) + " in " + file +
                               ", so its statistics there are not read (they count as 0)."});
            continue;
        }
        const int64_t line = PoolStatisticLine(row);
        const bool vpZero = ReadPoolStatistic(tables, PoolStatistic::kVpSize, pool.pool, line) == 0;
        const bool denominatorZero =
            ReadPoolStatistic(tables, PoolStatistic::kRatioDenominator, pool.pool, line) == 0;
        if (vpZero || denominatorZero) {
            const std::string what = vpZero && denominatorZero
                                         ? "its VP size and its activity ratio's denominator read"
                                     : vpZero ? "its VP size reads"
                                              : "its activity ratio's denominator reads";
            out.push_back({"pool_statistics_zero", "In " + file + ", pool " + name + ": " + what +
                                                       " as 0, so its GBP size there may be 0."});
        }
    }
}

}  // namespace

std::vector<Warning> CheckResultWarnings(const CoreTables& tables, const SizingResult& result,
                                         std::string_view membersText, std::string_view ecsaText) {
    std::vector<Warning> out;
    CheckFiles(tables, out);
    const PoolRowIndex rows(tables);
    for (const PoolResult& pool : result.pools) {
        CheckPool(tables, rows, pool, out);
    }
    if (!result.directoryDataRatio) {
        const DirectoryRatioSums& sums = result.directoryRatioSums;
        out.push_back({"ratio_not_computable",
                       "The directory/data ratio cannot be computed: over " +
                           std::to_string(sums.tableSpaces) +
                           " qualifying table spaces, its denominator (B of the uncached ones "
                           "plus A of the cached ones) is 0."});
    }
    const double asked = LockStructureDemandMb(membersText, ecsaText);
    if (asked > static_cast<double>(kLockStructureCeilingMb)) {
        out.push_back({"lock_at_ceiling",
                       "The lock structure formula (members x ECSA / 2 x 1.1) asks for " +
                           FigureText(asked) + " Mb, more than its ceiling of " +
                           std::to_string(kLockStructureCeilingMb) + " Mb; 64 Mb is shown."});
    }
    return out;
}

}  // namespace core

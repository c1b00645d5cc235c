// Load time of generated data files: LoadDataFiles followed by CountWorkFileObjects, on a file
// whose lines fill the line store to the last 16-bit index, and on 1,050,000 lines as one file
// and as 1,500 files of 700: the many files should take little longer than the one (at most
// 1.5 x), since a load that grows per file is quadratic in the number of files.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/generated_files.h"
#include "core/loader.h"
#include "core/tables.h"

namespace {

// File `copy` of `lines` lines (header included); empty when it cannot be written.
const std::string& FileOfLines(int64_t lines, int64_t copy) {
    samplegen::Options options;
    options.lines = lines;
    return GeneratedFiles::Instance().Get(
        "load-" + std::to_string(lines) + "-" + std::to_string(copy) + ".sta", options);
}

// Arguments: files, lines of each file.
void BM_LoadDataFiles(benchmark::State& state) {
    const int64_t files = state.range(0);
    const int64_t fileLines = state.range(1);
    std::vector<std::string> paths;
    for (int64_t copy = 0; copy < files; ++copy) {
        paths.push_back(FileOfLines(fileLines, copy));
        if (paths.back().empty()) {
            state.SkipWithError("cannot write the generated data file");
            return;
        }
    }
    const core::DiskFileSource source;
    // One set of tables reloaded over and over, as the program reloads when the files change.
    core::CoreTables tables;
    uint64_t bytes = 0;
    for (auto _ : state) {
        tables.lstSelectedFiles = paths;
        const core::LoadResult result = core::LoadDataFiles(tables, source);
        if (!result.ok()) {
            state.SkipWithError(core::LoadFailureDetail(result.status).c_str());
            return;
        }
        core::CountWorkFileObjects(tables);
        bytes = result.totalBytes;
        benchmark::DoNotOptimize(tables.lvControl.data());
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    const auto lines = static_cast<double>(files * fileLines);
    state.counters["lines"] = lines;
    state.counters["lines_per_s"] =
        benchmark::Counter(lines * iterations, benchmark::Counter::kIsRate);
    state.counters["pool_rows"] = static_cast<double>(tables.lvControl.size());
}

// 32,768 file lines store 32,767 lines (the header is not stored).
BENCHMARK(BM_LoadDataFiles)
    ->Args({1, 32'768})
    ->Args({1, 1'050'000})
    ->Args({1'500, 700})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

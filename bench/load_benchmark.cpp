// Load time of generated data files: LoadDataFiles followed by CountWorkFileObjects, on a file
// whose lines fill the line store to the last 16-bit index and on a million-line file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "generated_files.h"
#include "loader.h"
#include "tables.h"

namespace {

// A file of `lines` lines (header included); empty when it cannot be written.
const std::string& FileOfLines(int64_t lines) {
    samplegen::Options options;
    options.lines = lines;
    return GeneratedFiles::Instance().Get("load-" + std::to_string(lines) + ".sta", options);
}

void BM_LoadDataFiles(benchmark::State& state) {
    const int64_t fileLines = state.range(0);
    const std::string& path = FileOfLines(fileLines);
    if (path.empty()) {
        state.SkipWithError("cannot write the generated data file");
        return;
    }
    const core::DiskFileSource source;
    // One set of tables reloaded over and over, as the program reloads when the files change.
    core::CoreTables tables;
    uint64_t bytes = 0;
    for (auto _ : state) {
        tables.lstSelectedFiles = {path};
        const core::LoadResult result = core::LoadDataFiles(tables, source);
        if (!result.ok()) {
            state.SkipWithError(result.error->Detail().c_str());
            return;
        }
        core::CountWorkFileObjects(tables);
        bytes = result.totalBytes;
        benchmark::DoNotOptimize(tables.lvControl.data());
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    state.counters["lines"] = static_cast<double>(fileLines);
    state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(fileLines) * iterations,
                                                       benchmark::Counter::kIsRate);
    state.counters["pool_rows"] = static_cast<double>(tables.lvControl.size());
}

// 32,768 file lines store 32,767 lines (the header is not stored).
BENCHMARK(BM_LoadDataFiles)
    ->Arg(32'768)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

// Time of the sizing run against the load of the same million-line file (the run should take at
// most a quarter of the load, the 32-point member sweep at most half), and of selecting a pool of
// 100,000 objects on the objects page.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/generated_files.h"
#include "core/loader.h"
#include "core/object_selection.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/tables.h"

namespace {

// A file of `lines` lines (header included) over `pools`, with no pool that holds only work
// files, so that every pool can be shared. Empty when it cannot be written.
const std::string& FileOfPools(int64_t lines, const std::vector<std::string>& pools) {
    samplegen::Options options;
    options.lines = lines;
    options.pools = pools;
    options.workFileOnlyPools = {};
    return GeneratedFiles::Instance().Get(
        "sizing-" + std::to_string(lines) + "-" + std::to_string(pools.size()) + ".sta", options);
}

constexpr int64_t kMillionLines = 1'000'000;
const std::vector<std::string> kManyPools = {"BP0", "BP1", "BP2", "BP3",   "BP4",
                                             "BP5", "BP7", "BP8", "BP16K", "BP32K"};

// Loads and counts work files; false (with the reason in `state`) on failure.
bool Load(benchmark::State& state, core::CoreTables& tables, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("cannot write the generated data file");
        return false;
    }
    tables.lstSelectedFiles = {path};
    const core::LoadResult result = core::LoadDataFiles(tables, core::DiskFileSource{});
    if (!result.ok()) {
        state.SkipWithError(core::LoadFailureDetail(result.status).c_str());
        return false;
    }
    core::CountWorkFileObjects(tables);
    return true;
}

// The load of the file the sizing run below works on, for the comparison.
void BM_LoadForSizing(benchmark::State& state) {
    const std::string& path = FileOfPools(kMillionLines, kManyPools);
    core::CoreTables tables;
    for (auto _ : state) {
        if (!Load(state, tables, path)) {
            return;
        }
        benchmark::DoNotOptimize(tables.lvControl.data());
    }
    state.counters["lines"] = static_cast<double>(tables.lstData.size());
}
BENCHMARK(BM_LoadForSizing)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every pool shared, every third object line cached; false (with the reason) on failure.
bool ShareAndCache(benchmark::State& state, core::CoreTables& tables) {
    if (!Load(state, tables, FileOfPools(kMillionLines, kManyPools))) {
        return false;
    }
    const std::vector<core::ShareRefusal> refusals = core::ShareAllPools(tables);
    if (!refusals.empty()) {
        state.SkipWithError(refusals.front().message.c_str());
        return false;
    }
    core::RebuildSharedPoolList(tables);
    int64_t cached = 0;
    for (const core::PoolRow& row : tables.lvControl) {
        if (!row.HasObjectRange()) {
            continue;
        }
        for (int32_t k = *row.StartObjectIndex; k <= *row.EndObjectIndex; k += 3) {
            tables.lstData[static_cast<size_t>(k)].ItemData = -1;
            ++cached;
        }
    }
    state.counters["pools"] = static_cast<double>(tables.lstSharedPools.size());
    state.counters["cached"] = static_cast<double>(cached);
    return true;
}

void BM_RunSizing(benchmark::State& state) {
    core::CoreTables tables;
    if (!ShareAndCache(state, tables)) {
        return;
    }
    for (auto _ : state) {
        core::SizingResult result = core::RunSizing(tables, "2", "4");
        benchmark::DoNotOptimize(result.totalMemoryMb);
    }
}
BENCHMARK(BM_RunSizing)->Unit(benchmark::kMillisecond)->UseRealTime();

// The What If sweep: 1 to 32 members on the same tables, traces included.
void BM_SweepMembers32(benchmark::State& state) {
    core::CoreTables tables;
    if (!ShareAndCache(state, tables)) {
        return;
    }
    for (auto _ : state) {
        std::vector<core::SweepPoint> points = core::SweepMembers(tables, "4", {1, 32});
        benchmark::DoNotOptimize(points.back().result.totalMemoryMb);
    }
}
BENCHMARK(BM_SweepMembers32)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of the sweep the What If page runs: 1 to 32 members from a basis the session keeps.
void BM_SweepFromBasis32(benchmark::State& state) {
    core::CoreTables tables;
    if (!ShareAndCache(state, tables)) {
        return;
    }
    const core::SizingBasis basis = core::PrepareSizing(tables);
    for (auto _ : state) {
        std::vector<core::SweepPoint> points = core::SweepMembers(basis, "4", {1, 32});
        benchmark::DoNotOptimize(points.back().result.totalMemoryMb);
    }
}
BENCHMARK(BM_SweepFromBasis32)->Unit(benchmark::kMillisecond)->UseRealTime();

// One pool of 100,000 objects selected on the objects page.
void BM_ShowPoolObjects(benchmark::State& state) {
    const int64_t objects = 100'000;
    core::CoreTables tables;
    // Header, lead record and the pool's BPS record come before the objects.
    if (!Load(state, tables, FileOfPools(objects + 3, {"BP1"}))) {
        return;
    }
    (void)core::ShareAllPools(tables);
    core::RebuildSharedPoolList(tables);
    core::PoolObjects page;
    for (auto _ : state) {
        core::ShowPoolObjects(tables, "BP1", page);
        benchmark::DoNotOptimize(page.lines.data());
    }
    state.counters["listed"] = static_cast<double>(page.listed);
}
BENCHMARK(BM_ShowPoolObjects)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

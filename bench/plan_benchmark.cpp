// Applying a plan of 100,000 cached objects to a million-line collection, to be set beside the
// time BM_LoadDataFiles takes to load the same collection (the goal: at most half of it).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/generated_files.h"
#include "core/loader.h"
#include "core/plan.h"
#include "core/pool_sharing.h"
#include "core/tables.h"

namespace {

constexpr int64_t kLines = 1'000'000;
constexpr size_t kPlanObjects = 100'000;

void BM_ApplyPlan(benchmark::State& state) {
    samplegen::Options options;
    options.lines = kLines;
    const std::string& path = GeneratedFiles::Instance().Get("load-1000000.sta", options);
    const core::DiskFileSource source;
    core::CoreTables tables;
    tables.lstSelectedFiles = {path};
    if (path.empty() || !core::LoadDataFiles(tables, source).ok()) {
        state.SkipWithError("cannot load the generated data file");
        return;
    }
    core::CountWorkFileObjects(tables);
    // Every object of every shareable pool cached, then the plan cut to its first 100,000.
    (void)core::ShareAllPools(tables);
    for (core::DataLine& line : tables.lstData) {
        line.ItemData = -1;
    }
    core::Plan plan = core::CapturePlan(tables, "1", "4").plan;
    if (plan.objects.size() < kPlanObjects) {
        state.SkipWithError("the collection holds fewer distinct objects than the plan needs");
        return;
    }
    plan.objects.resize(kPlanObjects);
    plan.pools.back().cacheAll = true;

    size_t items = 0;
    for (auto _ : state) {
        items = core::ApplyPlan(tables, plan).size();
        benchmark::DoNotOptimize(tables.lstData.data());
    }
    state.counters["plan_objects"] = static_cast<double>(plan.objects.size());
    state.counters["account_items"] = static_cast<double>(items);
}

BENCHMARK(BM_ApplyPlan)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

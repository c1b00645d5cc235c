// The shared-objects page with a pool of 100,000 objects: choosing the pool until the list is
// painted, and "Cache All Objects" on all of them. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QListView>
#include <QPixmap>
#include <QTest>
#include <QTreeView>
#include <string>

#include "objects_page.h"
#include "tables.h"

namespace {

constexpr int kObjects = 100000;

// One shared pool, BP1, whose object lines are all of the line store.
void FillTables(core::CoreTables& tables) {
    for (int i = 0; i < kObjects; ++i) {
        tables.AppendLine(std::string(29, ' ') + "DBBENCH.TS" + std::to_string(i), i % 2 ? -1 : 0);
    }
    core::PoolRow row;
    row.BPool = "BP1";
    row.StartObjectIndex = 0;
    row.EndObjectIndex = kObjects - 1;
    tables.lvControl.push_back(row);
    tables.lvSharedPools.push_back({"BP1", kObjects});
    core::RebuildSharedPoolList(tables);
}

struct Page {
    core::CoreTables tables;
    ui::ObjectsPage* page = nullptr;
    QListView* pools = nullptr;

    Page() {
        FillTables(tables);
        page = new ui::ObjectsPage(tables);
        page->resize(800, 540);
        page->reloadPoolList();
        page->show();
        if (!QTest::qWaitForWindowExposed(page)) {
            qFatal("the page was never shown");
        }
        pools = page->findChild<QListView*>("lstSharedPools");
    }
    ~Page() { delete page; }

    void choosePool() {
        pools->selectionModel()->setCurrentIndex(pools->model()->index(0, 0),
                                                 QItemSelectionModel::ClearAndSelect);
    }
};

void BM_ChooseAPoolOf100000Objects(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        state.PauseTiming();
        page.page->clearObjects();
        QApplication::processEvents();
        state.ResumeTiming();
        page.choosePool();
        benchmark::DoNotOptimize(page.page->grab());  // the first paint of the list
    }
    if (page.page->sharedObjectsView()->model()->rowCount() != kObjects) {
        state.SkipWithError("the objects were not listed");
    }
}
BENCHMARK(BM_ChooseAPoolOf100000Objects)->Unit(benchmark::kMillisecond);

void BM_CacheAll100000Objects(benchmark::State& state) {
    Page page;
    page.choosePool();
    auto* box = page.page->findChild<QCheckBox*>("chkCacheAllObjects");
    for (auto _ : state) {
        box->click();  // checked and unchecked in turn
        benchmark::DoNotOptimize(page.page->grab());
    }
}
BENCHMARK(BM_CacheAll100000Objects)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

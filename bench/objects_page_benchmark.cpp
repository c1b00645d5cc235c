// The shared-objects page with a pool of 100,000 objects: choosing the pool until the list is
// painted, and "Cache All Objects" on all of them; and typing in the filter of a pool of
// 1,000,000 objects until the list is painted. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QTest>
#include <QTreeView>
#include <string>

#include "ui/objects_page.h"
#include "core/tables.h"

namespace {

constexpr int kObjects = 100000;
constexpr int kFilteredObjects = 1000000;

// One shared pool, BP1, whose object lines are all of the line store.
void FillTables(core::CoreTables& tables, int objects) {
    for (int i = 0; i < objects; ++i) {
        tables.AppendLine(std::string(29, ' ') + "DBBENCH.TS" + std::to_string(i), i % 2 ? -1 : 0);
    }
    core::PoolRow row;
    row.BPool = "BP1";
    row.StartObjectIndex = 0;
    row.EndObjectIndex = objects - 1;
    tables.lvControl.push_back(row);
    tables.lvSharedPools.push_back({"BP1", objects});
    core::RebuildSharedPoolList(tables);
}

struct Page {
    core::CoreTables tables;
    ui::ObjectsPage* page = nullptr;
    QListView* pools = nullptr;

    explicit Page(int objects = kObjects) {
        FillTables(tables, objects);
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

// A text held by one name in ten (TS12 in TS12, TS120-TS129, TS1200-...), typed at once, then
// taken away.
void BM_Filter1000000Objects(benchmark::State& state) {
    Page page(kFilteredObjects);
    page.choosePool();
    auto* filter = page.page->findChild<QLineEdit*>("txtObjectFilter");
    const QAbstractItemModel* model = page.page->sharedObjectsView()->model();
    int shown = 0;
    for (auto _ : state) {
        filter->setText(QStringLiteral("dbbench.ts12"));
        benchmark::DoNotOptimize(page.page->grab());
        shown = model->rowCount();
        state.PauseTiming();
        filter->clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    if (shown != 11111) {
        state.SkipWithError("the filter showed other rows");
    }
}
BENCHMARK(BM_Filter1000000Objects)->Unit(benchmark::kMillisecond);

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

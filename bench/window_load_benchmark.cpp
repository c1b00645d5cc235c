// The main window's load of a million-line file, from leaving the files page until the pools
// page has painted, beside the batch sizer's load of the same file (LoadDataFiles and
// CountWorkFileObjects into fresh tables). Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <optional>
#include <string>

#include "ui/dialogs.h"
#include "ui/files_page.h"
#include "bench/generated_files.h"
#include "core/loader.h"
#include "ui/main_window.h"
#include "core/tables.h"

namespace {

constexpr int64_t kLines = 1'000'000;

const std::string& MillionLineFile() {
    samplegen::Options options;
    options.lines = kLines;
    return GeneratedFiles::Instance().Get("window-load-1000000.sta", options);
}

class SilentMessages : public ui::MessageSink {
public:
    void showMessage(ui::MessageIcon, const QString&, const QString& text,
                     const QString& detail) override {
        qWarning("message: %s %s", qPrintable(text), qPrintable(detail));
    }
};

class OneFileChooser : public ui::FileChooser {
public:
    explicit OneFileChooser(QString path) : m_path(std::move(path)) {}
    std::optional<QString> chooseDataFile(QWidget*) override {
        ++requests;
        return m_path;
    }
    int requests = 0;

private:
    QString m_path;
};

void BM_BatchSizerLoad(benchmark::State& state) {
    const std::string& path = MillionLineFile();
    const core::DiskFileSource source;
    for (auto _ : state) {
        core::CoreTables tables;
        tables.lstSelectedFiles = {path};
        const core::LoadResult result = core::LoadDataFiles(tables, source);
        if (!result.ok()) {
            state.SkipWithError(core::LoadFailureDetail(result.status).c_str());
            return;
        }
        core::CountWorkFileObjects(tables);
        benchmark::DoNotOptimize(tables.lvControl.data());
    }
}
BENCHMARK(BM_BatchSizerLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowLoad(benchmark::State& state) {
    SilentMessages messages;
    OneFileChooser chooser(QString::fromStdString(MillionLineFile()));
    ui::MainWindow window(messages, chooser, QString());
    window.show();
    if (!QTest::qWaitFor([&] { return chooser.requests == 1; }, 5000)) {
        state.SkipWithError("the window did not ask for the file");
        return;
    }
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    auto* files = window.findChild<ui::FilesPage*>();
    for (auto _ : state) {
        state.PauseTiming();
        pages->setCurrentIndex(ui::MainWindow::kFilesPage);
        files->addFile();  // the same file again: the list counts as changed
        QApplication::processEvents();
        state.ResumeTiming();
        pages->setCurrentIndex(ui::MainWindow::kPoolsPage);
        benchmark::DoNotOptimize(pages->currentWidget()->grab());
    }
    if (pages->currentIndex() != ui::MainWindow::kPoolsPage || window.tables().lstPools.empty()) {
        state.SkipWithError("the window did not load the file");
    }
}
BENCHMARK(BM_WindowLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// Walks the desktop program through the bundled samples as a user would and saves a picture of
// the title window and of every page: scripts/screenshots.sh runs it. Not a test.
//
//   screenshot_tour SAMPLES_DIR OUTPUT_DIR
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include "main_window.h"
#include "report_dialogs.h"
#include "results_page.h"
#include "scripted_seams.h"
#include "title_window.h"
#include "what_if_page.h"

namespace {

bool Save(QWidget& window, const QDir& out, const QString& name) {
    const QString path = out.filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void ClickTab(QTabWidget& pages, int page) {
    QTabBar* bar = pages.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

void ClickButton(QWidget& window, const QString& name) {
    if (auto* button = window.findChild<QPushButton*>(name)) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        std::fprintf(stderr, "no button %s\n", qPrintable(name));
    }
}

// Selects the row of a list by a click on it.
void ClickRow(QAbstractItemView& view, int row) {
    const QModelIndex index = view.model()->index(row, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
}

// Exports to a prepared path; never prints.
class PreparedReportDialogs : public ui::ReportDialogs {
public:
    explicit PreparedReportDialogs(QString path) : m_path(std::move(path)) {}
    std::optional<QString> chooseExportPath(QWidget*) override { return m_path; }
    bool setUpPrinter(QPrinter&, QWidget*) override { return false; }

private:
    QString m_path;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_tour SAMPLES_DIR OUTPUT_DIR\n");
        return 2;
    }
    const QDir samples(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir settingsDir;  // the user's own column widths stay out of the pictures
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());

    ui::RecordingMessageSink messages;
    ui::ScriptedFileChooser chooser;
    chooser.willChoose(samples.filePath(QStringLiteral("db1a.sta")));
    chooser.willChoose(samples.filePath(QStringLiteral("db1b.sim")));

    std::unique_ptr<ui::MainWindow> window;
    ui::TitleWindow title([&]() -> QWidget* {
        window = std::make_unique<ui::MainWindow>(
            messages, chooser,
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Filemove.avi")));
        return window.get();
    });
    title.show();
    bool ok = Save(title, out, QStringLiteral("0-title.png"));
    if (!QTest::qWaitFor([&] { return window && chooser.requests == 1; }, 5000)) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    if (!QTest::qWaitForWindowExposed(window.get())) {
        return 1;
    }
    auto* pages = window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));

    ClickButton(*window, QStringLiteral("cmdAdd"));  // the second sample
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("1-select-files.png")) && ok;

    ClickTab(*pages, 1);
    ClickButton(*window, QStringLiteral("cmdShareAllPools"));
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("2-select-shared-pools.png")) && ok;

    ClickTab(*pages, 2);
    if (auto* pools = window->findChild<QAbstractItemView*>(QStringLiteral("lstSharedPools"))) {
        ClickRow(*pools, 1);
    }
    if (auto* objects = window->findChild<QAbstractItemView*>(QStringLiteral("lvSharedObjects"))) {
        for (int row : {0, 1, 3}) {
            objects->setCurrentIndex(objects->model()->index(row, 0));
            QTest::keyClick(objects, Qt::Key_Space);
        }
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("3-select-shared-objects.png")) && ok;

    ClickTab(*pages, 3);
    if (auto* results = window->findChild<QTreeView*>(QStringLiteral("lvResults"))) {
        QHeaderView* header = results->header();
        const int column = 5;  // GBP Size, twice: descending
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("4-view-results.png")) && ok;

    // The trace of the pool on top (the largest GBP) and the report it exports.
    if (auto* results = window->findChild<QTreeView*>(QStringLiteral("lvResults"))) {
        ClickRow(*results, 0);
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("report-results.png")) && ok;
    PreparedReportDialogs reportDialogs(out.filePath(QStringLiteral("report-sample.pdf")));
    window->resultsPage()->setReportDialogs(reportDialogs);
    ClickButton(*window, QStringLiteral("cmdExport"));

    ClickTab(*pages, 4);
    auto* whatIf = window->findChild<ui::WhatIfPage*>();
    ok = QTest::qWaitFor([&] { return whatIf && whatIf->table()->rowCount() == 8; }, 10000) && ok;
    QTest::qWait(300);  // the chart's animation-free redraw
    ok = Save(*window, out, QStringLiteral("report-what-if.png")) && ok;

    window->close();
    for (const ui::RecordedMessage& message : messages.messages) {
        std::fprintf(stderr, "message: %s: %s %s\n", qPrintable(message.title),
                     qPrintable(message.text), qPrintable(message.detail));
    }
    // The samples hold a pool of work files only, so Share All shows one refusal; a read
    // error would spoil the pictures.
    for (const ui::RecordedMessage& message : messages.messages) {
        if (message.icon == ui::MessageIcon::kCritical) {
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

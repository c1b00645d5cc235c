// The main window as the user drives it: start-up through the title window, pages made
// reachable, files loaded on leaving the files page, the sizing run on entering the results page,
// column widths kept across runs; and its frame around the pages, driven by keys, menus and
// drops: the File and Help menus, plans and files from the command line and from a drop, Open
// Recent, and the question before unsaved choices are lost.
#include "main_window.h"

#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "../core/file_size_limit.h"
#include "../core/test_lines.h"
#include "cfrm_dialog.h"
#include "file_source.h"
#include "objects_page.h"
#include "plan.h"
#include "plan_account_dialog.h"
#include "pools_page.h"
#include "recent_files.h"
#include "report_dialogs.h"
#include "results_page.h"
#include "scripted_seams.h"
#include "tables.h"
#include "test_tables.h"
#include "title_window.h"
#include "what_if_page.h"

using core::testing::BpsLine;
using ui::MainWindow;

namespace {

const std::string kHeader(core::testing::kHeader);
const std::string kLead = core::testing::Put("LEAD", 142, "10.00.00");

// Reads from disk after a pause per file, long enough to act while the load runs.
class SlowFileSource : public core::FileSource {
public:
    std::optional<core::FileErrorReason> Read(const std::string& path,
                                              core::FileContents& out) const override {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return core::DiskFileSource().Read(path, out);
    }
};

// Every read waits until released, as a read on a dead network file system does.
class HungFileSource : public core::FileSource {
public:
    std::optional<core::FileErrorReason> Read(const std::string& path,
                                              core::FileContents& out) const override {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_started;
            m_releasedChanged.wait(lock, [this] { return m_released; });
        }
        const std::optional<core::FileErrorReason> failure = core::DiskFileSource().Read(path, out);
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_ended;
        return failure;
    }
    void release() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_releasedChanged.notify_all();
    }
    int started() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_started;
    }
    int ended() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_ended;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_releasedChanged;
    bool m_released = false;
    mutable int m_started = 0;
    mutable int m_ended = 0;
};

class RecordingAccountSink : public ui::PlanAccountSink {
public:
    void showAccount(const QString& title, const core::PlanAccount& account) override {
        titles.append(title);
        accounts.push_back(account);
    }
    QStringList titles;
    std::vector<core::PlanAccount> accounts;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void titleWindowHandsOverToTheMainWindowOnce();
    void pagesBecomeReachableByTheEventsThatEnableThem();
    void filesLoadOnLeavingThePageOnlyAfterTheListChanged();
    void failedOrCancelledLoadKeepsTheFilesPageAndTheTables();
    void hungReadGivesWayToEveryWayOut_data();
    void hungReadGivesWayToEveryWayOut();
    void planHashingGivesWayToEsc();
    void leavingWhatIfStopsItsSweep();
    void headerWithoutEnvWarnsOncePerFile();
    void resultsPageRunsTheSizingStepByStep();
    void columnWidthsAreStoredAtCloseAndRestoredAtStart();
    void wizardWorksWithTheKeyboardAlone();
    void typedNumbersReachTheSizingOrAreRefused_data();
    void typedNumbersReachTheSizingOrAreRefused();
    void listsShowWholeCaptionsAndSelectTheFirstEntryOnDown();
    void everyControlHasAnAccessibleName();
    void objectsPageIsRebuiltAndAddingAFileKeepsTheChoices();
    void plansOpenOnlyWhenWholeAndSaveTheChoices();
    void addFilesAndHelpRunFromTheKeyboard();
    void pathsOpenByKind_data();
    void pathsOpenByKind();
    void recentEntryOfAGoneFileIsTakenOff();
    void planIsSavedMarkedAskedForAndOpenedFromTheCommandLine();
    void failedSaveShowsWhyAndKeepsTheMarkAndTheOldPlan();
    void eachPageSaysHowToGoOn_data();
    void eachPageSaysHowToGoOn();
    void whatIfComesWithTheResultsHoweverAPlanOpens_data();
    void whatIfComesWithTheResultsHoweverAPlanOpens();
    void openPlanOpensPlansOnly();
    void undoTakesBackSharesAndObjectChoicesStepByStep();
    void resultsMenuAndKeysActOnTheResultsShown();

private:
    // Shows the window. With no `startPaths` the first activation asks for a file and gets
    // `firstFile` (empty: the user cancels); with them it opens them and asks nothing.
    void start(const QString& firstFile = {}, const QStringList& startPaths = {});
    // Clicks the tab of `page`; `landsOn` is the page expected current after it (-1: `page`).
    void clickTab(int page, int landsOn = -1);
    void clickButton(const QString& name) { ui::ClickButton(m_window.get(), name); }
    QString writeFile(const QString& name, const std::vector<std::string>& lines = {kHeader});
    void removeFirstFile();
    QList<bool> enabledPages() const;
    QStringList availablePools() const;
    QStringList listedFiles() const;
    QString labelText(const QString& name) const;
    QMenu* openMenu(Qt::Key mnemonic);
    QAbstractSpinBox* bumpMembers();
    // Drops `urls` from a file manager on the file list, which passes them to the window.
    void dropOnFileList(const QList<QUrl>& urls);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ui::RecordingMessageSink> m_messages;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<RecordingAccountSink> m_accounts;
    std::unique_ptr<MainWindow> m_window;
    QTabWidget* m_pages = nullptr;
};

void MainWindowTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir->filePath(QStringLiteral("settings")));
    m_messages = std::make_unique<ui::RecordingMessageSink>();
    m_chooser = std::make_unique<ui::ScriptedFileChooser>();
    m_accounts = std::make_unique<RecordingAccountSink>();
}

void MainWindowTest::cleanup() { m_window.reset(); }  // before the seams it was given

void MainWindowTest::start(const QString& firstFile, const QStringList& startPaths) {
    const int asked = m_chooser->requests + (startPaths.isEmpty() ? 1 : 0);
    if (!firstFile.isEmpty()) {
        m_chooser->willChoose(firstFile);
    }
    m_window = std::make_unique<MainWindow>(*m_messages, *m_chooser, QString());
    m_window->setPlanAccountSink(*m_accounts);
    m_window->openAtStart(startPaths);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::qWait(20);  // the first showing's queued work
    QTRY_COMPARE(m_chooser->requests, asked);
    m_pages = m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    QVERIFY(m_pages);
}

void MainWindowTest::clickTab(int page, int landsOn) {
    QTabBar* bar = m_pages->tabBar();
    QVERIFY2(bar->isTabEnabled(page), qPrintable(QStringLiteral("page %1 disabled").arg(page)));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(m_pages->currentIndex(), landsOn < 0 ? page : landsOn);
}

QString MainWindowTest::writeFile(const QString& name, const std::vector<std::string>& lines) {
    QFile file(m_dir->filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        for (const std::string& line : lines) {
            file.write((line + "\r\n").c_str());
        }
    }
    return file.fileName();
}

void MainWindowTest::removeFirstFile() {
    m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->setCurrentRow(0);
    clickButton(QStringLiteral("cmdRemove"));
}

QList<bool> MainWindowTest::enabledPages() const {
    QList<bool> enabled;
    for (int i = 0; i < m_pages->count(); ++i) {
        enabled.append(m_pages->isTabEnabled(i) && m_pages->isTabVisible(i));
    }
    return enabled;
}

QStringList MainWindowTest::availablePools() const {
    QStringList pools;
    for (const std::string& pool : m_window->tables().lstPools) {
        pools.append(QString::fromStdString(pool));
    }
    return pools;
}

QStringList MainWindowTest::listedFiles() const {
    QStringList paths;
    const auto* list = m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"));
    for (int i = 0; i < list->count(); ++i) {
        paths.append(QFileInfo(list->item(i)->text()).fileName());
    }
    return paths;
}

// Alt plus the menu's underlined letter, as the user opens it.
QMenu* MainWindowTest::openMenu(Qt::Key mnemonic) {
    QTest::keyClick(m_window.get(), mnemonic, Qt::AltModifier);
    if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) {
        return nullptr;
    }
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// One more member, typed as the user would: the choices now differ from the plan's.
QAbstractSpinBox* MainWindowTest::bumpMembers() {
    auto* members = m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"));
    members->setFocus();
    QTest::keyClick(members, Qt::Key_Up);
    return members;
}

// The file list takes no drops itself: the window does.
void MainWindowTest::dropOnFileList(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QWidget* target =
        m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent* event :
         {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop}) {
        QApplication::sendEvent(target, event);
        QVERIFY(event->isAccepted());
    }
}

QString MainWindowTest::labelText(const QString& name) const {
    const auto* label = m_window->findChild<QLabel*>(name);
    return label == nullptr ? QStringLiteral("<no %1>").arg(name) : label->text();
}

void MainWindowTest::titleWindowHandsOverToTheMainWindowOnce() {
    int created = 0;
    ui::TitleWindow title([&]() -> QWidget* {
        ++created;
        m_window = std::make_unique<MainWindow>(*m_messages, *m_chooser, QString());
        return m_window.get();
    });
    QCOMPARE(title.windowTitle(), "Loomstead ");
    QVERIFY(!title.accessibleName().isEmpty());
    // The title is seen while the first file is asked for, with the main window behind it.
    bool titleShownWhileAsked = false;
    m_chooser->whileAsked = [&] {
        titleShownWhileAsked = title.isVisible() && m_window && m_window->isVisible();
    };
    title.show();
    QCOMPARE(created, 0);

    QTRY_VERIFY(m_window && m_window->isVisible());
    QTRY_VERIFY(!title.isVisible());
    QTRY_COMPARE(m_chooser->requests, 1);
    QVERIFY(titleShownWhileAsked);
    QTest::qWait(60);
    QCOMPARE(created, 1);
    QCOMPARE(m_chooser->requests, 1);
    QCOMPARE(m_window->windowTitle(), "Loomstead");
    QCOMPARE(m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"))->currentIndex(), 0);
}

void MainWindowTest::pagesBecomeReachableByTheEventsThatEnableThem() {
    start();
    auto* pools = m_window->findChild<ui::PoolsPage*>();
    auto* objects = m_window->findChild<ui::ObjectsPage*>();
    QVERIFY(pools && objects);
    const QString file = writeFile("a.sta", {kHeader, kLead, BpsLine("BP0")});

    struct Step {
        const char* event;
        std::function<void()> act;
        QList<bool> pages;
    };
    const QList<Step> steps = {
        {"cancelled dialog at start-up", [] {}, {true, false, false, false, false}},
        {"Add File picks a file",
         [&] {
             m_chooser->willChoose(file);
             clickButton(QStringLiteral("cmdAdd"));
         },
         {true, true, false, false, false}},
        {"a pool is shared",
         [&] { emit pools->sharedPagesEnabled(true); },
         {true, true, true, true, true}},
        {"the last shared pool is removed",
         [&] { emit pools->sharedPagesEnabled(false); },
         {true, true, false, false, false}},
        {"an object's check mark changes",
         [&] { emit objects->resultsPageEnabled(); },
         {true, true, false, true, true}},
        {"the only file is removed", [&] { removeFirstFile(); }, {true, true, false, true, true}},
    };
    for (const Step& step : steps) {
        step.act();
        QVERIFY2(enabledPages() == step.pages, step.event);
    }
    QVERIFY(m_window->tables().lstSelectedFiles.empty());
}

void MainWindowTest::filesLoadOnLeavingThePageOnlyAfterTheListChanged() {
    const QString file = writeFile("a.sta", {kHeader, kLead, BpsLine("BP0")});
    start(file);
    clickTab(1);
    QCOMPARE(availablePools(), QStringList({"BP0"}));
    emit m_window->findChild<ui::PoolsPage*>()->sharedPagesEnabled(true);
    clickTab(0);
    writeFile("a.sta", {kHeader, kLead, BpsLine("BP0"), BpsLine("BP5")});
    clickTab(1);
    QCOMPARE(availablePools(), QStringList({"BP0"}));  // the file list did not change
    clickTab(0);
    m_chooser->willChoose(file);  // listed already, but the list counts as changed
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(2);  // straight past page 1: loads all the same
    QCOMPARE(availablePools(), QStringList({"BP0", "BP5"}));
    QVERIFY(m_window->tables().lstSharedPools.empty());
    QCOMPARE(enabledPages(), QList<bool>({true, true, true, true, true}));
    QVERIFY(m_messages->messages.isEmpty());
}

void MainWindowTest::failedOrCancelledLoadKeepsTheFilesPageAndTheTables() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    m_chooser->willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(1);
    const QStringList pools = {"BP0", "BP1", "BP2", "BP3", "BP32K", "BP7"};
    QCOMPARE(availablePools(), pools);
    QCOMPARE(labelText("lblDataSize"), "0.24 Mb");  // 134,385 + 115,996 bytes
    clickTab(0);
    const QString missing = m_dir->filePath(QStringLiteral("gone.sta"));
    m_chooser->willChoose(missing);
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(1, 0);
    QCOMPARE(m_messages->messages.size(), 1);
    const ui::RecordedMessage& shown = m_messages->messages.first();
    QCOMPARE(shown.icon, ui::MessageIcon::kCritical);
    QCOMPARE(shown.title, "Loomstead");
    QCOMPARE(shown.text, "Error reading data file. Please contact Quellmont");
    QVERIFY2(shown.detail.startsWith("File: " + missing + "\nReason: "), qPrintable(shown.detail));
    QVERIFY(!m_window->findChild<QProgressBar*>("pbReadFile")->isVisible());
    QCOMPARE(labelText("lblDataSize"), "0.24 Mb");  // of the load still in force
    QCOMPARE(availablePools(), pools);
    QVERIFY(m_window->tables().FilesChanged);

    // Esc during a slow load cancels it; a click on Remove File meanwhile is dropped.
    writeFile("gone.sta", {kHeader, kLead, BpsLine("BP9")});
    static const SlowFileSource slow;  // outlives the read the cancel leaves behind
    m_window->setFileSource(slow);
    QTimer whileLoading;
    connect(&whileLoading, &QTimer::timeout, m_window.get(), [this, &whileLoading] {
        if (m_window->findChild<QProgressBar*>("pbReadFile")->isVisible()) {
            whileLoading.stop();
            clickButton(QStringLiteral("cmdRemove"));
            QTest::keyClick(m_window.get(), Qt::Key_Escape);
        }
    });
    whileLoading.start(20);
    clickTab(1, 0);
    QCOMPARE(m_window->statusBar()->currentMessage(), "Reading the data files was cancelled");
    QCOMPARE(availablePools(), pools);
    QCOMPARE(m_window->tables().lstSelectedFiles.size(), size_t{3});
    QCOMPARE(m_messages->messages.size(), 1);

    clickTab(1);  // the files still count as changed
    QCOMPARE(availablePools(), pools + QStringList{"BP9"});
    QVERIFY(!m_window->tables().FilesChanged);
}

// A read that hangs must not hold the window: Esc returns control at once, and Close, the Quit
// key and the Cancel button close it; the reads left behind end on their own once released,
// into nothing the window owned.
void MainWindowTest::hungReadGivesWayToEveryWayOut_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("Close") << "Close";
    QTest::newRow("Ctrl+Q") << "Ctrl+Q";
    QTest::newRow("Cancel") << "Cancel";
}

void MainWindowTest::hungReadGivesWayToEveryWayOut() {
    QFETCH(QString, way);
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    const QStringList pools = availablePools();
    static std::list<HungFileSource> sources;  // outlive the windows, as the reads may
    HungFileSource& hung = sources.emplace_back();
    m_window->setFileSource(hung);
    clickTab(0);
    m_chooser->willChoose(writeFile("b.sta", {kHeader, kLead, BpsLine("BP9")}));
    clickButton(QStringLiteral("cmdAdd"));
    QElapsedTimer sinceAsked;
    QTimer whileLoading;
    connect(&whileLoading, &QTimer::timeout, m_window.get(), [&] {
        if (hung.started() == 0) {
            return;
        }
        whileLoading.stop();
        sinceAsked.start();
        if (way == "Esc") {
            QTest::keyClick(m_window.get(), Qt::Key_Escape);
        } else if (way == "Close") {
            m_window->close();
        } else if (way == "Ctrl+Q") {
            QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
        } else {
            QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("cmdQuit")),
                              Qt::LeftButton);
        }
    });
    whileLoading.start(20);
    clickTab(1, 0);
    QVERIFY(sinceAsked.isValid());
    QVERIFY2(sinceAsked.elapsed() < 500, qPrintable(QString::number(sinceAsked.elapsed())));
    QCOMPARE(availablePools(), pools);
    if (way == "Esc") {
        QCOMPARE(m_window->statusBar()->currentMessage(), "Reading the data files was cancelled");
        QVERIFY(m_window->isVisible());
    } else {
        QTRY_VERIFY(!m_window->isVisible());
    }

    hung.release();
    QTRY_COMPARE(hung.ended(), hung.started());
    QTest::qWait(50);  // the threads' last steps after their reads
}

// Opening a plan hashes its files that were touched since; Esc stops that as it stops a load.
void MainWindowTest::planHashingGivesWayToEsc() {
    start();
    QFile big(m_dir->filePath(QStringLiteral("big.sta")));
    constexpr qint64 kBigBytes = qint64{64} << 30;  // sparse: seconds to hash, nothing on disk
    if (!big.open(QIODevice::WriteOnly) || !big.resize(kBigBytes)) {
        QSKIP("no sparse file of 64 GiB here");
    }
    big.close();
    QFile plan(m_dir->filePath(QStringLiteral("big.loomplan")));
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write(QStringLiteral(R"({"format": "loomstead-plan", "version": 1, "files": [
        {"path": "big.sta", "size": %1, "modified_ns": 1, "sha256": "00"}]})")
                   .arg(kBigBytes)
                   .toUtf8());
    plan.close();
    QElapsedTimer sinceEsc;
    QTimer whileHashing;
    connect(&whileHashing, &QTimer::timeout, m_window.get(), [&] {
        if (m_window->statusBar()->currentMessage().endsWith(QStringLiteral("big.sta"))) {
            whileHashing.stop();
            sinceEsc.start();
            QTest::keyClick(m_window.get(), Qt::Key_Escape);
        }
    });
    whileHashing.start(20);
    QVERIFY(!m_window->openPlan(plan.fileName()));
    QVERIFY(sinceEsc.isValid());
    QVERIFY2(sinceEsc.elapsed() < 500, qPrintable(QString::number(sinceEsc.elapsed())));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             "Checking the files of the plan was cancelled");
    QVERIFY(m_window->tables().lstSelectedFiles.empty());
}

// Leaving the What If page stops its sweep rather than waiting for it, and what it found is
// not shown; coming back sweeps again.
void MainWindowTest::leavingWhatIfStopsItsSweep() {
    // Enough pools that sizing 1 to 32 members lasts well past the page change.
    std::vector<std::string> lines = {kHeader, kLead};
    for (int p = 0; p < 20000; ++p) {
        lines.push_back(BpsLine("P" + std::to_string(p), "1000", "10"));
    }
    start(writeFile(QStringLiteral("many.sta"), lines));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));
    auto* whatIf = m_window->findChild<ui::WhatIfPage*>();
    QVERIFY(whatIf);
    whatIf->findChild<QSpinBox*>(QStringLiteral("spnMembersUpTo"))->setValue(32);
    QSignalSpy shown(whatIf, &ui::WhatIfPage::sweepShown);
    QElapsedTimer clock;
    clickTab(4);
    clock.start();
    clickTab(1);
    const qint64 leaving = clock.elapsed();
    QTest::qWait(100);
    QCOMPARE(shown.count(), 0);
    clickTab(4);
    clock.restart();
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 30000);
    // Leaving waits at most for the member count in hand, not for all 32: measured against the
    // whole sweep, so that a slow build or a busy machine does not decide the outcome.
    const qint64 whole = clock.elapsed();
    QVERIFY2(
        leaving * 4 < whole,
        qPrintable(
            QStringLiteral("left in %1 ms, the whole sweep took %2 ms").arg(leaving).arg(whole)));
}

void MainWindowTest::headerWithoutEnvWarnsOncePerFile() {
    start(writeFile("a.sta", {"STATISTICS env=lower", kLead, BpsLine("BP0"),
                              core::testing::BpdLine("DB1.TS1")}));
    m_chooser->willChoose(writeFile("b.sta", {kHeader, BpsLine("BP1")}));
    m_chooser->willChoose(writeFile("c.sta", {"HEADER", BpsLine("BP2")}));
    clickButton(QStringLiteral("cmdAdd"));
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(1);
    QCOMPARE(m_messages->messages.size(), 2);
    for (const ui::RecordedMessage& shown : m_messages->messages) {
        QCOMPARE(shown.icon, ui::MessageIcon::kInformation);
        QCOMPARE(shown.title, "Loomstead File IO");
        QCOMPARE(shown.text, "Incorrect File Format, Use A Flat File");
    }
    QCOMPARE(m_messages->messages[0].detail, "File: " + m_dir->filePath("a.sta"));
    QCOMPARE(m_messages->messages[1].detail, "File: " + m_dir->filePath("c.sta"));
    QCOMPARE(availablePools(), QStringList({"BP0", "BP1", "BP2"}));
}

void MainWindowTest::resultsPageRunsTheSizingStepByStep() {
    // The figures and their labels have tests of their own; here the run on entering the page.
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));  // BP0-BP3 and BP32K; BP7 refused
    auto* quit = m_window->findChild<QPushButton*>(QStringLiteral("cmdQuit"));
    QCOMPARE(quit->text(), "&Cancel");
    QSignalSpy status(m_window->statusBar(), &QStatusBar::messageChanged);
    clickTab(3);

    QStringList steps;
    for (const QList<QVariant>& signal : status) {
        steps.append(signal.first().toString());
    }
    QCOMPARE(steps,
             QStringList({"Calculating SCA Size", "Calculating Lock Structure Size",
                          "Calculating Directory Ratio", "Calculating ECSCA Size",
                          "Calculating GB Pool Sizes", "Calculating Total Memory Reqd", ""}));
    QCOMPARE(labelText("lblInfo1"), "  5");
    const QAbstractItemModel* rows = m_window->findChild<QTreeView*>("lvResults")->model();
    QCOMPARE(ui::Texts(rows), QStringList({"BP0", "BP1", "BP2", "BP3", "BP32K"}));

    // Export names the refused pool, as the batch sizer does for the same choices.
    ui::ScriptedReportDialogs dialogs;
    const QTemporaryDir dir;
    dialogs.exportPath = dir.filePath(QStringLiteral("results.json"));
    m_window->findChild<ui::ResultsPage*>()->setReportDialogs(dialogs);
    clickButton(QStringLiteral("cmdExport"));
    QCOMPARE(m_window->statusBar()->currentMessage(), "Exported results.json");
    QFile json(dialogs.exportPath);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray refused = QJsonDocument::fromJson(json.readAll())["refused"].toArray();
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused[0]["pool"].toString(), "BP7");

    QCOMPARE(quit->text(), "&Finish");
    clickButton(QStringLiteral("cmdQuit"));
    QVERIFY(!m_window->isVisible());
}

void MainWindowTest::columnWidthsAreStoredAtCloseAndRestoredAtStart() {
    auto widths = [this](const char* list) {
        const QHeaderView* header = m_window->findChild<QTreeView*>(list)->header();
        QList<int> sizes;
        for (int i = 0; i < header->count(); ++i) {
            sizes.append(header->sectionSize(i));
        }
        return sizes;
    };
    auto restart = [this] {
        m_window.reset();
        start();
    };
    start();
    const QList<int> defaults = widths("lvResults");

    // Empty, negative and absurd pieces keep the default width; one too narrow to see or grab
    // gets its caption's width; extra pieces are ignored.
    QSettings store(m_dir->filePath("Loomkeep/Loomkeep.conf"), QSettings::IniFormat);
    store.setValue(QStringLiteral("Layout/lvResults"), QStringLiteral("80,,7,-5,99999, 50,40"));
    store.setValue(QStringLiteral("Layout/lvSharedPools"), QStringLiteral("100, 50"));
    store.sync();
    restart();
    const QList<int> restored = widths("lvResults");
    QCOMPARE(restored.mid(0, 2), QList<int>({80, defaults[1]}));
    const QFontMetrics captionFont =
        m_window->findChild<QTreeView*>("lvResults")->header()->fontMetrics();
    QVERIFY(restored[2] > captionFont.horizontalAdvance("Cache All") && restored[2] < defaults[2]);
    QCOMPARE(restored.mid(3), QList<int>({defaults[3], defaults[4], 50}));
    QCOMPARE(widths("lvSharedPools"), QList<int>({100, 50}));

    m_window->findChild<QTreeView*>("lvResults")->header()->resizeSection(5, 133);
    clickButton(QStringLiteral("cmdQuit"));
    store.sync();
    QCOMPARE(store.value(QStringLiteral("Layout/lvResults")).toString().section(',', 5), "133");
    QCOMPARE(store.value(QStringLiteral("Layout/lvSharedPools")).toString(), "100,50");
    QVERIFY(store.contains(QStringLiteral("Layout/lvSharedObjects")));
    restart();
    QCOMPARE(widths("lvResults").last(), 133);
}

void MainWindowTest::wizardWorksWithTheKeyboardAlone() {
    const QString file = writeFile("a.sta", {kHeader, kLead, BpsLine("BP0")});
    start();
    m_chooser->willChoose(file);
    QCOMPARE(QApplication::focusWidget()->objectName(), "cmdAdd");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);  // &Add File
    QTRY_COMPARE(m_chooser->requests, 2);  // a mnemonic clicks after a short animation
    QVERIFY(m_pages->isTabEnabled(1));

    // Tab moves the focus round the window until it reaches the tab bar.
    QTabBar* bar = m_pages->tabBar();
    for (int i = 0; i < 10 && QApplication::focusWidget() != bar; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), bar);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(m_pages->currentIndex(), 1);
    QCOMPARE(availablePools(), QStringList({"BP0"}));
    QTest::keyClick(bar, Qt::Key_Right);  // pages 2 and 3 are not reachable yet
    QCOMPARE(m_pages->currentIndex(), 1);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(m_pages->currentIndex(), 0);

    QTest::keyClick(bar, Qt::Key_C, Qt::AltModifier);  // &Cancel
    QTRY_VERIFY(!m_window->isVisible());
}

void MainWindowTest::typedNumbersReachTheSizingOrAreRefused_data() {
    QTest::addColumn<QString>("members");
    QTest::addColumn<QString>("ecsa");
    QTest::addColumn<QString>("refusedBox");  // empty: the results page shows
    QTest::addColumn<QString>("shown");       // IRLM ECSA Size, or the refusal's text
    // clang-format off
    QTest::newRow("4.5 Mb of ECSA, 6.5 to the even 6") << "2" << "4.5" << "" << "  6 Mb";
    QTest::newRow("33 members")
        << "33" << "4" << "txtSharedDB2"
        << "No Of Shared DB2: Enter a whole number from 1 to 32";
    QTest::newRow("ECSA 10000")
        << "2" << "10000" << "txtECSASize"
        << "ECSA Size for IRLM: Enter a number from 0 to 9999, with at most two decimals";
    // clang-format on
}

void MainWindowTest::typedNumbersReachTheSizingOrAreRefused() {
    QFETCH(QString, members);
    QFETCH(QString, ecsa);
    QFETCH(QString, refusedBox);
    QFETCH(QString, shown);
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));  // one refusal: BP7 holds work files only
    for (const auto& [name, text] : {std::pair{"txtSharedDB2", members}, {"txtECSASize", ecsa}}) {
        auto* box = m_window->findChild<QWidget*>(name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
    }
    clickTab(2);
    clickTab(3, refusedBox.isEmpty() ? 3 : 1);
    if (refusedBox.isEmpty()) {
        QCOMPARE(labelText("lblRecommendation3"), shown);
        QCOMPARE(labelText("lblInfo2"), "  2");
        QCOMPARE(m_messages->messages.size(), 1);
    } else {
        QCOMPARE(m_messages->messages.size(), 2);
        QCOMPARE(m_messages->messages.last().text, shown);
        QVERIFY(m_window->findChild<QWidget*>(refusedBox)->hasFocus());
        QCOMPARE(m_window->findChild<QPushButton*>("cmdQuit")->text(), "&Cancel");
    }
}

void MainWindowTest::listsShowWholeCaptionsAndSelectTheFirstEntryOnDown() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstPools"));
    pools->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pools, Qt::Key_Down);
    QCOMPARE(pools->selectionModel()->selectedRows().value(0).data().toString(), "BP0");
    clickButton(QStringLiteral("cmdShareAllPools"));
    for (int page : {1, 2, 3}) {
        clickTab(page);
        for (QTreeView* view : m_pages->widget(page)->findChildren<QTreeView*>()) {
            QVERIFY2(!view->horizontalScrollBar()->isVisible(), qPrintable(view->objectName()));
            const QHeaderView* header = view->header();
            for (int i = 0; i < header->count(); ++i) {
                const QString caption = view->model()->headerData(i, Qt::Horizontal).toString();
                QVERIFY2(header->sectionSize(i) >
                             header->fontMetrics().horizontalAdvance(caption + " (D)"),
                         qPrintable(caption));
            }
        }
    }
    auto* results = m_window->findChild<QTreeView*>(QStringLiteral("lvResults"));
    results->setFocus(Qt::TabFocusReason);
    QTest::keyClick(results, Qt::Key_Down);
    QCOMPARE(results->selectionModel()->selectedRows().value(0).row(), 0);
}

void MainWindowTest::everyControlHasAnAccessibleName() {
    start();
    for (const QWidget* control : m_window->findChildren<QWidget*>()) {
        // A spin box's text field speaks through the box; a value label that shows nothing yet
        // has nothing to say.
        const auto* label = qobject_cast<const QLabel*>(control);
        if (control->focusPolicy() != Qt::NoFocus &&
            qobject_cast<QAbstractSpinBox*>(control->parentWidget()) == nullptr &&
            (label == nullptr || !label->text().isEmpty())) {
            QAccessibleInterface* spoken =
                QAccessible::queryAccessibleInterface(const_cast<QWidget*>(control));
            QVERIFY2(spoken != nullptr && !spoken->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->objectName() + " " + control->metaObject()->className() +
                                " in " + control->parentWidget()->metaObject()->className()));
        }
    }
}

void MainWindowTest::objectsPageIsRebuiltAndAddingAFileKeepsTheChoices() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));
    QCOMPARE(m_messages->messages.size(), 1);  // BP7 holds work files only
    clickTab(2);
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstSharedPools"));
    const auto* objects =
        m_window->findChild<QAbstractItemView*>(QStringLiteral("lvSharedObjects"));
    const auto* totalLabel = m_window->findChild<QLabel*>(QStringLiteral("lblTPObjects"));
    ui::ClickRow(pools, 3);  // BP3
    QCOMPARE(objects->model()->rowCount(), 36);
    QVERIFY(totalLabel->isVisible());
    // Any page change empties the list, whichever page comes next.
    clickTab(1);
    QCOMPARE(objects->model()->rowCount(), 0);
    clickTab(2);
    QCOMPARE(objects->model()->rowCount(), 0);
    QVERIFY(!totalLabel->isVisible());

    ui::ClickRow(pools, 3);
    auto* cacheAll = m_window->findChild<QWidget*>(QStringLiteral("chkCacheAllObjects"));
    QTest::mouseClick(cacheAll, Qt::LeftButton, {}, QPoint(8, cacheAll->height() / 2));
    QCOMPARE(labelText("lblTPSObjects"), "36");

    clickTab(0);
    m_chooser->willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(2);
    QCOMPARE(ui::Texts(pools->model()), QStringList({"BP0", "BP1", "BP2", "BP3", "BP32K"}));
    ui::ClickRow(pools, 3);
    QCOMPARE(labelText("lblTPObjects"), "65");
    QCOMPARE(labelText("lblTPSObjects"), "65");  // Cache All took db1b's 29 objects too
    QCOMPARE(m_accounts->titles, QStringList({"Choices After Reloading"}));
    QCOMPARE(m_accounts->accounts[0].size(), 29u);  // the objects db1a did not hold
    QCOMPARE(m_accounts->accounts[0][0].kind, core::PlanItemKind::kObjectNewUnderCacheAll);

    clickTab(0);
    removeFirstFile();
    clickTab(2);
    ui::ClickRow(pools, 3);
    QCOMPARE(labelText("lblTPSObjects"), "29");  // db1b's, still under Cache All
    QCOMPARE(m_accounts->accounts.size(), 2u);
    QCOMPARE(m_accounts->accounts[1].size(), 36u);  // db1a's objects, gone with it
    QCOMPARE(m_accounts->accounts[1][0].kind, core::PlanItemKind::kObjectMissing);
}

void MainWindowTest::plansOpenOnlyWhenWholeAndSaveTheChoices() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    QVERIFY(m_window->savePlan(plan));
    QVERIFY(!m_window->savePlan(m_dir->filePath(QStringLiteral("no/such.loomplan"))));
    const QString notPlan = writeFile(QStringLiteral("x.loomplan"), {"[]"});
    QVERIFY(!m_window->openPlan(notPlan));
    QCOMPARE(m_messages->messages.size(), 3);  // BP7's refusal, the two failures
    QCOMPARE(m_messages->messages[2].text,
             "The plan x.loomplan cannot be opened: it is not a plan (it has no \"format\": "
             "\"loomstead-plan\").");
    // Someone else's plan that is a named pipe without a writer: refused at once.
    const QString fifo = m_dir->filePath(QStringLiteral("fifo.loomplan"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!m_window->openPlan(fifo));
    QCOMPARE(m_messages->messages.last().text,
             "The plan fifo.loomplan cannot be opened: it is not a regular file (it is a named "
             "pipe).");
    m_messages->messages.removeLast();
    QCOMPARE(m_window->tables().lvSharedPools.size(), 5u);

    clickTab(0);
    removeFirstFile();
    clickTab(1);
    QCOMPARE(m_window->tables().lvSharedPools.size(), 0u);
    QCOMPARE(m_accounts->accounts.at(0).size(), 5u);  // no file, so every pool is missing
    QVERIFY(m_window->openPlan(plan));
    QCOMPARE(m_pages->currentIndex(), 1);
    QCOMPARE(m_window->tables().lstSelectedFiles.size(), 1u);
    QCOMPARE(m_window->tables().lvSharedPools.size(), 5u);
    QCOMPARE(m_accounts->titles.size(), 1);  // the plan carried over whole
}

void MainWindowTest::addFilesAndHelpRunFromTheKeyboard() {
    start();
    const QString a = writeFile("a.sta");
    const QString b = writeFile("b.sim");
    m_chooser->manyAnswers.enqueue({a, b});
    QMenu* file = openMenu(Qt::Key_F);
    QVERIFY(file);
    QTest::keyClick(file, Qt::Key_D);  // A&dd Files...
    QTRY_COMPARE(listedFiles(), QStringList({"a.sta", "b.sim"}));
    QCOMPARE(settings::RecentFilesStore().files(), QStringList({b, a}));
    m_messages->saveAnswer = ui::SaveAnswer::kCancel;
    QVERIFY(!m_window->close());
    QCOMPARE(m_messages->questions.constLast().text,
             "Your choices have not been saved as a plan. Save them?");

    QTest::keyClick(m_window.get(), Qt::Key_F1);
    auto* manual = m_window->findChild<QTextBrowser*>(QStringLiteral("txtManual"));
    QVERIFY(manual && manual->isVisible());
    const QString manualText = manual->toPlainText();
    QVERIFY(manualText.startsWith(QStringLiteral("Using Loomstead")));
    // It tells of every page and of every button of the results page by its name on screen.
    for (int page = 0; page < m_pages->count(); ++page) {
        QVERIFY2(manualText.contains(m_pages->tabText(page)), qPrintable(m_pages->tabText(page)));
    }
    for (QPushButton* button : m_window->resultsPage()->findChildren<QPushButton*>()) {
        const QString caption = button->text().remove(QLatin1Char('&'));
        QVERIFY2(manualText.contains(caption), qPrintable(caption));
    }
}

void MainWindowTest::pathsOpenByKind_data() {
    QTest::addColumn<bool>("dropped");  // else named on the command line
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("detail");
    const QString folder =
        QStringLiteral("%1folder: is a folder; add the statistics files inside it instead");
    // Relative names on the command line are read from the folder the program started in.
    QTest::newRow("command line") << false << QStringList{"b.sim", "folder", "a.sta", "gone.sta"}
                                  << QStringList{"b.sim", "a.sta"}
                                  << folder + "\n%1gone.sta: does not exist";
    QTest::newRow("drop: any regular file is data, a folder is not")
        << true << QStringList{"folder", "a.sta", "notes.txt"} << QStringList{"a.sta", "notes.txt"}
        << folder;
    // Each plan names plan.sta; a file beside it is added to the plan's.
    QTest::newRow("drop: a plan and a file") << true << QStringList{"b.loomplan", "a.sta"}
                                             << QStringList{"plan.sta", "a.sta"} << QString();
    QTest::newRow("command line: two plans")
        << false << QStringList{"b.loomplan", "c.loomplan"} << QStringList{"plan.sta"}
        << QStringLiteral("%1c.loomplan: is a second plan; one plan is opened at a time");
}

void MainWindowTest::pathsOpenByKind() {
    QFETCH(bool, dropped);
    QFETCH(QStringList, names);
    QFETCH(QStringList, listed);
    QFETCH(QString, detail);
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    QList<QUrl> urls;
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".loomplan"))) {
            core::Plan plan;
            plan.files.push_back({writeFile("plan.sta").toStdString(), 0, 0, {}});
            QVERIFY(!core::WritePlanFile(m_dir->filePath(name).toStdString(), plan));
        } else if (name != QLatin1String("folder") && name != QLatin1String("gone.sta")) {
            writeFile(name);
        }
        urls.append(QUrl::fromLocalFile(m_dir->filePath(name)));
    }
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    start({}, dropped ? QStringList{} : names);
    QDir::setCurrent(startFolder);

    if (dropped) {
        dropOnFileList(urls);
    }
    QTRY_COMPARE(listedFiles(), listed);
    QCOMPARE(m_messages->messages.size(), detail.isEmpty() ? 0 : 1);
    if (!detail.isEmpty()) {
        QCOMPARE(m_messages->messages[0].text, "Some files could not be opened.");
        QCOMPARE(m_messages->messages[0].detail,
                 detail.arg(QDir::toNativeSeparators(m_dir->path() + u'/')));
    }
}

void MainWindowTest::recentEntryOfAGoneFileIsTakenOff() {
    const QString kept = writeFile("kept.sta");
    const QString gone = m_dir->filePath(QStringLiteral("gone.sta"));
    settings::RecentFilesStore recent;
    for (int i = 0; i < 12; ++i) {  // the menu keeps ten
        recent.add(QString::number(i));
    }
    recent.add(kept);
    recent.add(gone);
    QCOMPARE(recent.files().size(), 10);
    start();
    for (int i = 0; i < 2; ++i) {  // the newest entry: gone.sta, then kept.sta
        QMenu* file = openMenu(Qt::Key_F);
        QTest::keyClick(file, Qt::Key_R);  // Open &Recent
        QTRY_VERIFY(QApplication::activePopupWidget() != file);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
    }
    QTRY_COMPARE(listedFiles(), QStringList({"kept.sta"}));
    QCOMPARE(recent.files().mid(0, 2), QStringList({kept, "11"}));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages[0].title, "Open Recent");
    QCOMPARE(m_messages->messages[0].text,
             QDir::toNativeSeparators(gone) +
                 " no longer exists. It has been taken off the recent files.");
}

void MainWindowTest::planIsSavedMarkedAskedForAndOpenedFromTheCommandLine() {
    const QString data = m_dir->filePath(QStringLiteral("db1a.sta"));
    QVERIFY(QFile::copy(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"), data));
    start({}, {data});
    m_pages->setCurrentIndex(1);  // reads the file
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstPools"));
    ui::ClickRow(pools, 0);  // a double click is a click, then the double-click event
    QTest::mouseDClick(pools->viewport(), Qt::LeftButton, Qt::NoModifier,
                       pools->visualRect(pools->model()->index(0, 0)).center());
    QCOMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
    QVERIFY(m_window->hasUnsavedChanges());

    // Save asks where the first time; the name gets the plan's ending.
    m_chooser->planAnswers.enqueue(m_dir->filePath(QStringLiteral("march")));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    QVERIFY(QFileInfo::exists(plan));
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QCOMPARE(m_window->statusBar()->currentMessage(), "Saved march.loomplan");
    QCOMPARE(settings::RecentFilesStore().files().first(), plan);

    bumpMembers();
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");

    // Quitting asks; Cancel keeps the window, Save writes to the plan open without asking where.
    for (ui::SaveAnswer answer : {ui::SaveAnswer::kCancel, ui::SaveAnswer::kSave}) {
        m_messages->saveAnswer = answer;
        QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_window->isVisible(), answer == ui::SaveAnswer::kCancel);
    }
    QCOMPARE(m_messages->questions.size(), 2);
    QCOMPARE(m_messages->questions[0].text,
             "The plan march.loomplan has unsaved changes. Save them?");
    QCOMPARE(m_chooser->planRequests, 1);

    // Policy inputs another program put in the plan, which this window does not use.
    QFile file(plan);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    root[QStringLiteral("cfrm")] =
        QJsonObject{{QStringLiteral("group"), QStringLiteral("DSNDB0G")}};
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(root).toJson());
    file.close();

    m_window.reset();
    start({}, {plan});
    QCOMPARE(m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"))->text(), "2");
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QVERIFY(m_messages->messages.isEmpty());

    // Open Plan over a change asks once, and the plan's own number comes back.
    QAbstractSpinBox* members = bumpMembers();
    m_messages->saveAnswer = ui::SaveAnswer::kDiscard;
    m_chooser->planAnswers.enqueue(plan);
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_messages->questions.size(), 3);
    QCOMPARE(members->text(), "2");
    QVERIFY(!m_window->hasUnsavedChanges());

    // Saved again, the plan keeps them.
    bumpMembers();
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(file.readAll())["cfrm"]["group"].toString(), "DSNDB0G");
    file.close();

    // The policy dialog starts from the plan's inputs, and the plan saves the dialog's.
    clickTab(3);
    m_window->findChild<QAction*>(QStringLiteral("actCfrmPolicy"))->trigger();
    auto* dialog = m_window->findChild<ui::CfrmDialog*>();
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->inputs().value("group").toString(), "DSNDB0G");
    dialog->setInputs({{"minRatio", 12}, {"lockMb", 128}});
    QVERIFY(!m_window->hasUnsavedChanges());
    QTest::keyClick(dialog->findChild<QSpinBox*>(QStringLiteral("spnMinRatio")), Qt::Key_Up);
    QVERIFY(m_window->hasUnsavedChanges());  // a typed input is part of the plan
    dialog->reject();
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject cfrm = QJsonDocument::fromJson(file.readAll())["cfrm"].toObject();
    QCOMPARE(cfrm["group"].toString(), "DSNDB0G");
    QCOMPARE(cfrm["minRatio"].toString(), "13");
    QCOMPARE(cfrm["lockMb"].toString(), "128");
}

void MainWindowTest::failedSaveShowsWhyAndKeepsTheMarkAndTheOldPlan() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    m_chooser->planAnswers.enqueue(plan);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QFile file(plan);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    bumpMembers();
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");
    const qsizetype messagesBefore = m_messages->messages.size();

    {
        const core::testing::FileSizeLimit fullDisk(64);
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    }

    QCOMPARE(m_messages->messages.size(), messagesBefore + 1);
    QCOMPARE(m_messages->messages.last().text,
             "The plan march.loomplan cannot be saved: File too large.");
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("march.loomplan")});
}

void MainWindowTest::eachPageSaysHowToGoOn_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("goOn");
    QTest::newRow("files") << 0 << "lblFilesHint"
                           << QString::fromUtf8("Click “Select Shared Pools” to go on");
    QTest::newRow("pools") << 1 << "lblPoolsHint"
                           << QString::fromUtf8("Click “Select Shared Objects” to go on");
    QTest::newRow("objects") << 2 << "lblObjectsHint"
                             << QString::fromUtf8("Click “View Results” to go on");
    QTest::newRow("results") << 3 << "lblResultsHint"
                             << QString::fromUtf8("Click “What If” to go on");
}

void MainWindowTest::eachPageSaysHowToGoOn() {
    QFETCH(int, page);
    QFETCH(QString, hint);
    QFETCH(QString, goOn);
    start();
    const auto* label = m_pages->widget(page)->findChild<QLabel*>(hint);
    QVERIFY(label);
    QVERIFY(label->isVisibleTo(m_pages->widget(page)));
    QVERIFY2(label->text().contains(goOn), qPrintable(label->text()));
    // The page it names is the next one, as its tab reads.
    QVERIFY(goOn.contains(QString::fromUtf8("“%1”").arg(m_pages->tabText(page + 1))));
}

void MainWindowTest::whatIfComesWithTheResultsHoweverAPlanOpens_data() {
    QTest::addColumn<QString>("route");
    for (const char* route :
         {"Open Plan", "Open Recent", "drop", "command line", "choices alone on loaded files"}) {
        QTest::newRow(route) << QString::fromLatin1(route);
    }
}

void MainWindowTest::whatIfComesWithTheResultsHoweverAPlanOpens() {
    QFETCH(QString, route);
    const QString data = m_dir->filePath(QStringLiteral("db1a.sta"));
    QVERIFY(QFile::copy(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"), data));
    const bool choicesAlone = route == QLatin1String("choices alone on loaded files");
    core::Plan plan;
    if (!choicesAlone) {
        plan.files.push_back({data.toStdString(), 0, 0, {}});
    }
    plan.pools.push_back({"BP1", false});
    const QString path = m_dir->filePath(QStringLiteral("p.loomplan"));
    QVERIFY(!core::WritePlanFile(path.toStdString(), plan));

    if (route == QLatin1String("command line")) {
        start({}, {path});
    } else if (route == QLatin1String("Open Recent")) {
        settings::RecentFilesStore().add(path);
        start();
        QMenu* file = openMenu(Qt::Key_F);
        QVERIFY(file);
        QTest::keyClick(file, Qt::Key_R);  // Open &Recent
        QTRY_VERIFY(QApplication::activePopupWidget() != file);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
    } else if (route == QLatin1String("drop")) {
        start();
        dropOnFileList({QUrl::fromLocalFile(path)});
    } else {
        start(choicesAlone ? data : QString());
        if (choicesAlone) {
            clickTab(1);  // reads the file
            QCOMPARE(enabledPages(), QList<bool>({true, true, false, false, false}));
        }
        m_chooser->planAnswers.enqueue(path);
        QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    }
    QTRY_COMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
    QCOMPARE(enabledPages(), QList<bool>({true, true, true, true, true}));
    clickTab(4);
    QTRY_VERIFY(m_window->findChild<QTableWidget*>(QStringLiteral("tblWhatIf"))->rowCount() > 0);
}

void MainWindowTest::openPlanOpensPlansOnly() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));
    m_messages->messages.clear();
    const QString plan = m_dir->filePath(QStringLiteral("saved.json"));
    QVERIFY(m_window->savePlan(plan));
    const QString report = writeFile(QStringLiteral("report.json"), {R"({"pools": []})"});
    const QString text = writeFile(QStringLiteral("notes.loomplan"), {"BP1 BP2"});
    const struct {
        QString path;
        QString message;
    } refused[] = {
        {report,
         "report.json is not a Loomstead plan: it is not a plan (it has no \"format\": "
         "\"loomstead-plan\")."},
        {text, "notes.loomplan is not a Loomstead plan: it is not JSON (syntax error at byte 1)."},
    };
    bumpMembers();  // a change, which a refused file must not ask to save
    for (const auto& r : refused) {
        m_chooser->planAnswers.enqueue(r.path);
        QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(m_messages->messages.size(), 1);
        QCOMPARE(m_messages->messages[0].title, "Open Plan");
        QCOMPARE(m_messages->messages[0].text, r.message);
        m_messages->messages.clear();
        QCOMPARE(m_window->tables().lstSelectedFiles.size(), 1u);
        QCOMPARE(m_window->tables().lvSharedPools.size(), 5u);
        QVERIFY(m_messages->questions.isEmpty());
        QVERIFY(m_window->hasUnsavedChanges());
    }
    // A plan opens whatever its name ends in.
    m_chooser->planAnswers.enqueue(plan);
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(m_messages->questions.size(), 1);
    QTRY_VERIFY(!m_window->hasUnsavedChanges());
    QVERIFY(m_messages->messages.isEmpty());
}

void MainWindowTest::undoTakesBackSharesAndObjectChoicesStepByStep() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    auto* undo = m_window->findChild<QAction*>(QStringLiteral("actUndo"));
    auto* redo = m_window->findChild<QAction*>(QStringLiteral("actRedo"));
    QVERIFY(undo && redo && !undo->isEnabled());
    const auto shared = [this] { return m_window->tables().lvSharedPools.size(); };
    const auto undoKey = [this] {
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    };
    const auto redoKey = [this, redo] { QTest::keySequence(m_window.get(), redo->shortcut()); };

    clickButton(QStringLiteral("cmdShareAllPools"));
    QCOMPARE(shared(), 5u);
    QCOMPARE(undo->text(), "&Undo Share Pools");
    undoKey();  // Share All is one step
    QCOMPARE(shared(), 0u);
    QCOMPARE(m_pages->currentIndex(), 1);
    QCOMPARE(enabledPages(), QList<bool>({true, true, false, false, false}));
    redoKey();
    QCOMPARE(shared(), 5u);
    QCOMPARE(enabledPages(), QList<bool>({true, true, true, true, true}));

    auto* sharedView = m_window->findChild<QAbstractItemView*>(QStringLiteral("lvSharedPools"));
    ui::ClickRow(sharedView, 0);
    clickButton(QStringLiteral("cmdRemovePool"));
    QCOMPARE(shared(), 4u);
    QCOMPARE(undo->text(), "&Undo Return Pool");

    // The number boxes undo their own text; the choices stay.
    auto* members = m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"));
    QVERIFY(members);
    members->setFocus();
    members->selectAll();
    QTest::keyClicks(members, "7");
    QCOMPARE(members->text(), "7");
    QTest::keyClick(members, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(members->text(), "1");
    QCOMPARE(shared(), 4u);

    clickTab(2);
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstSharedPools"));
    auto* objects = m_window->findChild<QAbstractItemView*>(QStringLiteral("lvSharedObjects"));
    ui::ClickRow(pools, 2);  // BP3 of the four left
    const QString before = labelText("lblTPSObjects");
    auto* cacheAll = m_window->findChild<QWidget*>(QStringLiteral("chkCacheAllObjects"));
    QTest::mouseClick(cacheAll, Qt::LeftButton, {}, QPoint(8, cacheAll->height() / 2));
    QCOMPARE(labelText("lblTPSObjects"), "36");
    objects->setFocus();
    objects->setCurrentIndex(objects->model()->index(0, 0));
    QTest::keyClick(objects, Qt::Key_Space);  // one tick, one step
    QCOMPARE(labelText("lblTPSObjects"), "35");
    undoKey();
    QCOMPARE(labelText("lblTPSObjects"), "36");
    QCOMPARE(objects->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    undoKey();
    QCOMPARE(labelText("lblTPSObjects"), before);
    undoKey();  // the returned pool comes back, and the page stays
    QCOMPARE(shared(), 5u);
    QCOMPARE(m_pages->currentIndex(), 2);
    QCOMPARE(pools->model()->rowCount(), 5);
    redoKey();
    redoKey();
    QCOMPARE(labelText("lblTPSObjects"), "36");

    // Reading the files again starts the history afresh.
    clickTab(0);
    m_chooser->willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(1);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
}

void MainWindowTest::resultsMenuAndKeysActOnTheResultsShown() {
    start(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    clickTab(1);
    clickButton(QStringLiteral("cmdShareAllPools"));
    const QStringList names = {"actCopyResults", "actExportResults", "actPrintResults",
                               "actPrintPreview"};
    const auto enabled = [&] {
        QList<bool> states;
        for (const QString& name : names) {
            states.append(m_window->findChild<QAction*>(name)->isEnabled());
        }
        return states;
    };
    QCOMPARE(enabled(), QList<bool>({false, false, false, false}));
    clickTab(3);
    QCOMPARE(enabled(), QList<bool>({true, true, true, true}));
    ui::ScriptedReportDialogs dialogs;
    const QTemporaryDir dir;
    dialogs.exportPath = dir.filePath(QStringLiteral("r.csv"));
    dialogs.printPath = dir.filePath(QStringLiteral("p.pdf"));
    m_window->resultsPage()->setReportDialogs(dialogs);

    // Ctrl+C in the table: its rows as sorted on screen.
    auto* view = m_window->findChild<QTreeView*>(QStringLiteral("lvResults"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_1, Qt::ControlModifier);  // by "Pool"
    QTest::keyClick(view, Qt::Key_1, Qt::ControlModifier);  // reversed
    const QStringList shown = ui::Texts(view->model());
    QCOMPARE(shown, QStringList({"BP32K", "BP3", "BP2", "BP1", "BP0"}));
    view->setFocus();
    QApplication::clipboard()->clear();
    QTest::keySequence(view, QKeySequence::Copy);
    QStringList copied;
    for (const QString& line : QApplication::clipboard()->text().split('\n').mid(1, 5)) {
        copied.append(line.section('\t', 0, 0));
    }
    QCOMPARE(copied, shown);

    QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(QFileInfo::exists(dialogs.exportPath));
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.marginsMm, QMarginsF(15, 15, 15, 15));
    QVERIFY(QFileInfo::exists(dialogs.printPath));
    m_window->findChild<QAction*>(QStringLiteral("actPrintPreview"))->trigger();
    QCOMPARE(dialogs.previews, 1);

    // The buttons in a row, "CFRM Policy…" among them, by Tab.
    auto* print = m_window->findChild<QPushButton*>(QStringLiteral("cmdPrint"));
    print->setFocus();
    QTest::keyClick(print, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "cmdCfrmPolicy");

    // On What If they act on its table and charts, as the page's own buttons do.
    clickTab(4);
    auto* table = m_window->findChild<QTableWidget*>(QStringLiteral("tblWhatIf"));
    QTRY_VERIFY(table->rowCount() > 0);
    QCOMPARE(enabled(), QList<bool>({true, true, true, true}));
    m_window->findChild<QAction*>(QStringLiteral("actCopyResults"))->trigger();
    const QStringList whatIfLines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    QVERIFY(whatIfLines[0].startsWith("Members,SCA Size (Mb),"));
    QCOMPARE(whatIfLines[1].section(',', 0, 0), table->item(0, 0)->text());
    QCOMPARE(whatIfLines.size(), table->rowCount() + 2);  // and the last line's end
    dialogs.printPath = dir.filePath(QStringLiteral("w.pdf"));
    dialogs.marginsMm = {};
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.marginsMm, QMarginsF(15, 15, 15, 15));
    QVERIFY(QFileInfo(dialogs.printPath).size() > 0);
    m_window->findChild<QAction*>(QStringLiteral("actPrintPreview"))->trigger();
    QCOMPARE(dialogs.previews, 2);
    clickTab(1);
    QCOMPARE(enabled(), QList<bool>({false, false, false, false}));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

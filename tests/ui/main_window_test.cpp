// The main window as the user drives it: start-up, pages made reachable, files loaded on leaving
// the files page, the sizing on entering the results page, column widths kept across runs; keys,
// menus, drops, the command line, Open Recent, plans, undo, and the question before unsaved
// choices are lost.
#include "ui/main_window.h"

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
#include <atomic>
#include <functional>
#include <latch>
#include <list>

#include "core/io/file_source.h"
#include "core/plan.h"
#include "core/tables.h"
#include "settings/recent_files.h"
#include "tests/core/file_size_limit.h"
#include "tests/core/test_lines.h"
#include "tests/ui/scripted_seams.h"
#include "tests/ui/test_tables.h"
#include "ui/cfrm_dialog.h"
#include "ui/objects_page.h"
#include "ui/plan_account_dialog.h"
#include "ui/pools_page.h"
#include "ui/report_dialogs.h"
#include "ui/results_page.h"
#include "ui/title_window.h"
#include "ui/what_if_page.h"

using core::testing::BpsLine;
using ui::MainWindow;

namespace {

const std::string kHeader(core::testing::kHeader);
const std::string kLead = core::testing::Put("LEAD", 142, "10.00.00");
const QString kDb1a = QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta");
const QString kDb1b = QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim");

// Every read waits until released, as a read on a dead network file system does.
class HungFileSource : public core::FileSource {
public:
    std::optional<core::FileErrorReason> Read(const std::string& path,
                                              core::FileContents& out) const override {
        ++started;
        m_released.wait();
        const std::optional<core::FileErrorReason> failure = core::DiskFileSource().Read(path, out);
        ++ended;
        return failure;
    }
    void release() { m_released.count_down(); }
    mutable std::atomic<int> started = 0;
    mutable std::atomic<int> ended = 0;

private:
    mutable std::latch m_released{1};
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
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir->filePath(QStringLiteral("settings")));
        m_messages = std::make_unique<ui::RecordingMessageSink>();
        m_chooser = std::make_unique<ui::ScriptedFileChooser>();
        m_accounts = std::make_unique<RecordingAccountSink>();
    }
    void cleanup() { m_window.reset(); }  // before the seams it was given

    void titleWindowHandsOverOnceAndTheKeyboardAloneGoesOn();
    void aWindowStartedEmptyIsDrivenThroughItsControls();
    void filesLoadOnLeavingThePageOnlyAfterTheListChanged();
    void failedLoadKeepsTheFilesPageAndTheTables();
    void hungReadGivesWayToEveryWayOut_data();
    void hungReadGivesWayToEveryWayOut();
    void leavingWhatIfStopsItsSweep();
    void headerWithoutEnvWarnsOncePerFile();
    void resultsPageRunsTheSizingAndTheResultsMenuActsOnWhatIsShown();
    void typedNumbersReachTheSizingOrAreRefused_data();
    void typedNumbersReachTheSizingOrAreRefused();
    void objectsPageIsRebuiltAndAddingAFileKeepsTheChoices();
    void plansOpenOnlyWhenWholeAndSaveTheChoices();
    void pathsOpenByKindAndPlansBringWhatIf_data();
    void pathsOpenByKindAndPlansBringWhatIf();
    void recentEntryOfAGoneFileIsTakenOff();
    void planIsSavedMarkedAskedForAndOpenedFromTheCommandLine();
    void listsAndUndoOnTheChoicesOfOneFile();

private:
    // Shows the window. With no `startPaths` the first activation asks for a file and gets
    // `firstFile` (empty: the user cancels); with them it opens them and asks nothing.
    void start(const QString& firstFile = {}, const QStringList& startPaths = {}) {
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
    // db1a, every pool shared but BP7, which holds work files only and is refused.
    void startSharingAll() {
        start(kDb1a);
        clickTab(1);
        clickButton(QStringLiteral("cmdShareAllPools"));
    }
    // Clicks the tab of `page`; `landsOn` is the page expected current after it (-1: `page`).
    void clickTab(int page, int landsOn = -1) {
        QTabBar* bar = m_pages->tabBar();
        QVERIFY2(bar->isTabEnabled(page), qPrintable(QStringLiteral("page %1 disabled").arg(page)));
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        QCOMPARE(m_pages->currentIndex(), landsOn < 0 ? page : landsOn);
    }
    void clickButton(const QString& name) { ui::ClickButton(m_window.get(), name); }
    void clickCacheAll() {
        auto* box = m_window->findChild<QWidget*>(QStringLiteral("chkCacheAllObjects"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void ctrlKey(Qt::Key key) { QTest::keyClick(m_window.get(), key, Qt::ControlModifier); }
    // Runs `act` once, from the event loop, as soon as `ready` holds.
    void actWhen(const std::function<bool()>& ready, const std::function<void()>& act) {
        auto* timer = new QTimer(m_window.get());
        connect(timer, &QTimer::timeout, m_window.get(), [timer, ready, act] {
            if (ready()) {
                timer->stop();
                act();
            }
        });
        timer->start(20);
    }
    bool loading() const { return m_window->findChild<QProgressBar*>("pbReadFile")->isVisible(); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    QString writeFile(const QString& name, const std::vector<std::string>& lines = {kHeader}) {
        QFile file(m_dir->filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            for (const std::string& line : lines) {
                file.write((line + "\r\n").c_str());
            }
        }
        return file.fileName();
    }
    static QByteArray readBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QJsonDocument readJson(const QString& path) {
        return QJsonDocument::fromJson(readBytes(path));
    }
    void removeFirstFile() {
        m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->setCurrentRow(0);
        clickButton(QStringLiteral("cmdRemove"));
    }
    QList<bool> enabledPages() const {
        QList<bool> enabled;
        for (int i = 0; i < m_pages->count(); ++i) {
            enabled.append(m_pages->isTabEnabled(i) && m_pages->isTabVisible(i));
        }
        return enabled;
    }
    QStringList availablePools() const {
        QStringList pools;
        for (const std::string& pool : m_window->tables().lstPools) {
            pools.append(QString::fromStdString(pool));
        }
        return pools;
    }
    QStringList listedFiles() const {
        QStringList paths;
        const auto* list = m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"));
        for (int i = 0; i < list->count(); ++i) {
            paths.append(QFileInfo(list->item(i)->text()).fileName());
        }
        return paths;
    }
    QString labelText(const QString& name) const {
        const auto* label = m_window->findChild<QLabel*>(name);
        return label == nullptr ? QStringLiteral("<no %1>").arg(name) : label->text();
    }
    // Alt plus the menu's underlined letter, as the user opens it.
    QMenu* openMenu(Qt::Key mnemonic) {
        QTest::keyClick(m_window.get(), mnemonic, Qt::AltModifier);
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) {
            return nullptr;
        }
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    // File, Open Recent, the newest entry, by their keys.
    void openNewestRecent() {
        QMenu* file = openMenu(Qt::Key_F);
        QVERIFY(file);
        QTest::keyClick(file, Qt::Key_R);  // Open &Recent
        QTRY_VERIFY(QApplication::activePopupWidget() != file);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
    }
    // One more member, typed as the user would: the choices now differ from the plan's.
    QAbstractSpinBox* bumpMembers() {
        auto* members = m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"));
        members->setFocus();
        QTest::keyClick(members, Qt::Key_Up);
        return members;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ui::RecordingMessageSink> m_messages;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<RecordingAccountSink> m_accounts;
    std::unique_ptr<MainWindow> m_window;
    QTabWidget* m_pages = nullptr;
};

void MainWindowTest::titleWindowHandsOverOnceAndTheKeyboardAloneGoesOn() {
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
    m_pages = m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    QCOMPARE(m_pages->currentIndex(), 0);

    // From there the keyboard alone goes through the pages.
    m_chooser->willChoose(writeFile("a.sta", {kHeader, kLead, BpsLine("BP0")}));
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

// A window started without a file, driven through its controls in turn.
void MainWindowTest::aWindowStartedEmptyIsDrivenThroughItsControls() {
    start();
    // Every control has a name a screen reader speaks, and each page's hint names the next page
    // as its tab reads.
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
    const char* hints[] = {"lblFilesHint", "lblPoolsHint", "lblObjectsHint", "lblResultsHint"};
    const QStringList next = {"Select Shared Pools", "Select Shared Objects", "View Results",
                              "What If"};
    for (int page = 0; page < 4; ++page) {
        const auto* label = m_pages->widget(page)->findChild<QLabel*>(hints[page]);
        QVERIFY2(label && label->isVisibleTo(m_pages->widget(page)), hints[page]);
        QVERIFY2(label->text().contains(QString::fromUtf8("Click “%1” to go on").arg(next[page])),
                 qPrintable(label->text()));
        QCOMPARE(m_pages->tabText(page + 1), next[page]);
    }

    // Pages become reachable by the events that enable them.
    auto* pools = m_window->findChild<ui::PoolsPage*>();
    auto* objects = m_window->findChild<ui::ObjectsPage*>();
    QVERIFY(pools && objects);
    using Pages = QList<bool>;
    QCOMPARE(enabledPages(), Pages({true, false, false, false, false}));  // cancelled at start-up
    m_chooser->willChoose(writeFile("a.sta", {kHeader, kLead, BpsLine("BP0")}));
    clickButton(QStringLiteral("cmdAdd"));
    QCOMPARE(enabledPages(), Pages({true, true, false, false, false}));
    emit pools->sharedPagesEnabled(true);  // a pool is shared
    QCOMPARE(enabledPages(), Pages({true, true, true, true, true}));
    emit pools->sharedPagesEnabled(false);  // the last shared pool is removed
    QCOMPARE(enabledPages(), Pages({true, true, false, false, false}));
    emit objects->resultsPageEnabled();  // an object's check mark changes
    QCOMPARE(enabledPages(), Pages({true, true, false, true, true}));
    removeFirstFile();  // the only one
    QCOMPARE(enabledPages(), Pages({true, true, false, true, true}));
    QVERIFY(m_window->tables().lstSelectedFiles.empty());

    // Add Files and Help run from the keyboard.
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

    // Column widths are stored at close and restored at start.
    auto widths = [this](const char* list) {
        const QHeaderView* header = m_window->findChild<QTreeView*>(list)->header();
        QList<int> sizes;
        for (int i = 0; i < header->count(); ++i) {
            sizes.append(header->sectionSize(i));
        }
        return sizes;
    };
    const QList<int> defaults = widths("lvResults");
    // Empty, negative and absurd pieces keep the default width; one too narrow to see or grab
    // gets its caption's width; extra pieces are ignored.
    QSettings store(m_dir->filePath("Loomkeep/Loomkeep.conf"), QSettings::IniFormat);
    store.setValue(QStringLiteral("Layout/lvResults"), QStringLiteral("80,,7,-5,99999, 50,40"));
    store.setValue(QStringLiteral("Layout/lvSharedPools"), QStringLiteral("100, 50"));
    store.sync();
    m_window.reset();
    start();
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
    m_window.reset();
    start();
    QCOMPARE(widths("lvResults").last(), 133);

    // Opening a plan hashes its files that were touched since; Esc stops that as it stops a load.
    // Last, as it is skipped where no sparse file can be made.
    QFile big(m_dir->filePath(QStringLiteral("big.sta")));
    constexpr qint64 kBigBytes = qint64{64} << 30;  // sparse: seconds to hash, nothing on disk
    if (!big.open(QIODevice::WriteOnly) || !big.resize(kBigBytes)) {
        QSKIP("no sparse file of 64 GiB here");
    }
    big.close();
    const QString plan = writeFile("big.loomplan", {QStringLiteral(R"({"format": "loomstead-plan",
        "version": 1, "files": [{"path": "big.sta", "size": %1, "modified_ns": 1, "sha256": "00"}]})")
                                                        .arg(kBigBytes)
                                                        .toStdString()});
    QElapsedTimer sinceEsc;
    actWhen([&] { return status().endsWith(QStringLiteral("big.sta")); },
            [&] {
                sinceEsc.start();
                QTest::keyClick(m_window.get(), Qt::Key_Escape);
            });
    QVERIFY(!m_window->openPlan(plan));
    QVERIFY(sinceEsc.isValid());
    QVERIFY2(sinceEsc.elapsed() < 500, qPrintable(QString::number(sinceEsc.elapsed())));
    QCOMPARE(status(), "Checking the files of the plan was cancelled");
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

void MainWindowTest::failedLoadKeepsTheFilesPageAndTheTables() {
    start(kDb1a);
    m_chooser->willChoose(kDb1b);
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
    QVERIFY(!loading());
    QCOMPARE(labelText("lblDataSize"), "0.24 Mb");  // of the load still in force
    QVERIFY(m_window->tables().FilesChanged);
}

// A read that hangs must not hold the window: Esc returns control at once, and Close, the Quit
// key and the Cancel button close it; the reads left behind end on their own once released,
// into nothing the window owned. A click on Remove File during the load is dropped.
void MainWindowTest::hungReadGivesWayToEveryWayOut_data() {
    QTest::addColumn<QString>("way");
    for (const char* way : {"Esc", "Close", "Ctrl+Q", "Cancel"}) {
        QTest::newRow(way) << QString::fromLatin1(way);
    }
}

void MainWindowTest::hungReadGivesWayToEveryWayOut() {
    QFETCH(QString, way);
    start(kDb1a);
    clickTab(1);
    const QStringList pools = availablePools();
    static std::list<HungFileSource> sources;  // outlive the windows, as the reads may
    HungFileSource& hung = sources.emplace_back();
    m_window->setFileSource(hung);
    clickTab(0);
    m_chooser->willChoose(writeFile("b.sta", {kHeader, kLead, BpsLine("BP9")}));
    clickButton(QStringLiteral("cmdAdd"));
    QElapsedTimer sinceAsked;
    actWhen([&] { return hung.started > 0 && loading(); },
            [&] {
                clickButton(QStringLiteral("cmdRemove"));
                sinceAsked.start();
                if (way == "Close") {
                    m_window->close();
                } else if (way != "Cancel") {
                    QTest::keySequence(m_window.get(), QKeySequence(way));  // Esc, Ctrl+Q
                } else {
                    QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("cmdQuit")),
                                      Qt::LeftButton);
                }
            });
    clickTab(1, 0);
    QVERIFY(sinceAsked.isValid());
    QVERIFY2(sinceAsked.elapsed() < 500, qPrintable(QString::number(sinceAsked.elapsed())));
    QCOMPARE(availablePools(), pools);
    QCOMPARE(listedFiles(), QStringList({"db1a.sta", "b.sta"}));
    if (way == "Esc") {
        QCOMPARE(status(), "Reading the data files was cancelled");
        QVERIFY(m_window->isVisible());
        QVERIFY(m_messages->messages.isEmpty());
    } else {
        QTRY_VERIFY(!m_window->isVisible());
    }

    hung.release();
    QTRY_COMPARE(hung.ended.load(), hung.started.load());
    QTest::qWait(50);  // the threads' last steps after their reads
    if (way == "Esc") {
        clickTab(1);  // the files still count as changed
        QCOMPARE(availablePools(), pools + QStringList{"BP9"});
        QVERIFY(!m_window->tables().FilesChanged);
    }
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

// Entering the results page runs the sizing step by step; the Results menu and its keys act on
// the results shown, and on What If's table and charts there. What the page's own buttons
// write, sort and print has tests of its own; here the window's part.
void MainWindowTest::resultsPageRunsTheSizingAndTheResultsMenuActsOnWhatIsShown() {
    startSharingAll();  // BP0-BP3 and BP32K
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
    auto* quit = m_window->findChild<QPushButton*>(QStringLiteral("cmdQuit"));
    QCOMPARE(quit->text(), "&Cancel");
    QSignalSpy statusSpy(m_window->statusBar(), &QStatusBar::messageChanged);
    clickTab(3);
    QStringList steps;
    for (const QList<QVariant>& signal : statusSpy) {
        steps.append(signal.first().toString());
    }
    QCOMPARE(steps,
             QStringList({"Calculating SCA Size", "Calculating Lock Structure Size",
                          "Calculating Directory Ratio", "Calculating ECSCA Size",
                          "Calculating GB Pool Sizes", "Calculating Total Memory Reqd", ""}));
    QCOMPARE(labelText("lblInfo1"), "  5");
    QCOMPARE(quit->text(), "&Finish");
    QCOMPARE(enabled(), QList<bool>({true, true, true, true}));
    ui::ScriptedReportDialogs dialogs;
    const QTemporaryDir dir;
    dialogs.exportPath = dir.filePath(QStringLiteral("results.json"));
    dialogs.printPath = dir.filePath(QStringLiteral("p.pdf"));
    m_window->resultsPage()->setReportDialogs(dialogs);

    // Ctrl+C in the table copies its rows.
    auto* view = m_window->findChild<QTreeView*>(QStringLiteral("lvResults"));
    view->setFocus();
    QApplication::clipboard()->clear();
    QTest::keySequence(view, QKeySequence::Copy);
    QStringList copied;
    for (const QString& line : QApplication::clipboard()->text().split('\n').mid(1, 5)) {
        copied.append(line.section('\t', 0, 0));
    }
    QCOMPARE(copied, QStringList({"BP0", "BP1", "BP2", "BP3", "BP32K"}));

    // Export names the refused pool, as the batch sizer does for the same choices.
    ctrlKey(Qt::Key_E);
    QCOMPARE(status(), "Exported results.json");
    const QJsonArray refused = readJson(dialogs.exportPath)["refused"].toArray();
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused[0]["pool"].toString(), "BP7");
    ctrlKey(Qt::Key_P);
    QVERIFY(QFileInfo::exists(dialogs.printPath));
    m_window->findChild<QAction*>(QStringLiteral("actPrintPreview"))->trigger();
    QCOMPARE(dialogs.previews, 1);

    // On What If they act on its table and charts, as the page's own buttons do.
    clickTab(4);
    auto* table = m_window->findChild<QTableWidget*>(QStringLiteral("tblWhatIf"));
    QTRY_VERIFY(table->rowCount() > 0);
    QCOMPARE(enabled(), QList<bool>({true, true, true, true}));
    m_window->findChild<QAction*>(QStringLiteral("actCopyResults"))->trigger();
    QVERIFY(QApplication::clipboard()->text().startsWith("Members,SCA Size (Mb),"));
    dialogs.printPath = dir.filePath(QStringLiteral("w.pdf"));
    dialogs.marginsMm = {};
    ctrlKey(Qt::Key_P);
    QCOMPARE(dialogs.marginsMm, QMarginsF(15, 15, 15, 15));
    QVERIFY(QFileInfo(dialogs.printPath).size() > 0);
    m_window->findChild<QAction*>(QStringLiteral("actPrintPreview"))->trigger();
    QCOMPARE(dialogs.previews, 2);
    clickTab(1);
    QCOMPARE(enabled(), QList<bool>({false, false, false, false}));
    clickButton(QStringLiteral("cmdQuit"));
    QVERIFY(!m_window->isVisible());
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
    startSharingAll();  // one refusal: BP7 holds work files only
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

void MainWindowTest::objectsPageIsRebuiltAndAddingAFileKeepsTheChoices() {
    startSharingAll();
    QCOMPARE(m_messages->messages.size(), 1);  // BP7's refusal
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
    clickCacheAll();
    QCOMPARE(labelText("lblTPSObjects"), "36");

    auto* undo = m_window->findChild<QAction*>(QStringLiteral("actUndo"));
    QVERIFY(undo->isEnabled());
    clickTab(0);
    m_chooser->willChoose(kDb1b);
    clickButton(QStringLiteral("cmdAdd"));
    clickTab(2);
    QVERIFY(!undo->isEnabled());  // reading the files again starts the history afresh
    QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("actRedo"))->isEnabled());
    QCOMPARE(ui::Texts(pools->model()), QStringList({"BP0", "BP1", "BP2", "BP3", "BP32K"}));
    ui::ClickRow(pools, 3);
    QCOMPARE(labelText("lblTPSObjects"), "65");  // Cache All took db1b's 29 objects too
    QCOMPARE(m_accounts->titles, QStringList({"Choices After Reloading"}));
}

// A plan opens whole or not at all, whether named at start or chosen by Open Plan: a file that
// is not one is refused without a question about the change in hand, and the tables stay.
void MainWindowTest::plansOpenOnlyWhenWholeAndSaveTheChoices() {
    startSharingAll();
    m_messages->messages.clear();                                        // BP7's refusal
    const QString plan = m_dir->filePath(QStringLiteral("saved.json"));  // any name will do
    QVERIFY(m_window->savePlan(plan));
    QVERIFY(!m_window->savePlan(m_dir->filePath(QStringLiteral("no/such.loomplan"))));
    QCOMPARE(m_messages->messages.size(), 1);
    m_messages->messages.clear();
    const QString noFormat = R"(it is not a plan (it has no "format": "loomstead-plan").)";
    const struct {
        QString name;
        std::string text;
        bool chosen;  // by Open Plan; else as the command line and a drop open it
        QString message;
    } refused[] = {
        {"x.loomplan", "[]", false, "The plan x.loomplan cannot be opened: " + noFormat},
        {"report.json", R"({"pools": []})", true,
         "report.json is not a Loomstead plan: " + noFormat},
        {"notes.loomplan", "BP1 BP2", true,
         "notes.loomplan is not a Loomstead plan: it is not JSON (syntax error at byte 1)."},
    };
    bumpMembers();  // a change, which a refused file must not ask to save
    for (const auto& r : refused) {
        const QString path = writeFile(r.name, {r.text});
        if (r.chosen) {
            m_chooser->planAnswers.enqueue(path);
            ctrlKey(Qt::Key_O);
        } else {
            QVERIFY(!m_window->openPlan(path));
        }
        QTRY_COMPARE(m_messages->messages.size(), 1);
        QCOMPARE(m_messages->messages[0].text, r.message);
        QCOMPARE(m_messages->messages[0].title, "Open Plan");
        m_messages->messages.clear();
        QCOMPARE(m_window->tables().lstSelectedFiles.size(), 1u);
        QCOMPARE(m_window->tables().lvSharedPools.size(), 5u);
        QVERIFY(m_messages->questions.isEmpty());
        QVERIFY(m_window->hasUnsavedChanges());
    }

    clickTab(0);
    removeFirstFile();
    clickTab(1);
    QCOMPARE(m_window->tables().lvSharedPools.size(), 0u);
    m_chooser->planAnswers.enqueue(plan);
    ctrlKey(Qt::Key_O);
    QTRY_COMPARE(m_messages->questions.size(), 1);
    QTRY_VERIFY(!m_window->hasUnsavedChanges());
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(m_pages->currentIndex(), 1);
    QCOMPARE(m_window->tables().lstSelectedFiles.size(), 1u);
    QCOMPARE(m_window->tables().lvSharedPools.size(), 5u);
    QCOMPARE(m_accounts->titles.size(), 1);  // the plan carried over whole
}

// Data files, folders and plans named on the command line, dropped, or chosen by Open Recent or
// Open Plan. The plans hold plan.sta with BP1 shared; "choices.loomplan" holds the choice
// alone, for the files loaded now. Every way to open a plan brings What If with its results.
void MainWindowTest::pathsOpenByKindAndPlansBringWhatIf_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("detail");
    const QString folder =
        QStringLiteral("%1folder: is a folder; add the statistics files inside it instead");
    // Relative names on the command line are read from the folder the program started in.
    QTest::newRow("command line") << "command line"
                                  << QStringList{"b.sim", "folder", "a.sta", "gone.sta"}
                                  << QStringList{"b.sim", "a.sta"}
                                  << folder + "\n%1gone.sta: does not exist";
    QTest::newRow("drop: any regular file is data, a folder is not")
        << "drop" << QStringList{"folder", "a.sta", "notes.txt"}
        << QStringList{"a.sta", "notes.txt"} << folder;
    // A file beside a plan is added to the plan's.
    QTest::newRow("drop: a plan and a file") << "drop" << QStringList{"b.loomplan", "a.sta"}
                                             << QStringList{"plan.sta", "a.sta"} << QString();
    QTest::newRow("command line: two plans")
        << "command line" << QStringList{"b.loomplan", "c.loomplan"} << QStringList{"plan.sta"}
        << QStringLiteral("%1c.loomplan: is a second plan; one plan is opened at a time");
    for (const char* route : {"Open Recent", "Open Plan"}) {
        QTest::newRow(route) << route << QStringList{"b.loomplan"} << QStringList{"plan.sta"}
                             << QString();
    }
    QTest::newRow("Open Plan: choices alone on loaded files")
        << "Open Plan" << QStringList{"choices.loomplan"} << QStringList{"plan.sta"} << QString();
}

void MainWindowTest::pathsOpenByKindAndPlansBringWhatIf() {
    QFETCH(QString, route);
    QFETCH(QStringList, names);
    QFETCH(QStringList, listed);
    QFETCH(QString, detail);
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    const QString data = m_dir->filePath(QStringLiteral("plan.sta"));
    QVERIFY(QFile::copy(kDb1a, data));
    QMimeData urls;  // dropped from a file manager
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".loomplan"))) {
            core::Plan plan;
            if (name != QLatin1String("choices.loomplan")) {
                plan.files.push_back({data.toStdString(), 0, 0, {}});
            }
            plan.pools.push_back({"BP1", false});
            QVERIFY(core::WritePlanFile(m_dir->filePath(name).toStdString(), plan).ok());
        } else if (name != QLatin1String("folder") && name != QLatin1String("gone.sta")) {
            writeFile(name);
        }
        urls.setUrls(urls.urls() << QUrl::fromLocalFile(m_dir->filePath(name)));
    }
    const QString first = m_dir->filePath(names.first());
    if (route == QLatin1String("command line")) {
        const QString startFolder = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        start({}, names);
        QDir::setCurrent(startFolder);
    } else if (route == QLatin1String("drop")) {
        start();
        // On the file list, which passes them to the window: the list takes no drops itself.
        QWidget* target =
            m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &urls, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(at, Qt::CopyAction, &urls, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, Qt::CopyAction, &urls, Qt::LeftButton, Qt::NoModifier);
        for (QDropEvent* event : std::initializer_list<QDropEvent*>{&enter, &move, &drop}) {
            QApplication::sendEvent(target, event);
            QVERIFY(event->isAccepted());
        }
    } else if (route == QLatin1String("Open Recent")) {
        settings::RecentFilesStore().add(first);
        start();
        openNewestRecent();
    } else {
        const bool choicesAlone = names.first() == QLatin1String("choices.loomplan");
        start(choicesAlone ? data : QString());
        if (choicesAlone) {
            clickTab(1);  // reads the file
            QCOMPARE(enabledPages(), QList<bool>({true, true, false, false, false}));
        }
        m_chooser->planAnswers.enqueue(first);
        ctrlKey(Qt::Key_O);
    }
    QTRY_COMPARE(listedFiles(), listed);
    QCOMPARE(m_messages->messages.size(), detail.isEmpty() ? 0 : 1);
    if (!detail.isEmpty()) {
        QCOMPARE(m_messages->messages[0].text, "Some files could not be opened.");
        QCOMPARE(m_messages->messages[0].detail,
                 detail.arg(QDir::toNativeSeparators(m_dir->path() + u'/')));
    }
    if (first.endsWith(QLatin1String(".loomplan"))) {
        QTRY_COMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
        QCOMPARE(enabledPages(), QList<bool>({true, true, true, true, true}));
        clickTab(4);
        QTRY_VERIFY(m_window->findChild<QTableWidget*>(QStringLiteral("tblWhatIf"))->rowCount() >
                    0);
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
    openNewestRecent();  // gone.sta
    openNewestRecent();  // then kept.sta
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
    QVERIFY(QFile::copy(kDb1a, data));
    start({}, {data});
    m_pages->setCurrentIndex(1);  // reads the file
    clickButton(QStringLiteral("cmdShareAllPools"));
    m_messages->messages.clear();  // BP7's refusal
    QVERIFY(m_window->hasUnsavedChanges());

    // Save asks where the first time; the name gets the plan's ending.
    m_chooser->planAnswers.enqueue(m_dir->filePath(QStringLiteral("march")));
    ctrlKey(Qt::Key_S);
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    QVERIFY(QFileInfo::exists(plan));
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QCOMPARE(status(), "Saved march.loomplan");
    QCOMPARE(settings::RecentFilesStore().files().first(), plan);

    bumpMembers();
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");

    // A save that fails says why, and keeps the mark and the plan as it was, whole.
    const QByteArray saved = readBytes(plan);
    {
        const core::testing::FileSizeLimit fullDisk(64);
        ctrlKey(Qt::Key_S);
    }
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.last().text,
             "The plan march.loomplan cannot be saved: File too large.");
    m_messages->messages.clear();
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");
    QCOMPARE(readBytes(plan), saved);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"db1a.sta", "march.loomplan"}));

    // Quitting asks; Cancel keeps the window, Save writes the open plan without asking where.
    for (ui::SaveAnswer answer : {ui::SaveAnswer::kCancel, ui::SaveAnswer::kSave}) {
        m_messages->saveAnswer = answer;
        ctrlKey(Qt::Key_Q);
        QCOMPARE(m_window->isVisible(), answer == ui::SaveAnswer::kCancel);
    }
    QCOMPARE(m_messages->questions.size(), 2);
    QCOMPARE(m_messages->questions[0].text,
             "The plan march.loomplan has unsaved changes. Save them?");
    QCOMPARE(m_chooser->planRequests, 1);

    // Policy inputs another program put in the plan, which this window does not use.
    QJsonObject root = readJson(plan).object();
    root[QStringLiteral("cfrm")] =
        QJsonObject{{QStringLiteral("group"), QStringLiteral("DSNDB0G")}};
    writeFile("march.loomplan", {QJsonDocument(root).toJson().toStdString()});

    m_window.reset();
    start({}, {plan});
    QCOMPARE(m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"))->text(), "2");
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QVERIFY(m_messages->messages.isEmpty());

    // Open Plan over a change asks once, and the plan's own number comes back.
    QAbstractSpinBox* members = bumpMembers();
    m_messages->saveAnswer = ui::SaveAnswer::kDiscard;
    m_chooser->planAnswers.enqueue(plan);
    ctrlKey(Qt::Key_O);
    QCOMPARE(m_messages->questions.size(), 3);
    QCOMPARE(members->text(), "2");
    QVERIFY(!m_window->hasUnsavedChanges());

    // Saved again, the plan keeps them.
    bumpMembers();
    ctrlKey(Qt::Key_S);
    QCOMPARE(readJson(plan)["cfrm"]["group"].toString(), "DSNDB0G");

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
    ctrlKey(Qt::Key_S);
    const QJsonObject cfrm = readJson(plan)["cfrm"].toObject();
    QCOMPARE(cfrm["group"].toString(), "DSNDB0G");
    QCOMPARE(cfrm["minRatio"].toString(), "13");
    QCOMPARE(cfrm["lockMb"].toString(), "128");
}

void MainWindowTest::listsAndUndoOnTheChoicesOfOneFile() {
    start(kDb1a);
    clickTab(1);
    auto* undo = m_window->findChild<QAction*>(QStringLiteral("actUndo"));
    auto* redo = m_window->findChild<QAction*>(QStringLiteral("actRedo"));
    QVERIFY(undo && redo && !undo->isEnabled());
    const auto shared = [this] { return m_window->tables().lvSharedPools.size(); };
    const auto undoKey = [this] { ctrlKey(Qt::Key_Z); };
    const auto redoKey = [this, redo] { QTest::keySequence(m_window.get(), redo->shortcut()); };

    // A list in focus selects its first entry on Down.
    auto* available = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstPools"));
    available->setFocus(Qt::TabFocusReason);
    QTest::keyClick(available, Qt::Key_Down);
    QCOMPARE(available->selectionModel()->selectedRows().value(0).data().toString(), "BP0");

    // Undo takes back shares and object choices step by step.
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
    clickCacheAll();
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

    // Lists show whole captions, and the results select their first row on Down.
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QUndoCommand>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "ui/busy_guard.h"
#include "ui/cfrm_dialog.h"
#include "settings/cfrm_inputs.h"
#include "core/cfrm_policy.h"
#include "core/choices.h"
#include "ui/column_widths.h"
#include "ui/data_text.h"
#include "ui/dialogs.h"
#include "core/io/file_source.h"
#include "ui/files_page.h"
#include "ui/help_windows.h"
#include "core/input_files.h"
#include "core/loader.h"
#include "core/messages.h"
#include "ui/objects_page.h"
#include "ui/path_kinds.h"
#include "ui/plan_account_dialog.h"
#include "ui/plan_io.h"
#include "ui/pools_page.h"
#include "settings/recent_files.h"
#include "ui/report_dialogs.h"
#include "core/result_warnings.h"
#include "ui/results_export.h"
#include "ui/results_page.h"
#include "ui/running_group_dialog.h"
#include "ui/shell_messages.h"
#include "core/sizing.h"
#include "core/tables.h"
#include "ui/typed_number_box.h"
#include "core/version.h"
#include "ui/what_if_output.h"
#include "ui/what_if_page.h"
#include "ui/window_layout.h"

namespace ui {
namespace {

QString FromCore(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

const core::DiskFileSource kDiskFiles;

// The loader's progress as the worker thread reports it, read by the window's thread on a timer:
// the file being read and how far. Esc sets the cancel flag the loader polls.
class LoadProgress : public core::LoadObserver {
public:
    void FileStarting(size_t, std::string_view path) override {
        const std::lock_guard<std::mutex> lock(m_pathMutex);
        m_path.assign(path);
        m_sizeBytes = 0;
        m_charactersRead = 0;
    }
    void FileOpened(size_t, uint64_t sizeBytes) override { m_sizeBytes = sizeBytes; }
    void Progress(uint64_t charactersRead) override { m_charactersRead = charactersRead; }
    bool CancelRequested() override { return m_cancel; }

    void requestCancel() { m_cancel = true; }
    const std::atomic<bool>& cancelFlag() const { return m_cancel; }

    // Shows the state in the status bar; a progress bar counts in int, so files past 2 GB are
    // counted in coarser steps.
    void show(QStatusBar& statusBar, QProgressBar& progress) {
        QString path;
        {
            const std::lock_guard<std::mutex> lock(m_pathMutex);
            path = FromCore(m_path);
        }
        if (statusBar.currentMessage() != path) {
            statusBar.showMessage(path);
        }
        const uint64_t size = m_sizeBytes;
        int shift = 0;
        while ((size >> shift) > static_cast<uint64_t>(INT_MAX)) {
            ++shift;
        }
        const int maximum = static_cast<int>(size >> shift);
        progress.setRange(0, maximum);  // 0 to 0 while a file opens: the bar shows it is busy
        progress.setValue(static_cast<int>(
            std::min<uint64_t>(m_charactersRead.load() >> shift, static_cast<uint64_t>(maximum))));
    }

private:
    std::mutex m_pathMutex;
    std::string m_path;
    std::atomic<uint64_t> m_sizeBytes = 0;
    std::atomic<uint64_t> m_charactersRead = 0;
    std::atomic<bool> m_cancel = false;
};

}  // namespace

// Work on a thread of its own while the window waits (a load, the hashing of a plan's files).
// Everything the thread writes lives here or in what its work owns, shared with the window, so
// that a cancel need not wait for a read that may not return for minutes (a dead network file
// system): the thread is left to finish on its own, and what it brings is dropped with the last
// reference.
struct AsideRun {
    LoadProgress progress;  // the cancel flag, and what the status bar shows
    std::mutex mutex;
    QEventLoop* waiting = nullptr;  // the window's loop while it waits; under `mutex`
    bool finished = false;          // under `mutex`
};

namespace {

// Esc cancels the run; Close and Quit cancel it and then close the window. Installed after the
// busy guard's filter, so it sees the input before that filter drops it all.
class CancelKeys : public QObject {
public:
    CancelKeys(AsideRun& run, QEventLoop& loop, QWidget& window, QList<QKeySequence> quitKeys,
               QObject& quitButton)
        : m_run(run),
          m_loop(loop),
          m_window(window),
          m_quitKeys(std::move(quitKeys)),
          m_quitButton(quitButton) {}

    // Close or Quit came during the run.
    bool closeAsked() const { return m_closeAsked; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (QApplication::activeModalWidget() != nullptr) {
            return QObject::eventFilter(watched, event);
        }
        const bool close =
            // The window system's close reaches the window's QWindow first.
            (event->type() == QEvent::Close &&
             (watched == &m_window || watched == m_window.windowHandle())) ||
            // The Quit keys come as the shortcut, or as a key press where no shortcut took it.
            (event->type() == QEvent::Shortcut &&
             m_quitKeys.contains(static_cast<QShortcutEvent*>(event)->key())) ||
            (event->type() == QEvent::KeyPress && IsQuitKey(*static_cast<QKeyEvent*>(event))) ||
            (event->type() == QEvent::MouseButtonRelease && watched == &m_quitButton);
        const bool escape = event->type() == QEvent::KeyPress &&
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (!close && !escape) {
            return QObject::eventFilter(watched, event);
        }
        m_closeAsked = m_closeAsked || close;
        m_run.progress.requestCancel();
        m_loop.quit();
        event->ignore();
        return true;
    }

private:
    bool IsQuitKey(const QKeyEvent& key) const {
        return m_quitKeys.contains(QKeySequence(key.keyCombination()));
    }

    AsideRun& m_run;
    QEventLoop& m_loop;
    QWidget& m_window;
    const QList<QKeySequence> m_quitKeys;
    QObject& m_quitButton;
    bool m_closeAsked = false;
};

// Shows each step of the sizing run in the status bar; the first four let the text paint.
class SizingProgress : public core::SizingObserver {
public:
    explicit SizingProgress(QStatusBar& statusBar) : m_statusBar(statusBar) {}

    void StepStarting(core::SizingStep step) override {
        m_statusBar.showMessage(FromCore(core::StatusText(step)));
        if (step == core::SizingStep::kScaSize || step == core::SizingStep::kLockStructure ||
            step == core::SizingStep::kDirectoryRatio || step == core::SizingStep::kEcsaSize) {
            ProcessPendingEvents();
        }
    }

private:
    QStatusBar& m_statusBar;
};

// A reload keeps nothing the user chose unless there was something to keep.
bool HasChoices(const core::Plan& choices) {
    return !choices.pools.empty() || !choices.objects.empty();
}

const QString kKeptChoicesTitle = QStringLiteral("Choices After Reloading");
const QString kOpenPlanTitle = QStringLiteral("Open Plan");
const QString kSavePlanTitle = QStringLiteral("Save Plan");

const QString kLoadCancelledText = QStringLiteral("Reading the data files was cancelled");
const QString kPlanReadCancelledText = QStringLiteral("Reading the plan was cancelled");
const QString kCheckCancelledText = QStringLiteral("Checking the files of the plan was cancelled");

const QString kCancelCaption = QStringLiteral("&Cancel");
const QString kFinishCaption = QStringLiteral("&Finish");

QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

// One step of the undo history: the choices before and after a user's action. The action is
// done when the step is pushed, so its first redo does nothing.
class ChoicesStep : public QUndoCommand {
public:
    using Restore = std::function<void(const core::Choices&)>;

    ChoicesStep(const QString& text, core::Choices before, core::Choices after, Restore restore)
        : QUndoCommand(text),
          m_before(std::move(before)),
          m_after(std::move(after)),
          m_restore(std::move(restore)) {}

    void undo() override { m_restore(m_before); }
    void redo() override {
        if (!std::exchange(m_pushed, false)) {
            m_restore(m_after);
        }
    }

private:
    core::Choices m_before;
    core::Choices m_after;
    Restore m_restore;
    bool m_pushed = true;
};

QString ReasonNotOpened(PathKind kind) {
    switch (kind) {
        case PathKind::kFolder:
            return kFolderReason;
        case PathKind::kMissing:
            return kMissingReason;
        default:
            return kUnreadableReason;
    }
}

// The platform's key for a standard command, or `fallback` where the platform has none (Quit on
// some desktops, Save As on Windows), so that the command still has a key.
QList<QKeySequence> KeysOf(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) {
        keys.append(fallback);
    }
    return keys;
}

// "&3 /home/ann/plans/march.loomplan", the middle of a long path left out; a "&" in a path is
// shown as itself rather than taken for a mnemonic. The last digit is the mnemonic, so that the
// tenth entry ("1&0") does not share its key with the first.
QString RecentEntryText(int number, const QString& path, const QFontMetrics& metrics) {
    const QString shown = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle,
                                             metrics.horizontalAdvance(QLatin1Char('x')) * 64);
    QString label = QString::number(number);
    label.insert(label.size() - 1, QLatin1Char('&'));
    return label + QLatin1Char(' ') +
           QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

MainWindow::MainWindow(MessageSink& messages, FileChooser& chooser, const QString& clipPath,
                       QWidget* parent)
    : QMainWindow(parent),
      m_tables(std::make_unique<core::CoreTables>()),
      m_messages(messages),
      m_fileSource(&kDiskFiles),
      m_chooser(chooser),
      m_accountDialog(std::make_unique<DialogPlanAccountSink>(this)),
      m_accounts(m_accountDialog.get()),
      m_pages(new QTabWidget(this)),
      m_filesPage(new FilesPage(*m_tables, chooser, m_pages)),
      m_poolsPage(new PoolsPage(*m_tables, messages, clipPath, m_pages)),
      m_objectsPage(new ObjectsPage(*m_tables, m_pages)),
      m_resultsPage(new ResultsPage(*m_tables, messages, m_pages)),
      m_whatIfPage(new WhatIfPage(*m_tables, m_pages)),
      m_quitButton(new QPushButton(kCancelCaption, this)),
      m_readProgress(new QProgressBar(this)),
      m_dataSize(new QLabel(this)),
      m_undoStack(new QUndoStack(this)),
      m_lastChoices(std::make_unique<core::Choices>(core::TakeChoices(*m_tables))) {
    setObjectName(QStringLiteral("frmSelectFiles"));
    updateTitle();
    setAcceptDrops(true);
    // A step keeps the cached lines before and after it: some megabytes for a pool of a
    // million objects.
    m_undoStack->setUndoLimit(100);
    createActions();
    createMenus();

    m_pages->setObjectName(QStringLiteral("tbsMain"));
    m_pages->addTab(m_filesPage, QStringLiteral("Select Files"));
    m_pages->addTab(m_poolsPage, QStringLiteral("Select Shared Pools"));
    m_pages->addTab(m_objectsPage, QStringLiteral("Select Shared Objects"));
    m_pages->addTab(m_resultsPage, QStringLiteral("View Results"));
    m_pages->addTab(m_whatIfPage, QStringLiteral("What If"));
    m_pages->setTabEnabled(kPoolsPage, false);
    m_pages->setTabEnabled(kObjectsPage, false);
    m_pages->setTabEnabled(kResultsPage, false);
    m_pages->setTabEnabled(kWhatIfPage, false);
    m_pages->setCurrentIndex(kFilesPage);
    m_pages->tabBar()->setUsesScrollButtons(false);

    m_quitButton->setObjectName(QStringLiteral("cmdQuit"));
    m_quitButton->setAutoDefault(false);
    m_quitButton->setAccessibleName(QStringLiteral("Cancel"));
    m_pages->setAccessibleName(QStringLiteral("Steps"));
    m_pages->tabBar()->setAccessibleName(QStringLiteral("Steps"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_pages, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_quitButton);
    layout->addLayout(buttonRow);
    setCentralWidget(central);

    // Panel 1 is the status bar's message (the file being read, the sizing step); panel 2 the
    // size of the data read.
    m_readProgress->setObjectName(QStringLiteral("pbReadFile"));
    m_readProgress->setTextVisible(false);
    m_readProgress->setAccessibleName(QStringLiteral("Reading progress"));
    m_readProgress->setToolTip(QStringLiteral("Reading the data files; Esc cancels"));
    m_readProgress->setFixedWidth(160);
    m_readProgress->hide();
    m_dataSize->setObjectName(QStringLiteral("lblDataSize"));
    m_dataSize->setToolTip(QStringLiteral("Size of the data files read"));
    m_dataSize->setMinimumWidth(
        m_dataSize->fontMetrics().horizontalAdvance(QStringLiteral("00000.00 Mb")));
    m_dataSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addPermanentWidget(m_readProgress);
    statusBar()->addPermanentWidget(m_dataSize);
    statusBar()->setSizeGripEnabled(true);

    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::changePage);
    connect(m_filesPage, &FilesPage::fileChosen, this,
            [this] { m_pages->setTabEnabled(kPoolsPage, true); });
    connect(m_poolsPage, &PoolsPage::sharedPagesEnabled, this, [this](bool enabled) {
        m_pages->setTabEnabled(kObjectsPage, enabled);
        setResultsPagesEnabled(enabled);
    });
    connect(m_objectsPage, &ObjectsPage::resultsPageEnabled, this,
            [this] { setResultsPagesEnabled(true); });
    connect(m_quitButton, &QPushButton::clicked, this, &MainWindow::close);
    connect(m_filesPage, &FilesPage::filesAdded, this, [](const QStringList& paths) {
        settings::RecentFilesStore recent;
        for (const QString& path : paths) {
            recent.add(path);
        }
    });
    // The plan holds the file list too, so a file put on or taken off the list is a change.
    connect(m_filesPage, &FilesPage::fileListChanged, this, [this] { setUnsavedChanges(true); });
    connect(m_poolsPage, &PoolsPage::choicesChanged, this, [this] {
        setUnsavedChanges(true);
        recordChoices(m_tables->lvSharedPools.size() < m_lastChoices->lvSharedPools.size()
                          ? QStringLiteral("Return Pool")
                          : QStringLiteral("Share Pools"));
    });
    connect(m_objectsPage, &ObjectsPage::choicesChanged, this, [this] {
        setUnsavedChanges(true);
        recordChoices(QStringLiteral("Cache Objects"));
    });

    m_policyChooser = std::make_unique<DialogPolicyFileChooser>();
    connect(m_resultsPage, &ResultsPage::cfrmPolicyRequested, this, &MainWindow::openCfrmDialog);
    connect(m_resultsPage, &ResultsPage::runningGroupRequested, this,
            &MainWindow::openRunningGroupDialog);
    connect(m_resultsPage, &ResultsPage::resultsDelivered, this, &MainWindow::sayDone);
    connect(m_whatIfPage, &WhatIfPage::delivered, this, &MainWindow::sayDone);
    connect(m_whatIfPage, &WhatIfPage::exportFailed, this, [this](const QString& message) {
        m_messages.showMessage(MessageIcon::kCritical, QString::fromLatin1(kWhatIfExportTitle),
                               message);
    });

    setTabOrder(m_pages->tabBar(), m_filesPage->selectedFilesList());
    m_filesPage->addButton()->setFocus();
    RestoreWindowLayout(*this);
}

MainWindow::~MainWindow() {
    // The pages and their models read the tables until they are gone; members die before the
    // child widgets would, so the pages go first.
    delete takeCentralWidget();
}

const core::CoreTables& MainWindow::tables() const { return *m_tables; }

void MainWindow::setFileSource(const core::FileSource& source) { m_fileSource = &source; }
void MainWindow::createActions() {
    m_addFilesAction = new QAction(QStringLiteral("A&dd Files..."), this);
    m_addFilesAction->setObjectName(QStringLiteral("actAddFiles"));
    m_addFilesAction->setStatusTip(QStringLiteral("Add statistics files (.sta, .sim) to the list"));
    connect(m_addFilesAction, &QAction::triggered, this, &MainWindow::chooseDataFiles);

    m_openPlanAction = new QAction(QStringLiteral("&Open Plan..."), this);
    m_openPlanAction->setObjectName(QStringLiteral("actOpenPlan"));
    m_openPlanAction->setShortcuts(KeysOf(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    m_openPlanAction->setStatusTip(
        QStringLiteral("Open a plan: its files are read and its choices applied again"));
    connect(m_openPlanAction, &QAction::triggered, this, &MainWindow::choosePlanToOpen);

    m_savePlanAction = new QAction(QStringLiteral("&Save Plan"), this);
    m_savePlanAction->setObjectName(QStringLiteral("actSavePlan"));
    m_savePlanAction->setShortcuts(KeysOf(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S)));
    m_savePlanAction->setStatusTip(
        QStringLiteral("Save the files and the choices made on them as a plan"));
    connect(m_savePlanAction, &QAction::triggered, this, &MainWindow::saveToPlan);

    m_savePlanAsAction = new QAction(QStringLiteral("Save Plan &As..."), this);
    m_savePlanAsAction->setObjectName(QStringLiteral("actSavePlanAs"));
    m_savePlanAsAction->setShortcuts(
        KeysOf(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    m_savePlanAsAction->setStatusTip(QStringLiteral("Save the plan under a new name"));
    connect(m_savePlanAsAction, &QAction::triggered, this, &MainWindow::saveToChosenPlan);

    m_quitAction = new QAction(QStringLiteral("&Quit"), this);
    m_quitAction->setObjectName(QStringLiteral("actQuit"));
    m_quitAction->setShortcuts(KeysOf(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    m_quitAction->setMenuRole(QAction::QuitRole);
    m_quitAction->setStatusTip(QStringLiteral("Close Loomstead"));
    connect(m_quitAction, &QAction::triggered, this, &MainWindow::close);

    m_manualAction = new QAction(QStringLiteral("&Using Loomstead"), this);
    m_manualAction->setObjectName(QStringLiteral("actManual"));
    m_manualAction->setShortcuts(KeysOf(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    m_manualAction->setStatusTip(QStringLiteral("Read the manual"));
    connect(m_manualAction, &QAction::triggered, this, [this] { ShowManualWindow(this); });

    m_aboutAction = new QAction(QStringLiteral("&About Loomstead"), this);
    m_aboutAction->setObjectName(QStringLiteral("actAbout"));
    m_aboutAction->setMenuRole(QAction::AboutRole);
    m_aboutAction->setStatusTip(QStringLiteral("Show the version and the licence"));
    connect(m_aboutAction, &QAction::triggered, this, [this] { ShowAboutWindow(this); });
}

void MainWindow::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnuFile"));
    fileMenu->addAction(m_addFilesAction);
    fileMenu->addSeparator();
    fileMenu->addAction(m_openPlanAction);
    fileMenu->addAction(m_savePlanAction);
    fileMenu->addAction(m_savePlanAsAction);
    fileMenu->addSeparator();
    m_recentMenu = fileMenu->addMenu(QStringLiteral("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("mnuRecent"));
    m_recentMenu->setToolTipsVisible(true);
    fileMenu->addSeparator();
    fileMenu->addAction(m_quitAction);
    // Read when the menu opens, so that a file gone since, or another window's entries, show.
    connect(fileMenu, &QMenu::aboutToShow, this, &MainWindow::rebuildRecentFilesMenu);
    rebuildRecentFilesMenu();

    // Number boxes with the focus take Ctrl+Z themselves: their own text undo comes first.
    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    editMenu->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = m_undoStack->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcuts(KeysOf(QKeySequence::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    undo->setStatusTip(QStringLiteral("Take back the last share, return or object choice"));
    QAction* redo = m_undoStack->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcuts(KeysOf(QKeySequence::Redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    redo->setStatusTip(QStringLiteral("Make again the choice last taken back"));
    editMenu->addAction(undo);
    editMenu->addAction(redo);

    QMenu* resultsMenu = menuBar()->addMenu(QStringLiteral("&Results"));
    resultsMenu->setObjectName(QStringLiteral("mnuResults"));
    // Each acts on the page shown; enabled on the pages that have them (changePage).
    const struct {
        QString text;
        const char* name;
        QList<QKeySequence> keys;
        QString tip;
        void (ResultsPage::*act)();
        void (MainWindow::*whatIf)();  // null: not on the What If page
    } resultActions[] = {
        {QStringLiteral("&Copy"), "actCopyResults", QKeySequence::keyBindings(QKeySequence::Copy),
         QStringLiteral("Copy the results as tab-separated text"), &ResultsPage::copyResults,
         &MainWindow::copyWhatIf},
        {QStringLiteral("&Export…"),
         "actExportResults",
         {QKeySequence(Qt::CTRL | Qt::Key_E)},
         QStringLiteral("Save the results as a PDF report, CSV or JSON"),
         &ResultsPage::exportResults,
         &MainWindow::exportWhatIf},
        {QStringLiteral("P&rint…"), "actPrintResults",
         KeysOf(QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P)),
         QStringLiteral("Print the report"), &ResultsPage::printResults, &MainWindow::printWhatIf},
        {QStringLiteral("Print Pre&view"),
         "actPrintPreview",
         {},
         QStringLiteral("See the report's pages as they will be printed"),
         &ResultsPage::previewResults,
         &MainWindow::previewWhatIf},
    };
    for (const auto& a : resultActions) {
        QAction* action = resultsMenu->addAction(a.text);
        action->setObjectName(QLatin1String(a.name));
        action->setShortcuts(a.keys);
        action->setStatusTip(a.tip);
        action->setEnabled(false);
        const auto act = a.act;
        const auto whatIf = a.whatIf;
        connect(action, &QAction::triggered, this, [this, act, whatIf] {
            if (m_currentPage == kWhatIfPage && whatIf != nullptr) {
                (this->*whatIf)();
            } else if (m_currentPage == kResultsPage) {
                (m_resultsPage->*act)();
            }
        });
        m_resultActions.append(action);
        if (whatIf != nullptr) {
            m_whatIfActions.append(action);
        }
    }
    resultsMenu->addSeparator();
    m_cfrmAction =
        resultsMenu->addAction(QStringLiteral("CFRM &Policy…"), this, &MainWindow::openCfrmDialog);
    m_cfrmAction->setObjectName(QStringLiteral("actCfrmPolicy"));
    m_cfrmAction->setStatusTip(QStringLiteral("CFRM STRUCTURE statements of the latest results"));
    m_cfrmAction->setEnabled(false);
    m_runningAction = resultsMenu->addAction(QStringLiteral("Running &Group…"), this,
                                             &MainWindow::openRunningGroupDialog);
    m_runningAction->setObjectName(QStringLiteral("actRunningGroup"));
    m_runningAction->setStatusTip(
        QStringLiteral("The latest results beside the running group's displays and policy"));
    m_runningAction->setEnabled(false);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    helpMenu->addAction(m_manualAction);
    helpMenu->addSeparator();
    helpMenu->addAction(m_aboutAction);
}

void MainWindow::rebuildRecentFilesMenu() {
    m_recentMenu->clear();
    const QStringList files = settings::RecentFilesStore().files();
    int number = 0;
    for (const QString& path : files) {
        QAction* entry =
            m_recentMenu->addAction(RecentEntryText(++number, path, m_recentMenu->fontMetrics()));
        entry->setToolTip(QDir::toNativeSeparators(path));
        entry->setStatusTip(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void MainWindow::openAtStart(const QStringList& paths) { m_startPaths = paths; }

void MainWindow::openPaths(const QStringList& paths) {
    QString plan;
    QStringList dataFiles;
    QStringList notOpened;
    for (const QString& given : paths) {
        const QString path = QFileInfo(given).absoluteFilePath();
        const PathKind kind = KindOfPath(path);
        if (kind == PathKind::kDataFile) {
            dataFiles.append(path);
        } else if (kind == PathKind::kPlan && plan.isEmpty()) {
            plan = path;
        } else if (kind == PathKind::kPlan) {
            notOpened.append(QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                             kSecondPlanReason);
        } else {
            notOpened.append(QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                             ReasonNotOpened(kind));
        }
    }
    // The plan replaces the file list; files named beside it are added to the plan's. Cancel
    // calls off the whole step, files and all.
    if (!plan.isEmpty()) {
        if (!maybeSave()) {
            return;
        }
        openPlan(plan);
    }
    addDataFiles(dataFiles);
    if (!notOpened.isEmpty()) {
        m_messages.showMessage(MessageIcon::kInformation, kShellTitle, kPathsNotOpenedText,
                               notOpened.join(QLatin1Char('\n')));
    }
}

void MainWindow::chooseDataFiles() { addDataFiles(m_chooser.chooseDataFiles(this)); }

// The question about unsaved changes comes once a plan is chosen (openPaths), so that a
// cancelled dialog asks nothing.
void MainWindow::choosePlanToOpen() {
    const std::optional<QString> path = m_chooser.choosePlanToOpen(this);
    if (!path) {
        return;
    }
    // Whatever its name ends in, the chosen file opens as a plan or not at all; a report typed
    // here is never added to the statistics files.
    QString error;
    bool notAPlan = false;
    std::optional<core::Plan> plan =
        readPlanAside(QFileInfo(*path).absoluteFilePath(), &error, &notAPlan);
    if (!plan) {
        if (!error.isEmpty()) {
            m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        }
        return;
    }
    if (maybeSave()) {
        openReadPlan(QFileInfo(*path).absoluteFilePath(), std::move(*plan));
    }
}

bool MainWindow::saveToPlan() {
    return m_planPath.isEmpty() ? saveToChosenPlan() : savePlan(m_planPath);
}

bool MainWindow::saveToChosenPlan() {
    // A first plan is offered in the folder of the first statistics file, where it is likely
    // to be looked for next month.
    QString suggested = m_planPath;
    if (suggested.isEmpty() && !m_tables->lstSelectedFiles.empty()) {
        suggested = QFileInfo(QString::fromStdString(m_tables->lstSelectedFiles.front()))
                        .dir()
                        .filePath(kNewPlanName);
    }
    std::optional<QString> path = m_chooser.choosePlanToSave(this, suggested);
    if (!path) {
        return false;
    }
    // Only a name ending in .loomplan opens as a plan again.
    if (!IsPlanPath(*path)) {
        path->append(QStringLiteral(".loomplan"));
    }
    return savePlan(*path);
}

void MainWindow::setPlanPath(const QString& path) {
    m_planPath = QFileInfo(path).absoluteFilePath();
    m_unsavedChanges = false;
    updateTitle();
    settings::RecentFilesStore().add(m_planPath);
}

void MainWindow::addDataFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    m_filesPage->addFiles(paths);
    // The files are read on leaving the files page; shown there, the user sees them listed.
    m_pages->setCurrentIndex(kFilesPage);
}

void MainWindow::openRecentFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        settings::RecentFilesStore().remove(path);
        rebuildRecentFilesMenu();
        m_messages.showMessage(MessageIcon::kInformation, kRecentGoneTitle,
                               kRecentGoneText.arg(QDir::toNativeSeparators(path)));
        return;
    }
    openPaths({path});
}

void MainWindow::setUnsavedChanges(bool unsaved) {
    if (m_unsavedChanges != unsaved) {
        m_unsavedChanges = unsaved;
        updateTitle();
    }
}

void MainWindow::updateTitle() {
    if (m_planPath.isEmpty()) {
        setWindowTitle(kShellTitle);
        return;
    }
    setWindowTitle(QFileInfo(m_planPath).fileName() +
                   (m_unsavedChanges ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") +
                   kShellTitle);
}

bool MainWindow::maybeSave() {
    if (!m_unsavedChanges) {
        return true;
    }
    const QString question = m_planPath.isEmpty()
                                 ? kSaveChoicesText
                                 : kSaveChangesToPlanText.arg(QFileInfo(m_planPath).fileName());
    switch (m_messages.askToSaveChanges(kShellTitle, question)) {
        case SaveAnswer::kDiscard:
            return true;
        case SaveAnswer::kSave:
            return saveToPlan();
        case SaveAnswer::kCancel:
            return false;
    }
    return false;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

// A drag that passes over a child that declines it (the pool lists take only pools) comes here
// again at every move; without this, the pointer would show that the drop is refused.
void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: a message box must not open inside the drag's own loop.
    QTimer::singleShot(0, this, [this, paths] { openPaths(paths); });
}

void MainWindow::setPlanAccountSink(PlanAccountSink& sink) { m_accounts = &sink; }

core::Plan MainWindow::currentChoices() const {
    return core::CapturePlan(*m_tables, m_poolsPage->membersText().toStdString(),
                             m_poolsPage->ecsaText().toStdString())
        .plan;
}

std::optional<core::Plan> MainWindow::readPlanAside(const QString& path, QString* error,
                                                    bool* notAPlan) {
    // A large plan takes seconds to read, a plan on a dead network file system for ever: on its
    // own thread, and Esc cancels it.
    struct Opened {
        std::optional<core::Plan> plan;
        QString error;
        bool notAPlan = false;
    };
    const auto opened = std::make_shared<Opened>();
    const auto reading = std::make_shared<AsideRun>();
    reading->progress.FileStarting(0, QFile::encodeName(path).toStdString());
    const bool toldApart = notAPlan != nullptr;
    if (!runAside(reading, [opened, path, toldApart] {
            opened->plan = ReadPlan(path, &opened->error, toldApart ? &opened->notAPlan : nullptr);
        })) {
        statusBar()->showMessage(kPlanReadCancelledText);
        return std::nullopt;
    }
    *error = std::move(opened->error);
    if (notAPlan != nullptr) {
        *notAPlan = opened->notAPlan;
    }
    return std::move(opened->plan);
}

bool MainWindow::openPlan(const QString& path) {
    QString error;
    std::optional<core::Plan> plan = readPlanAside(path, &error);
    if (!plan) {
        if (!error.isEmpty()) {
            m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        }
        return false;
    }
    return openReadPlan(path, std::move(*plan));
}

bool MainWindow::openReadPlan(const QString& path, core::Plan&& read) {
    std::optional<core::Plan> plan = std::move(read);
    if (const QString error = FirstGoneFile(*plan); !error.isEmpty()) {
        m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        return false;
    }
    if (plan->files.empty()) {
        // A plan of choices alone applies to the files loaded now.
        applyPlanCfrm(plan->cfrm);
        reapplyChoices(std::move(plan), kOpenPlanTitle);
        setPlanPath(path);
        return true;
    }
    // Hashing reads every byte of the plan's files: on its own thread, and Esc cancels it.
    const auto run = std::make_shared<AsideRun>();
    struct Check {
        core::Plan plan;  // the files alone
        core::PlanAccount items;
    };
    const auto check = std::make_shared<Check>();
    check->plan.files = plan->files;
    runAside(run, [run, check] {
        const core::FileHasher hash = Sha256Hasher(
            std::shared_ptr<const std::atomic<bool>>(run, &run->progress.cancelFlag()));
        check->items = core::CheckPlanFiles(check->plan, [&](const std::string& path) {
            run->progress.FileStarting(0, path);
            return hash(path);
        });
    });
    // A hash cut short by the cancel would count as a change: whatever the run brought is
    // dropped.
    if (run->progress.cancelFlag()) {
        statusBar()->showMessage(kCheckCancelledText);
        return false;
    }
    core::PlanAccount fileItems = std::move(check->items);
    core::CoreTables listing;
    for (const core::PlanFile& file : plan->files) {
        core::AddSelectedFile(listing, file.path);
    }
    // Loaded aside, so that a file that fails to load leaves the tables as they were.
    core::CoreTables loaded;
    core::LoadResult result;
    if (!readFilesAside(listing.lstSelectedFiles, loaded, result)) {
        return false;
    }
    completeLoad(std::move(loaded), result);
    applyPlanCfrm(plan->cfrm);
    m_heldChoices.reset();
    m_heldAccount.clear();
    m_filesPage->reloadFromTables();
    m_objectsPage->clearObjects();
    m_pages->setTabEnabled(kPoolsPage, true);
    reapplyChoices(std::move(plan), kOpenPlanTitle, std::move(fileItems));
    m_pages->setCurrentIndex(kPoolsPage);
    setPlanPath(path);
    return true;
}

bool MainWindow::savePlan(const QString& path) {
    core::PlanCapture capture;
    {
        const BusyGuard busy;
        capture = core::CapturePlan(*m_tables, m_poolsPage->membersText().toStdString(),
                                    m_poolsPage->ecsaText().toStdString());
        capture.plan.files = core::DescribeFiles(m_tables->lstSelectedFiles, Sha256Hasher());
        capture.plan.cfrm = m_planCfrm;
        // The dialog's inputs beside the keys other programs put in the plan.
        const QVariantMap inputs = policyInputs();
        for (auto it = inputs.begin(); it != inputs.end(); ++it) {
            capture.plan.cfrm[it.key().toStdString()] = it.value().toString().toStdString();
        }
        // And the files the Running Group dialog was given, as it holds them now.
        if (m_runningDialog != nullptr) {
            std::erase_if(capture.plan.cfrm,
                          [](const auto& entry) { return entry.first.starts_with("running"); });
            capture.plan.cfrm.merge(m_runningDialog->givenFiles());
        }
    }
    QString error;
    if (!WritePlan(path, capture.plan, &error)) {
        m_messages.showMessage(MessageIcon::kCritical, kSavePlanTitle, error);
        return false;
    }
    setPlanPath(path);
    sayDone(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    if (!capture.account.empty()) {
        m_accounts->showAccount(kSavePlanTitle, capture.account);
    }
    return true;
}

void MainWindow::sayDone(const QString& what) {
    // Long enough to read, gone before it could be taken for the state of things.
    constexpr int kDoneMessageMs = 5000;
    statusBar()->showMessage(what, kDoneMessageMs);
}

ResultsPage* MainWindow::resultsPage() const { return m_resultsPage; }

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        // Queued, so that the window is on screen behind the file dialog.
        QMetaObject::invokeMethod(this, &MainWindow::runFirstActivation, Qt::QueuedConnection);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    SaveColumnLayout(*m_resultsPage->resultsView(), QStringLiteral("lvResults"));
    SaveColumnLayout(*m_poolsPage->sharedPoolsView(), QStringLiteral("lvSharedPools"));
    SaveColumnLayout(*m_objectsPage->sharedObjectsView(), QStringLiteral("lvSharedObjects"));
    SaveWindowLayout(*this);
    event->accept();
}

void MainWindow::runFirstActivation() {
    ProcessPendingEvents();
    if (m_startPaths.isEmpty()) {
        m_filesPage->addFile();
    } else {
        openPaths(std::exchange(m_startPaths, {}));
    }
    LoadColumnLayout(*m_resultsPage->resultsView(), QStringLiteral("lvResults"));
    LoadColumnLayout(*m_poolsPage->sharedPoolsView(), QStringLiteral("lvSharedPools"));
    LoadColumnLayout(*m_objectsPage->sharedObjectsView(), QStringLiteral("lvSharedObjects"));
}

void MainWindow::changePage(int requestedPage) {
    // The sweep reads the tables on another thread; nothing below may change them before it
    // is done. Leaving the page stops it at its next member count rather than at its end.
    m_whatIfPage->cancelSweep();
    int page = requestedPage;
    if (m_currentPage == kFilesPage && page != kFilesPage && m_tables->FilesChanged) {
        // The files page stays current while the files load, and after a failure.
        showPageQuietly(kFilesPage);
        if (!loadDataFiles()) {
            return;
        }
        showPageQuietly(page);
    }
    // A number the sizing would read differently from what the box shows is refused here, on
    // the page that holds the box.
    const bool refused = (page == kResultsPage || page == kWhatIfPage) &&
                         m_poolsPage->firstInvalidNumber() != nullptr;
    if (refused) {
        page = kPoolsPage;
        showPageQuietly(page);
    }
    m_currentPage = page;

    m_objectsPage->clearObjects();
    if (page == kObjectsPage || page == kResultsPage || page == kWhatIfPage) {
        core::RebuildSharedPoolList(*m_tables);
        m_objectsPage->reloadPoolList();
    }
    if (page == kResultsPage) {
        ProcessPendingEvents();
        m_resultsPage->clearResults();
        runSizing();
        m_quitButton->setText(kFinishCaption);
    } else if (page == kWhatIfPage) {
        m_whatIfPage->setPolicyInputs(policyInputs());
        m_whatIfPage->startSweep(m_poolsPage->ecsaText(), m_poolsPage->membersText());
        m_quitButton->setText(kFinishCaption);
    } else {
        m_quitButton->setText(kCancelCaption);
    }
    m_quitButton->setAccessibleName(m_quitButton->text().remove(QLatin1Char('&')));
    for (QAction* action : m_resultActions) {
        action->setEnabled(page == kResultsPage ||
                           (page == kWhatIfPage && m_whatIfActions.contains(action)));
    }
    ProcessPendingEvents();
    if (refused) {
        refuseInvalidNumber();
    }
}

void MainWindow::setResultsPagesEnabled(bool enabled) {
    m_pages->setTabEnabled(kResultsPage, enabled);
    m_pages->setTabEnabled(kWhatIfPage, enabled);
}

void MainWindow::showPageQuietly(int page) {
    const QSignalBlocker quiet(m_pages);
    m_pages->setCurrentIndex(page);
}

bool MainWindow::loadDataFiles() {
    // The choices outlive the reload; a failed load keeps them for the next try.
    if (!m_heldChoices) {
        core::PlanCapture capture =
            core::CapturePlan(*m_tables, m_poolsPage->membersText().toStdString(),
                              m_poolsPage->ecsaText().toStdString());
        if (HasChoices(capture.plan)) {
            m_heldChoices = std::move(capture.plan);
            m_heldAccount = std::move(capture.account);
        }
    }
    core::CoreTables loaded;
    core::LoadResult result;
    if (!readFilesAside(m_tables->lstSelectedFiles, loaded, result)) {
        return false;
    }
    completeLoad(std::move(loaded), result);
    reapplyChoices(std::exchange(m_heldChoices, std::nullopt), kKeptChoicesTitle,
                   std::exchange(m_heldAccount, {}));
    return true;
}

bool MainWindow::runAside(const std::shared_ptr<AsideRun>& run, std::function<void()> work) {
    bool finished = false;
    bool closeAsked = false;
    {
        const BusyGuard busy;
        QEventLoop waitForRun;
        CancelKeys keys(*run, waitForRun, *this, m_quitAction->shortcuts(), *m_quitButton);
        qApp->installEventFilter(&keys);
        m_readProgress->setRange(0, 0);
        m_readProgress->show();
        QTimer showProgress;
        connect(&showProgress, &QTimer::timeout, this,
                [&] { run->progress.show(*statusBar(), *m_readProgress); });
        showProgress.start(50);
        {
            const std::lock_guard<std::mutex> lock(run->mutex);
            run->waiting = &waitForRun;
        }
        std::thread([run, work = std::move(work)] {
            work();
            const std::lock_guard<std::mutex> lock(run->mutex);
            run->finished = true;
            if (run->waiting != nullptr) {
                QMetaObject::invokeMethod(run->waiting, &QEventLoop::quit, Qt::QueuedConnection);
            }
        }).detach();
        waitForRun.exec();
        {
            const std::lock_guard<std::mutex> lock(run->mutex);
            run->waiting = nullptr;
            finished = run->finished;
        }
        // Input that reached the window system during the run is dropped here, while the
        // guard still holds it, rather than replayed on a page the user never saw.
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&keys);
        closeAsked = keys.closeAsked();
        statusBar()->clearMessage();
        m_readProgress->hide();
    }
    if (closeAsked) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
    return finished;
}

bool MainWindow::readFilesAside(const std::vector<std::string>& files, core::CoreTables& loaded,
                                core::LoadResult& result) {
    struct Load {
        core::CoreTables tables;
        core::LoadResult result;
    };
    const auto load = std::make_shared<Load>();
    load->tables.lstSelectedFiles = files;
    load->tables.FilesChanged = true;
    const auto run = std::make_shared<AsideRun>();
    const bool finished = runAside(run, [load, run, source = m_fileSource] {
        load->result = core::LoadDataFiles(load->tables, *source, &run->progress);
        if (load->result.ok()) {
            core::CountWorkFileObjects(load->tables);
        }
    });
    if (!finished) {
        statusBar()->showMessage(kLoadCancelledText);
        return false;
    }
    loaded = std::move(load->tables);
    result = std::move(load->result);
    if (result.error && result.error->reason == core::FileErrorReason::kCancelled) {
        statusBar()->showMessage(kLoadCancelledText);
        return false;
    }
    for (const std::string& path : result.headerWarnings) {
        m_messages.showMessage(MessageIcon::kInformation, FromCore(core::kHeaderWarningTitle),
                               FromCore(core::kHeaderWarningText),
                               QStringLiteral("File: ") + FromCore(path));
    }
    if (result.error) {
        m_messages.showMessage(MessageIcon::kCritical, FromCore(core::kReadErrorTitle),
                               FromCore(core::kReadErrorText), FromCore(result.error->Detail()));
        return false;
    }
    return true;
}

void MainWindow::reapplyChoices(std::optional<core::Plan> choices, const QString& accountTitle,
                                core::PlanAccount account) {
    if (!choices) {
        return;
    }
    m_whatIfPage->waitForSweep();
    {
        const BusyGuard busy;
        core::PlanAccount applied = core::ApplyPlan(*m_tables, *choices);
        account.insert(account.end(), std::make_move_iterator(applied.begin()),
                       std::make_move_iterator(applied.end()));
        m_poolsPage->reloadFromTables();
        m_poolsPage->setNumberTexts(QString::fromStdString(choices->membersText),
                                    QString::fromStdString(choices->ecsaText));
        if (!m_tables->lvSharedPools.empty()) {
            m_pages->setTabEnabled(kObjectsPage, true);
            setResultsPagesEnabled(true);
        }
        if (m_currentPage == kObjectsPage || m_currentPage == kResultsPage) {
            m_objectsPage->reloadPoolList();
        }
    }
    restartChoicesHistory();
    if (!account.empty()) {
        m_accounts->showAccount(accountTitle, account);
    }
}

void MainWindow::recordChoices(const QString& text) {
    core::Choices now = core::TakeChoices(*m_tables);
    // Rebuilt on entering a page, which is no choice of the user's.
    m_lastChoices->lstSharedPools = now.lstSharedPools;
    if (now == *m_lastChoices) {
        return;
    }
    m_undoStack->push(new ChoicesStep(text, std::move(*m_lastChoices), now,
                                      [this](const core::Choices& c) { restoreChoices(c); }));
    *m_lastChoices = std::move(now);
}

void MainWindow::restoreChoices(const core::Choices& choices) {
    m_whatIfPage->cancelSweep();
    core::RestoreChoices(*m_tables, choices);
    *m_lastChoices = choices;
    // As entering the page would: the list the objects page shows follows the shared pools.
    if (m_currentPage == kObjectsPage || m_currentPage == kResultsPage ||
        m_currentPage == kWhatIfPage) {
        core::RebuildSharedPoolList(*m_tables);
    }
    m_poolsPage->reloadFromTables();
    m_objectsPage->showChoicesAgain();
    // Pages open up as a share would open them; none closes, which could move off the page.
    const bool shared = !m_tables->lvSharedPools.empty();
    for (const int page : {kObjectsPage, kResultsPage, kWhatIfPage}) {
        if (shared || page != m_currentPage) {
            m_pages->setTabEnabled(page, shared);
        }
    }
    if (m_currentPage == kResultsPage) {
        m_resultsPage->clearResults();
        runSizing();
    } else if (m_currentPage == kWhatIfPage) {
        m_whatIfPage->startSweep(m_poolsPage->ecsaText());
    }
    setUnsavedChanges(true);
}

void MainWindow::restartChoicesHistory() {
    m_undoStack->clear();
    *m_lastChoices = core::TakeChoices(*m_tables);
}

void MainWindow::completeLoad(core::CoreTables&& loaded, const core::LoadResult& result) {
    m_whatIfPage->waitForSweep();
    *m_tables = std::move(loaded);
    // The steps name lines of the tables they were taken on.
    restartChoicesHistory();
    m_lastLoad = result;
    m_dataSize->setText(FromCore(result.dataSizeText));
    m_poolsPage->reloadFromTables();
}

void MainWindow::refuseInvalidNumber() {
    TypedNumberBox* box = m_poolsPage->firstInvalidNumber();
    if (box == nullptr) {
        return;
    }
    // Named, since the box may be out of sight behind the message or scrolled away.
    m_messages.showMessage(MessageIcon::kInformation, QStringLiteral("Loomstead"),
                           box->accessibleName() + QStringLiteral(": ") + box->rangeText());
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void MainWindow::runSizing() {
    const BusyGuard busy;
    SizingProgress progress(*statusBar());
    const std::string members = m_poolsPage->membersText().toStdString();
    const std::string ecsa = m_poolsPage->ecsaText().toStdString();
    const core::SizingResult result = core::RunSizing(*m_tables, members, ecsa, &progress);
    std::vector<core::Warning> warnings =
        core::CheckResultWarnings(*m_tables, result, members, ecsa);
    m_resultsPage->showResult(
        result, warnings,
        {m_poolsPage->membersText(), m_poolsPage->ecsaText(), m_lastLoad, m_poolsPage->refusals()});
    statusBar()->clearMessage();

    m_lastSizing = std::make_unique<core::SizingResult>(result);
    m_lastSource = std::make_unique<core::CfrmSource>();
    for (const core::InputFile& file : core::DescribeInputFiles(*m_tables)) {
        m_lastSource->files.push_back({QString::fromLocal8Bit(file.path).toStdString(),
                                       DataText(file.collectionTime).toStdString()});
    }
    m_lastSource->membersText = m_poolsPage->membersText().toStdString();
    m_lastSource->ecsaText = m_poolsPage->ecsaText().toStdString();
    m_lastSource->version = core::kVersion;
    m_lastSource->date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    m_lastSource->warnings = std::move(warnings);
    m_cfrmAction->setEnabled(true);
    m_runningAction->setEnabled(true);
}

QVariantMap MainWindow::policyInputs() const {
    if (m_cfrmDialog != nullptr) {
        return m_cfrmDialog->inputs();
    }
    return m_planCfrm.empty() ? settings::LoadCfrmInputs() : PolicyInputs(m_planCfrm);
}

void MainWindow::applyPlanCfrm(const std::map<std::string, std::string>& cfrm) {
    m_planCfrm = cfrm;
    if (m_runningDialog != nullptr) {
        m_runningDialog->openGivenFiles(cfrm);
    }
    if (m_cfrmDialog != nullptr && !cfrm.empty()) {
        m_cfrmDialog->setInputs(PolicyInputs(cfrm));
    }
}

void MainWindow::copyWhatIf() { m_whatIfPage->copyWhatIf(); }

void MainWindow::exportWhatIf() { m_whatIfPage->exportWhatIf(); }

void MainWindow::printWhatIf() {
    QPrinter printer(QPrinter::HighResolution);
    ResultsPage::setUpReportPrinter(printer);
    printer.setDocName(QStringLiteral("Loomstead What If"));
    if (!m_resultsPage->reportDialogs().setUpPrinter(printer, this)) {
        return;
    }
    if (!PrintWhatIf(*m_whatIfPage->table(), m_whatIfPage->chart(), printer)) {
        m_messages.showMessage(MessageIcon::kCritical, QString::fromLatin1(kPrintTitle),
                               QStringLiteral("The printer could not be started."));
        return;
    }
    sayDone(QStringLiteral("Printed the What If table and chart"));
}

void MainWindow::previewWhatIf() {
    QPrinter printer(QPrinter::HighResolution);
    ResultsPage::setUpReportPrinter(printer);
    printer.setDocName(QStringLiteral("Loomstead What If"));
    m_resultsPage->reportDialogs().showPrintPreview(
        printer,
        [this](QPrinter& shown) {
            (void)PrintWhatIf(*m_whatIfPage->table(), m_whatIfPage->chart(), shown);
        },
        this);
}

void MainWindow::openCfrmDialog() {
    if (!m_lastSizing) {
        return;
    }
    if (m_cfrmDialog == nullptr) {
        m_cfrmDialog = new CfrmDialog(m_messages, *m_policyChooser, this);
        if (!m_planCfrm.empty()) {
            m_cfrmDialog->setInputs(PolicyInputs(m_planCfrm));
        }
        connect(m_cfrmDialog, &CfrmDialog::inputsEdited, this, [this] { setUnsavedChanges(true); });
    }
    m_cfrmDialog->setSizing(*m_lastSizing, *m_lastSource);
    m_cfrmDialog->open();
}

void MainWindow::openRunningGroupDialog() {
    if (!m_lastSizing) {
        return;
    }
    const bool created = m_runningDialog == nullptr;
    if (created) {
        m_runningDialog = new RunningGroupDialog(m_messages, m_chooser, *m_policyChooser, this);
        connect(m_runningDialog, &RunningGroupDialog::givenFilesChanged, this,
                [this] { setUnsavedChanges(true); });
    }
    m_runningDialog->setRecommendation(*m_lastSizing, *m_lastSource, policyInputs());
    if (created) {
        m_runningDialog->openGivenFiles(m_planCfrm);
    }
    m_runningDialog->open();
}

}  // namespace ui

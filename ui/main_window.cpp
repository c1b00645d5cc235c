#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUndoStack>
#include <utility>

#include "core/tables.h"
#include "settings/recent_files.h"
#include "ui/busy_guard.h"
#include "ui/choices_history.h"
#include "ui/column_widths.h"
#include "ui/dialogs.h"
#include "ui/file_drops.h"
#include "ui/files_page.h"
#include "ui/help_windows.h"
#include "ui/load_runner.h"
#include "ui/main_menus.h"
#include "ui/objects_page.h"
#include "ui/plan_account_dialog.h"
#include "ui/plan_document.h"
#include "ui/plan_io.h"
#include "ui/policy_dialogs.h"
#include "ui/pools_page.h"
#include "ui/results_export.h"
#include "ui/results_page.h"
#include "ui/shell_messages.h"
#include "ui/what_if_page.h"
#include "ui/window_layout.h"

namespace ui {
namespace {

const QString kKeptChoicesTitle = QStringLiteral("Choices After Reloading");

}  // namespace

MainWindow::MainWindow(MessageSink& messages, FileChooser& chooser, const QString& clipPath,
                       QWidget* parent)
    : QMainWindow(parent),
      m_session(std::make_unique<core::Session>()),
      m_messages(messages),
      m_chooser(chooser),
      m_accountDialog(std::make_unique<DialogPlanAccountSink>(this)),
      m_accounts(m_accountDialog.get()),
      m_pages(new QTabWidget(this)),
      m_filesPage(new FilesPage(m_session->tables(), chooser, m_pages)),
      m_poolsPage(new PoolsPage(m_session->tables(), messages, clipPath, m_pages)),
      m_objectsPage(new ObjectsPage(m_session->tables(), m_pages)),
      m_resultsPage(new ResultsPage(m_session->tables(), messages, m_pages)),
      m_whatIfPage(new WhatIfPage(m_pages)),
      m_quitButton(new QPushButton(this)),
      m_undoStack(new QUndoStack(this)),
      m_history(std::make_unique<ChoicesHistory>(
          *m_undoStack, m_session->tables(),
          [this](const core::Choices& choices) { restoreChoices(choices); })),
      m_policy(new PolicyDialogs(*this, messages, chooser, *m_session)) {
    setObjectName(QStringLiteral("frmSelectFiles"));
    connect(new FileDrops(*this), &FileDrops::dropped, this,
            [this](const QStringList& paths) { m_document->openPaths(paths); });
    m_menus = BuildMainMenus(*this, *m_undoStack);
    m_loader = std::make_unique<LoadRunner>(*this, *m_menus.quit, *m_quitButton, messages);
    m_document = new PlanDocument(
        *this, messages, chooser, *m_loader,
        {[this](const core::Plan& plan) { applyPlanChoices(plan); },
         [this](core::Session::Read&& read, const core::Plan& plan, core::PlanAccount items) {
             adoptPlan(std::move(read), plan, std::move(items));
         },
         [this] { return capturePlan(); },
         [this](const QStringList& paths) { addDataFiles(paths); },
         [this] {
             const std::vector<std::string>& files = m_session->tables().lstSelectedFiles;
             return files.empty() ? QString() : QString::fromStdString(files.front());
         }});
    m_document->setAccountSink(*m_accounts);
    connect(m_document, &PlanDocument::done, this, &MainWindow::sayDone);
    connectMenus();

    LayOutSteps(*this, *m_pages,
                {{m_filesPage, QStringLiteral("Select Files")},
                 {m_poolsPage, QStringLiteral("Select Shared Pools")},
                 {m_objectsPage, QStringLiteral("Select Shared Objects")},
                 {m_resultsPage, QStringLiteral("View Results")},
                 {m_whatIfPage, QStringLiteral("What If")}},
                *m_quitButton);
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
    connect(m_filesPage, &FilesPage::fileListChanged, this,
            [this] { m_document->setUnsavedChanges(true); });
    connect(m_poolsPage, &PoolsPage::choicesChanged, this, [this] {
        m_document->setUnsavedChanges(true);
        m_history->record(m_session->tables().lvSharedPools.size() <
                                  m_history->last().lvSharedPools.size()
                              ? QStringLiteral("Return Pool")
                              : QStringLiteral("Share Pools"));
    });
    connect(m_objectsPage, &ObjectsPage::choicesChanged, this, [this] {
        m_document->setUnsavedChanges(true);
        m_history->record(QStringLiteral("Cache Objects"));
    });

    connect(m_policy, &PolicyDialogs::edited, this,
            [this] { m_document->setUnsavedChanges(true); });
    connect(m_resultsPage, &ResultsPage::cfrmPolicyRequested, m_policy, &PolicyDialogs::openCfrm);
    connect(m_resultsPage, &ResultsPage::runningGroupRequested, m_policy,
            &PolicyDialogs::openRunning);
    connect(m_resultsPage, &ResultsPage::resultsDelivered, this, &MainWindow::sayDone);
    connect(m_whatIfPage, &WhatIfPage::delivered, this, &MainWindow::sayDone);
    connect(m_whatIfPage, &WhatIfPage::printFailed, this, [this] {
        m_messages.showMessage(MessageIcon::kCritical, QString::fromLatin1(kPrintTitle),
                               QStringLiteral("The printer could not be started."));
    });
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

const core::CoreTables& MainWindow::tables() const { return m_session->tables(); }

void MainWindow::setFileSource(const core::FileSource& source) { m_loader->setFileSource(source); }
void MainWindow::connectMenus() {
    connect(m_menus.addFiles, &QAction::triggered, this, &MainWindow::chooseDataFiles);
    connect(m_menus.openPlan, &QAction::triggered, this, [this] { m_document->chooseToOpen(); });
    connect(m_menus.savePlan, &QAction::triggered, this, [this] { m_document->save(); });
    connect(m_menus.savePlanAs, &QAction::triggered, this, [this] { m_document->saveAs(); });
    connect(m_menus.quit, &QAction::triggered, this, &MainWindow::close);
    // Read when the menu opens, so that a file gone since, or another window's entries, show.
    connect(m_menus.file, &QMenu::aboutToShow, this,
            [this] { m_document->fillRecentMenu(*m_menus.recent); });
    m_document->fillRecentMenu(*m_menus.recent);
    // Each acts on the page shown.
    const struct {
        void (ResultsPage::*results)();
        std::function<void()> whatIf;
    } acts[] = {{&ResultsPage::copyResults, [this] { m_whatIfPage->copyWhatIf(); }},
                {&ResultsPage::exportResults, [this] { m_whatIfPage->exportWhatIf(); }},
                {&ResultsPage::printResults,
                 [this] { m_whatIfPage->printWhatIf(m_resultsPage->reportDialogs()); }},
                {&ResultsPage::previewResults,
                 [this] { m_whatIfPage->previewWhatIf(m_resultsPage->reportDialogs()); }}};
    for (int i = 0; i < m_menus.results.size(); ++i) {
        connect(m_menus.results[i], &QAction::triggered, this,
                [this, results = acts[i].results, whatIf = acts[i].whatIf] {
                    if (m_currentPage == kWhatIfPage) {
                        whatIf();
                    } else if (m_currentPage == kResultsPage) {
                        (m_resultsPage->*results)();
                    }
                });
    }
    connect(m_menus.cfrm, &QAction::triggered, m_policy, &PolicyDialogs::openCfrm);
    connect(m_menus.running, &QAction::triggered, m_policy, &PolicyDialogs::openRunning);
    connect(m_menus.manual, &QAction::triggered, this, [this] { ShowManualWindow(this); });
    connect(m_menus.about, &QAction::triggered, this, [this] { ShowAboutWindow(this); });
}

void MainWindow::openAtStart(const QStringList& paths) { m_startPaths = paths; }

void MainWindow::chooseDataFiles() { addDataFiles(m_chooser.chooseDataFiles(this)); }

void MainWindow::addDataFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    m_filesPage->addFiles(paths);
    // The files are read on leaving the files page; shown there, the user sees them listed.
    m_pages->setCurrentIndex(kFilesPage);
}

void MainWindow::setPlanAccountSink(PlanAccountSink& sink) {
    m_accounts = &sink;
    m_document->setAccountSink(sink);
}

void MainWindow::openPaths(const QStringList& paths) { m_document->openPaths(paths); }

bool MainWindow::hasUnsavedChanges() const { return m_document->hasUnsavedChanges(); }

bool MainWindow::openPlan(const QString& path) { return m_document->open(path); }

bool MainWindow::savePlan(const QString& path) { return m_document->save(path); }

core::PlanCapture MainWindow::capturePlan() {
    takeTypedNumbers();
    core::PlanCapture capture = m_session->CapturePlan();
    capture.plan.files = core::DescribeFiles(m_session->tables().lstSelectedFiles, Sha256Hasher());
    capture.plan.cfrm = m_policy->planInputs();
    return capture;
}

void MainWindow::applyPlanChoices(const core::Plan& plan) {
    m_policy->applyPlanInputs(plan.cfrm);
    core::PlanAccount account;
    {
        const BusyGuard busy;
        account = m_session->ApplyPlan(plan);
    }
    showAppliedChoices(kOpenPlanTitle, account);
}

void MainWindow::adoptPlan(core::Session::Read&& read, const core::Plan& plan,
                           core::PlanAccount fileItems) {
    m_policy->applyPlanInputs(plan.cfrm);
    m_session->DropHeldChoices();
    m_objectsPage->clearObjects();
    adoptLoad(std::move(read), &plan, kOpenPlanTitle, std::move(fileItems));
    m_filesPage->reloadFromTables();
    m_pages->setTabEnabled(kPoolsPage, true);
    m_pages->setCurrentIndex(kPoolsPage);
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
    if (!m_document->maybeSave()) {
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
    QCoreApplication::processEvents();
    if (m_startPaths.isEmpty()) {
        m_filesPage->addFile();
    } else {
        m_document->openPaths(std::exchange(m_startPaths, {}));
    }
    LoadColumnLayout(*m_resultsPage->resultsView(), QStringLiteral("lvResults"));
    LoadColumnLayout(*m_poolsPage->sharedPoolsView(), QStringLiteral("lvSharedPools"));
    LoadColumnLayout(*m_objectsPage->sharedObjectsView(), QStringLiteral("lvSharedObjects"));
}

void MainWindow::changePage(int requestedPage) {
    // Leaving the page stops the sweep at its next member count rather than at its end.
    m_whatIfPage->cancelSweep();
    int page = requestedPage;
    if (m_currentPage == kFilesPage && page != kFilesPage && m_session->tables().FilesChanged) {
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
        m_session->EnterObjectsPage();
        m_objectsPage->reloadPoolList();
    }
    if (page == kResultsPage) {
        QCoreApplication::processEvents();
        m_resultsPage->clearResults();
        runSizing();
    } else if (page == kWhatIfPage) {
        m_whatIfPage->setPolicyInputs(m_policy->inputs());
        m_whatIfPage->startSweep(m_session->SizingBasisNow(), m_poolsPage->ecsaText(),
                                 m_poolsPage->membersText());
    }
    SetQuitCaption(*m_quitButton, page == kResultsPage || page == kWhatIfPage);
    for (QAction* action : m_menus.results) {
        action->setEnabled(page == kResultsPage || page == kWhatIfPage);
    }
    QCoreApplication::processEvents();
    if (refused) {
        m_poolsPage->refuseInvalidNumber();
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
    takeTypedNumbers();
    m_session->HoldChoices();
    std::optional<core::Session::Read> read =
        m_loader->readFiles(m_session->tables().lstSelectedFiles);
    if (!read) {
        return false;
    }
    adoptLoad(std::move(*read), nullptr, kKeptChoicesTitle);
    return true;
}

void MainWindow::adoptLoad(core::Session::Read&& read, const core::Plan* plan,
                           const QString& accountTitle, core::PlanAccount account) {
    const bool applies = plan != nullptr || m_session->holdsChoices();
    // What a sweep of the old tables finds is of no use any more.
    m_whatIfPage->cancelSweep();
    m_loader->showDataSize(QString::fromStdString(read.load.dataSizeText));
    {
        const BusyGuard busy;
        account = m_session->Adopt(std::move(read), plan, std::move(account));
    }
    if (applies) {
        showAppliedChoices(accountTitle, account);
    } else {
        // The steps name lines of the tables they were taken on.
        m_history->restart();
        m_poolsPage->reloadFromTables();
    }
}

void MainWindow::showAppliedChoices(const QString& accountTitle, const core::PlanAccount& account) {
    m_poolsPage->reloadFromTables();
    m_poolsPage->setNumberTexts(QString::fromStdString(m_session->membersText()),
                                QString::fromStdString(m_session->ecsaText()));
    if (!m_session->tables().lvSharedPools.empty()) {
        m_pages->setTabEnabled(kObjectsPage, true);
        setResultsPagesEnabled(true);
    }
    if (m_currentPage == kObjectsPage || m_currentPage == kResultsPage) {
        m_objectsPage->reloadPoolList();
    }
    m_history->restart();
    if (!account.empty()) {
        m_accounts->showAccount(accountTitle, account);
    }
}

void MainWindow::takeTypedNumbers() {
    m_session->SetTypedNumbers(m_poolsPage->membersText().toStdString(),
                               m_poolsPage->ecsaText().toStdString());
}

void MainWindow::restoreChoices(const core::Choices& choices) {
    m_whatIfPage->cancelSweep();
    core::RestoreChoices(m_session->tables(), choices);
    m_history->restored(choices);
    // As entering the page would: the list the objects page shows follows the shared pools.
    if (m_currentPage == kObjectsPage || m_currentPage == kResultsPage ||
        m_currentPage == kWhatIfPage) {
        m_session->EnterObjectsPage();
    }
    m_poolsPage->reloadFromTables();
    m_objectsPage->showChoicesAgain();
    // Pages open up as a share would open them; none closes, which could move off the page.
    const bool shared = !m_session->tables().lvSharedPools.empty();
    for (const int page : {kObjectsPage, kResultsPage, kWhatIfPage}) {
        if (shared || page != m_currentPage) {
            m_pages->setTabEnabled(page, shared);
        }
    }
    if (m_currentPage == kResultsPage) {
        m_resultsPage->clearResults();
        runSizing();
    } else if (m_currentPage == kWhatIfPage) {
        m_whatIfPage->startSweep(m_session->SizingBasisNow(), m_poolsPage->ecsaText(),
                                 m_poolsPage->membersText());
    }
    m_document->setUnsavedChanges(true);
}

void MainWindow::runSizing() {
    const BusyGuard busy;
    SizingProgress progress(*statusBar());
    takeTypedNumbers();
    const core::SizingRun& run = m_session->EnterResults({}, m_poolsPage->refusals(), &progress);
    m_resultsPage->showResult(run);
    statusBar()->clearMessage();

    m_policy->takeLastRun();
    m_menus.cfrm->setEnabled(true);
    m_menus.running->setEnabled(true);
}

}  // namespace ui

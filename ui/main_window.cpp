#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <climits>

#include "busy_guard.h"
#include "column_widths.h"
#include "dialogs.h"
#include "file_source.h"
#include "files_page.h"
#include "loader.h"
#include "messages.h"
#include "objects_page.h"
#include "pools_page.h"
#include "result_warnings.h"
#include "results_page.h"
#include "sizing.h"
#include "tables.h"
#include "what_if_page.h"

namespace ui {
namespace {

QString FromCore(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

// Shows the loader's progress: the file being read in the status bar, the progress bar per
// file, and the header warnings as they come.
class LoadProgress : public core::LoadObserver {
public:
    LoadProgress(QStatusBar& statusBar, QProgressBar& progress, MessageSink& messages)
        : m_statusBar(statusBar), m_progress(progress), m_messages(messages) {}

    void FileStarting(size_t, std::string_view path) override {
        m_statusBar.showMessage(FromCore(path));
        ProcessPendingEvents();
    }

    void FileOpened(size_t, uint64_t sizeBytes) override {
        // A progress bar counts in int; files past 2 GB are counted in coarser steps.
        m_shift = 0;
        while ((sizeBytes >> m_shift) > static_cast<uint64_t>(INT_MAX)) {
            ++m_shift;
        }
        m_progress.setRange(0, static_cast<int>(sizeBytes >> m_shift));
        m_progress.setValue(0);
    }

    void Progress(uint64_t charactersRead) override {
        const uint64_t value = charactersRead >> m_shift;
        m_progress.setValue(static_cast<int>(
            std::min<uint64_t>(value, static_cast<uint64_t>(m_progress.maximum()))));
    }

    void HeaderWarning(size_t, std::string_view) override {
        m_messages.showMessage(MessageIcon::kInformation, FromCore(core::kHeaderWarningTitle),
                               FromCore(core::kHeaderWarningText));
    }

private:
    QStatusBar& m_statusBar;
    QProgressBar& m_progress;
    MessageSink& m_messages;
    int m_shift = 0;
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

const QString kCancelCaption = QStringLiteral("&Cancel");
const QString kFinishCaption = QStringLiteral("&Finish");

}  // namespace

MainWindow::MainWindow(MessageSink& messages, FileChooser& chooser, const QString& clipPath,
                       QWidget* parent)
    : QMainWindow(parent),
      m_tables(std::make_unique<core::CoreTables>()),
      m_messages(messages),
      m_pages(new QTabWidget(this)),
      m_filesPage(new FilesPage(*m_tables, chooser, m_pages)),
      m_poolsPage(new PoolsPage(*m_tables, messages, clipPath, m_pages)),
      m_objectsPage(new ObjectsPage(*m_tables, m_pages)),
      m_resultsPage(new ResultsPage(*m_tables, messages, m_pages)),
      m_whatIfPage(new WhatIfPage(*m_tables, m_pages)),
      m_quitButton(new QPushButton(kCancelCaption, this)),
      m_readProgress(new QProgressBar(this)),
      m_dataSize(new QLabel(this)) {
    setObjectName(QStringLiteral("frmSelectFiles"));
    setWindowTitle(QStringLiteral("Loomstead"));

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
        m_pages->setTabEnabled(kResultsPage, enabled);
        m_pages->setTabEnabled(kWhatIfPage, enabled);
    });
    connect(m_objectsPage, &ObjectsPage::resultsPageEnabled, this, [this] {
        m_pages->setTabEnabled(kResultsPage, true);
        m_pages->setTabEnabled(kWhatIfPage, true);
    });
    connect(m_quitButton, &QPushButton::clicked, this, &MainWindow::close);

    setTabOrder(m_pages->tabBar(), m_filesPage->selectedFilesList());
    m_filesPage->addButton()->setFocus();
    resize(820, 620);
}

MainWindow::~MainWindow() {
    // The pages and their models read the tables until they are gone; members die before the
    // child widgets would, so the pages go first.
    delete takeCentralWidget();
}

const core::CoreTables& MainWindow::tables() const { return *m_tables; }

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
    SaveColumnLayout(*m_resultsPage->resultsView(), QStringLiteral("lvResults"));
    SaveColumnLayout(*m_poolsPage->sharedPoolsView(), QStringLiteral("lvSharedPools"));
    SaveColumnLayout(*m_objectsPage->sharedObjectsView(), QStringLiteral("lvSharedObjects"));
    event->accept();
}

void MainWindow::runFirstActivation() {
    ProcessPendingEvents();
    m_filesPage->addFile();
    LoadColumnLayout(*m_resultsPage->resultsView(), QStringLiteral("lvResults"));
    LoadColumnLayout(*m_poolsPage->sharedPoolsView(), QStringLiteral("lvSharedPools"));
    LoadColumnLayout(*m_objectsPage->sharedObjectsView(), QStringLiteral("lvSharedObjects"));
}

void MainWindow::changePage(int currentPage) {
    const int previousPage = m_currentPage;
    m_currentPage = currentPage;
    // The sweep reads the tables on another thread; nothing below may change them before it
    // is done.
    m_whatIfPage->waitForSweep();

    m_objectsPage->clearObjects();
    if (previousPage == kFilesPage && m_tables->FilesChanged) {
        loadDataFiles();
    }
    if (currentPage == kObjectsPage || currentPage == kResultsPage || currentPage == kWhatIfPage) {
        core::RebuildSharedPoolList(*m_tables);
        m_objectsPage->reloadPoolList();
    }
    if (currentPage == kResultsPage) {
        ProcessPendingEvents();
        m_resultsPage->clearResults();
        runSizing();
        m_quitButton->setText(kFinishCaption);
    } else if (currentPage == kWhatIfPage) {
        m_whatIfPage->startSweep(m_poolsPage->ecsaText());
        m_quitButton->setText(kFinishCaption);
    } else {
        m_quitButton->setText(kCancelCaption);
    }
    ProcessPendingEvents();
}

void MainWindow::loadDataFiles() {
    core::LoadResult result;
    {
        const BusyGuard busy;
        m_dataSize->clear();
        m_readProgress->setRange(0, 0);
        m_readProgress->show();
        const core::DiskFileSource source;
        LoadProgress progress(*statusBar(), *m_readProgress, m_messages);
        result = core::LoadDataFiles(*m_tables, source, &progress);
        m_lastLoad = result;
        core::CountWorkFileObjects(*m_tables);
        statusBar()->clearMessage();
        m_readProgress->hide();
        m_dataSize->setText(FromCore(result.dataSizeText));
        m_poolsPage->reloadFromTables();
    }
    if (result.error) {
        m_messages.showMessage(MessageIcon::kCritical, FromCore(core::kReadErrorTitle),
                               FromCore(core::kReadErrorText),
                               QString::fromStdString(result.error->Detail()));
    }
}

void MainWindow::runSizing() {
    const BusyGuard busy;
    SizingProgress progress(*statusBar());
    const std::string members = m_poolsPage->membersText().toStdString();
    const std::string ecsa = m_poolsPage->ecsaText().toStdString();
    const core::SizingResult result = core::RunSizing(*m_tables, members, ecsa, &progress);
    m_resultsPage->showResult(result, core::CheckResultWarnings(*m_tables, result, members, ecsa),
                              {m_poolsPage->membersText(), m_poolsPage->ecsaText(), m_lastLoad});
    statusBar()->clearMessage();
}

}  // namespace ui

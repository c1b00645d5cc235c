#include "ui/load_runner.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <thread>
#include <utility>

#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/messages.h"
#include "ui/busy_guard.h"
#include "ui/dialogs.h"
#include "ui/plan_io.h"

namespace ui {
namespace {

QString FromCore(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const core::DiskFileSource kDiskFiles;

const QString kLoadCancelledText = QStringLiteral("Reading the data files was cancelled");
const QString kPlanReadCancelledText = QStringLiteral("Reading the plan was cancelled");
const QString kCheckCancelledText = QStringLiteral("Checking the files of the plan was cancelled");

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

}  // namespace

void SizingProgress::StepStarting(core::SizingStep step) {
    m_statusBar.showMessage(FromCore(core::StatusText(step)));
    if (step == core::SizingStep::kScaSize || step == core::SizingStep::kLockStructure ||
        step == core::SizingStep::kDirectoryRatio || step == core::SizingStep::kEcsaSize) {
        QCoreApplication::processEvents();
    }
}

LoadRunner::LoadRunner(QMainWindow& window, const QAction& quitAction, QAbstractButton& quitButton,
                       MessageSink& messages)
    : m_window(window),
      m_progress(*new QProgressBar(&window)),
      m_dataSize(*new QLabel(&window)),
      m_quitAction(quitAction),
      m_quitButton(quitButton),
      m_messages(messages),
      m_fileSource(&kDiskFiles) {
    m_progress.setObjectName(QStringLiteral("pbReadFile"));
    m_progress.setTextVisible(false);
    m_progress.setAccessibleName(QStringLiteral("Reading progress"));
    m_progress.setToolTip(QStringLiteral("Reading the data files; Esc cancels"));
    m_progress.setFixedWidth(160);
    m_progress.hide();
    m_dataSize.setObjectName(QStringLiteral("lblDataSize"));
    m_dataSize.setToolTip(QStringLiteral("Size of the data files read"));
    m_dataSize.setMinimumWidth(
        m_dataSize.fontMetrics().horizontalAdvance(QStringLiteral("00000.00 Mb")));
    m_dataSize.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    window.statusBar()->addPermanentWidget(&m_progress);
    window.statusBar()->addPermanentWidget(&m_dataSize);
}

void LoadRunner::showDataSize(const QString& text) { m_dataSize.setText(text); }

LoadRunner::~LoadRunner() = default;

void LoadRunner::setFileSource(const core::FileSource& source) { m_fileSource = &source; }

std::optional<core::Session::Read> LoadRunner::readFiles(const std::vector<std::string>& files) {
    const auto read = std::make_shared<core::Session::Read>();
    const auto run = std::make_shared<AsideRun>();
    const bool finished = runAside(run, [read, run, files, source = m_fileSource] {
        *read = core::Session::ReadAside(files, *source, &run->progress);
    });
    const core::Status& status = read->load.status;
    if (!finished || status.code() == core::StatusCode::kCancelled) {
        m_window.statusBar()->showMessage(kLoadCancelledText);
        return std::nullopt;
    }
    for (const std::string& path : read->load.headerWarnings) {
        m_messages.showMessage(MessageIcon::kInformation, FromCore(core::kHeaderWarningTitle),
                               FromCore(core::kHeaderWarningText),
                               QStringLiteral("File: ") + FromCore(path));
    }
    if (!status.ok()) {
        m_messages.showMessage(MessageIcon::kCritical, FromCore(core::kReadErrorTitle),
                               FromCore(core::kReadErrorText),
                               FromCore(core::LoadFailureDetail(status)));
        return std::nullopt;
    }
    return std::move(*read);
}

std::optional<core::Plan> LoadRunner::readPlan(const QString& path, QString* error,
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
        m_window.statusBar()->showMessage(kPlanReadCancelledText);
        return std::nullopt;
    }
    *error = std::move(opened->error);
    if (notAPlan != nullptr) {
        *notAPlan = opened->notAPlan;
    }
    return std::move(opened->plan);
}

std::optional<core::PlanAccount> LoadRunner::checkPlanFiles(const core::Plan& plan) {
    // Hashing reads every byte of the plan's files: on its own thread, and Esc cancels it.
    const auto run = std::make_shared<AsideRun>();
    struct Check {
        core::Plan plan;  // the files alone
        core::PlanAccount items;
    };
    const auto check = std::make_shared<Check>();
    check->plan.files = plan.files;
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
        m_window.statusBar()->showMessage(kCheckCancelledText);
        return std::nullopt;
    }
    return std::move(check->items);
}

bool LoadRunner::runAside(const std::shared_ptr<AsideRun>& run, std::function<void()> work) {
    bool finished = false;
    bool closeAsked = false;
    {
        const BusyGuard busy;
        QEventLoop waitForRun;
        CancelKeys keys(*run, waitForRun, m_window, m_quitAction.shortcuts(), m_quitButton);
        qApp->installEventFilter(&keys);
        m_progress.setRange(0, 0);
        m_progress.show();
        QTimer showProgress;
        QObject::connect(&showProgress, &QTimer::timeout, &m_window,
                         [&] { run->progress.show(*m_window.statusBar(), m_progress); });
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
        m_window.statusBar()->clearMessage();
        m_progress.hide();
    }
    if (closeAsked) {
        QTimer::singleShot(0, &m_window, &QWidget::close);
    }
    return finished;
}

}  // namespace ui

// The reading that a window waits for: the data files, a plan, the hashes of a plan's files.
// Each runs on a thread of its own while the window keeps painting and takes no input but Esc,
// which cancels, and Close or Quit, which cancel and then close the window. To its caller each
// call is synchronous: it returns once the work is done or called off.
#ifndef UI_LOAD_RUNNER_H_
#define UI_LOAD_RUNNER_H_

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/plan.h"
#include "core/session.h"
#include "core/sizing.h"

class QAbstractButton;
class QAction;
class QLabel;
class QMainWindow;
class QProgressBar;
class QStatusBar;

namespace core {
class FileSource;
}

namespace ui {

// Shows each step of the sizing run in the status bar; the first four let the text paint.
class SizingProgress : public core::SizingObserver {
public:
    explicit SizingProgress(QStatusBar& statusBar) : m_statusBar(statusBar) {}

    void StepStarting(core::SizingStep step) override;

private:
    QStatusBar& m_statusBar;
};

struct AsideRun;
class MessageSink;

class LoadRunner {
public:
    // Adds two panels to the window's status bar: the progress of a read, shown while one runs,
    // and the size of the data read. The file being read shows as the bar's message. The quit
    // action's keys and `quitButton` close the window. All must outlive the runner.
    LoadRunner(QMainWindow& window, const QAction& quitAction, QAbstractButton& quitButton,
               MessageSink& messages);
    ~LoadRunner();

    // Where the files are read from; by default the disk. `source` must be safe to read from
    // another thread and outlive every read started here: a cancelled read may still be
    // running after the window is gone.
    void setFileSource(const core::FileSource& source);

    // Reads `files` into fresh tables (Session::ReadAside). Nullopt after a cancel (said in the
    // status bar) or an error (one message); header warnings are shown on the way.
    std::optional<core::Session::Read> readFiles(const std::vector<std::string>& files);
    // Reads the plan at `path`. Nullopt when cancelled (with `*error` empty) or when it cannot
    // be read (with `*error` set as ui::ReadPlan sets it, and `*notAPlan` if asked).
    std::optional<core::Plan> readPlan(const QString& path, QString* error,
                                       bool* notAPlan = nullptr);
    // Hashes the plan's files and tells which changed or are gone; nullopt when cancelled.
    std::optional<core::PlanAccount> checkPlanFiles(const core::Plan& plan);

    // "1.50 Mb": the size of the data the window now holds.
    void showDataSize(const QString& text);

private:
    // Runs `work` aside. True when the work finished; false at once on a cancel, without
    // waiting for the thread: it ends on its own, so `work` must own (shared with the caller)
    // whatever it writes, and reads nothing of the window's.
    bool runAside(const std::shared_ptr<AsideRun>& run, std::function<void()> work);

    QMainWindow& m_window;
    QProgressBar& m_progress;  // "pbReadFile"
    QLabel& m_dataSize;        // "lblDataSize"
    const QAction& m_quitAction;
    QAbstractButton& m_quitButton;
    MessageSink& m_messages;
    const core::FileSource* m_fileSource;
};

}  // namespace ui

#endif  // UI_LOAD_RUNNER_H_

// The plan document of the main window: the plan last opened or saved, whether choices changed
// since, the window title that says both, the question before they would be lost, Open Recent,
// and opening and saving through the file dialogs. What a plan does to the session is the
// window's: it comes in through Actions.
#ifndef UI_PLAN_DOCUMENT_H_
#define UI_PLAN_DOCUMENT_H_

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/plan.h"
#include "core/session.h"

class QMainWindow;
class QMenu;

namespace ui {

class FileChooser;
class LoadRunner;
class MessageSink;
class PlanAccountSink;

class PlanDocument : public QObject {
    Q_OBJECT

public:
    struct Actions {
        // A plan without files: its choices apply to the files loaded now.
        std::function<void(const core::Plan& plan)> applyChoices;
        // A plan whose files were read (and checked against the plan's hashes, `fileItems`).
        std::function<void(core::Session::Read&& read, const core::Plan& plan,
                           core::PlanAccount fileItems)>
            adopt;
        // The plan of the session now, files described.
        std::function<core::PlanCapture()> capture;
        // Lists data files and shows the files page.
        std::function<void(const QStringList& paths)> addDataFiles;
        // The first listed statistics file, empty when none: a new plan is offered beside it.
        std::function<QString()> firstDataFile;
    };

    // All references must outlive the document.
    PlanDocument(QMainWindow& window, MessageSink& messages, FileChooser& chooser,
                 LoadRunner& loader, Actions actions);

    QString path() const { return m_planPath; }
    bool hasUnsavedChanges() const { return m_unsavedChanges; }
    void setUnsavedChanges(bool unsaved);
    // Where the account of a saved plan goes. `sink` must outlive the document.
    void setAccountSink(PlanAccountSink& sink) { m_accounts = &sink; }

    // See MainWindow::openPaths.
    void openPaths(const QStringList& paths);
    // Reads and opens the plan at `path`; false after one message when it cannot be.
    bool open(const QString& path);
    // Opens a plan that was read: its files (if any) replace the file list and are loaded, then
    // its choices are applied. False after one message when it cannot be used; nothing changes.
    bool openRead(const QString& path, core::Plan&& plan);
    // Open Plan...: the question about unsaved changes comes once a plan is chosen and read.
    void chooseToOpen();
    // Writes the session's plan to `path` (whole or not at all); false after one message.
    bool save(const QString& path);
    bool save();    // Save Plan: to the plan open, or as a new one
    bool saveAs();  // Save Plan As...
    // The plan just opened or saved: the title names it, and no change is unsaved.
    void setPath(const QString& path);
    // True when the changes are saved or may be dropped; false when the user calls the step off.
    bool maybeSave();
    // The entries of Open Recent, read afresh.
    void fillRecentMenu(QMenu& menu);

signals:
    // Something the user asked for is done; `what` says so.
    void done(const QString& what);

private:
    void openRecentFile(const QString& path);
    void updateTitle();

    QMainWindow& m_window;
    MessageSink& m_messages;
    FileChooser& m_chooser;
    LoadRunner& m_loader;
    Actions m_actions;
    PlanAccountSink* m_accounts = nullptr;
    QString m_planPath;  // the plan last opened or saved; empty with none
    bool m_unsavedChanges = false;
};

}  // namespace ui

#endif  // UI_PLAN_DOCUMENT_H_

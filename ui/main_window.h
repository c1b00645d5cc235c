// The main window "frmSelectFiles": the menu bar, the five pages of the wizard in "tbsMain", the
// "Cancel" / "Finish" button and the status bar. It owns the session the pages work on; leaving
// the files page after the file list changed loads the files (on a worker thread; Esc cancels),
// entering
// "View Results" runs the sizing unless a number on the pools page is refused. Files reach it
// from the dialogs, the command line, Open Recent and drops.
#ifndef UI_MAIN_WINDOW_H_
#define UI_MAIN_WINDOW_H_

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

#include "core/plan.h"
#include "core/session.h"
#include "ui/main_menus.h"

class QPushButton;
class QTabWidget;
class QUndoStack;

namespace ui {

class LoadRunner;
class ChoicesHistory;
class PolicyDialogs;
class FileChooser;
class FilesPage;
class DialogPlanAccountSink;
class MessageSink;
class ObjectsPage;
class PlanAccountSink;
class PlanDocument;
class PoolsPage;
class ResultsPage;
class WhatIfPage;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Pages of tbsMain, numbered from 0.
    enum Page { kFilesPage, kPoolsPage, kObjectsPage, kResultsPage, kWhatIfPage };

    // `messages` and `chooser` must outlive the window. `clipPath` is the Share All animation.
    MainWindow(MessageSink& messages, FileChooser& chooser, const QString& clipPath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const core::CoreTables& tables() const;
    ResultsPage* resultsPage() const;

    // Where the files are read from; by default the disk. `source` must be safe to read from
    // another thread and outlive every read started here: a cancelled read may still be
    // running after the window is gone.
    void setFileSource(const core::FileSource& source);

    // The paths named on the command line, opened by the first showing in place of the file
    // dialog (see openPaths). Without paths the dialog comes as usual. Call before show().
    void openAtStart(const QStringList& paths);

    // Opens what each path is: the first plan is opened (after asking about unsaved changes;
    // Cancel opens nothing), then each data file is listed and the files page shown, so that
    // leaving it reads the files. Folders, missing and unreadable files, and every plan after
    // the first, are named together in one message.
    void openPaths(const QStringList& paths);

    // Choices made since the plan was last opened or saved; with no plan, any choice at all.
    bool hasUnsavedChanges() const;

    // Opens the plan at `path`: its files replace the file list and are loaded (a plan without
    // files applies to the files loaded now), then its choices are applied and the account of
    // what did not carry over is shown. Returns false after one
    // message when the plan cannot be read or one of its files is gone; nothing changes then.
    bool openPlan(const QString& path);
    // Writes the choices made now, with the files they were made on, to `path` (whole or not at
    // all). Returns false after one message saying why.
    bool savePlan(const QString& path);

    // Where the account of an applied plan goes; by default a dialog. `sink` must outlive the
    // window.
    void setPlanAccountSink(PlanAccountSink& sink);

protected:
    // The first showing asks for a data file at once (or opens the command line's files) and
    // then restores the column widths.
    void showEvent(QShowEvent* event) override;
    // With unsaved changes, asks Save, Discard or Cancel first; Cancel refuses the close. Every
    // close that goes ahead stores the column widths.
    void closeEvent(QCloseEvent* event) override;

private:
    // The menus' actions to what they do.
    void connectMenus();

    void chooseDataFiles();  // Add Files...
    // A plan without files: its choices and inputs on the files loaded now.
    void applyPlanChoices(const core::Plan& plan);
    // A plan whose files were read: the session takes them with the plan's choices.
    void adoptPlan(core::Session::Read&& read, const core::Plan& plan, core::PlanAccount fileItems);
    // The plan of the session now, with the policy inputs and the running group's files.
    core::PlanCapture capturePlan();
    void addDataFiles(const QStringList& paths);

    void runFirstActivation();
    void changePage(int requestedPage);
    // Shows the page without running the page change.
    void showPageQuietly(int page);
    // "What If" sizes what "View Results" sizes, so the two are reachable together.
    void setResultsPagesEnabled(bool enabled);
    // Reads the listed files into fresh tables on a worker thread while this thread keeps the
    // window painting and ignores input; Esc cancels. True when the tables now hold the files;
    // on a failure or a cancel the tables are as they were and the files still count as changed.
    bool loadDataFiles();
    // The one place a successful load lands: the session adopts the loaded tables (into the
    // object the pages keep referring to) with `plan`, or else the choices it held, and the
    // pages show them; the account (after `account`, what was found before) is shown.
    void adoptLoad(core::Session::Read&& read, const core::Plan* plan, const QString& accountTitle,
                   core::PlanAccount account = {});
    // The pages after the session applied choices with the two texts they carry; then the
    // account, if any, is shown.
    void showAppliedChoices(const QString& accountTitle, const core::PlanAccount& account);
    // The session's typed numbers follow the boxes of the pools page.
    void takeTypedNumbers();
    void runSizing();
    // Puts back the choices of an undo or redo step and shows them on the page shown now, which
    // stays the page shown.
    void restoreChoices(const core::Choices& choices);
    // A transient status-bar message that something the user asked for is done.
    void sayDone(const QString& what);

    std::unique_ptr<core::Session> m_session;
    MessageSink& m_messages;
    std::unique_ptr<LoadRunner> m_loader;  // made once the quit action exists
    FileChooser& m_chooser;
    std::unique_ptr<DialogPlanAccountSink> m_accountDialog;
    PlanAccountSink* m_accounts;
    QTabWidget* m_pages;
    FilesPage* m_filesPage;
    PoolsPage* m_poolsPage;
    ObjectsPage* m_objectsPage;
    ResultsPage* m_resultsPage;
    WhatIfPage* m_whatIfPage;
    QPushButton* m_quitButton;
    QUndoStack* m_undoStack;
    std::unique_ptr<ChoicesHistory> m_history;
    PolicyDialogs* m_policy;
    MainMenus m_menus;

    PlanDocument* m_document;  // made once the loader exists
    QStringList m_startPaths;
    int m_currentPage = kFilesPage;
    bool m_shownBefore = false;
};

}  // namespace ui

#endif  // UI_MAIN_WINDOW_H_

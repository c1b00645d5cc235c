#include "ui/main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace ui {
namespace {

// The platform's key for a standard command, or `fallback` where the platform has none (Quit on
// some desktops, Save As on Windows), so that the command still has a key.
QList<QKeySequence> KeysOf(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) {
        keys.append(fallback);
    }
    return keys;
}

}  // namespace

MainMenus BuildMainMenus(QMainWindow& window, QUndoStack& undoStack) {
    MainMenus menus;
    QMainWindow* const parent = &window;
    menus.addFiles = new QAction(QStringLiteral("A&dd Files..."), parent);
    menus.addFiles->setObjectName(QStringLiteral("actAddFiles"));
    menus.addFiles->setStatusTip(QStringLiteral("Add statistics files (.sta, .sim) to the list"));

    menus.openPlan = new QAction(QStringLiteral("&Open Plan..."), parent);
    menus.openPlan->setObjectName(QStringLiteral("actOpenPlan"));
    menus.openPlan->setShortcuts(KeysOf(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    menus.openPlan->setStatusTip(
        QStringLiteral("Open a plan: its files are read and its choices applied again"));

    menus.savePlan = new QAction(QStringLiteral("&Save Plan"), parent);
    menus.savePlan->setObjectName(QStringLiteral("actSavePlan"));
    menus.savePlan->setShortcuts(KeysOf(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S)));
    menus.savePlan->setStatusTip(
        QStringLiteral("Save the files and the choices made on them as a plan"));

    menus.savePlanAs = new QAction(QStringLiteral("Save Plan &As..."), parent);
    menus.savePlanAs->setObjectName(QStringLiteral("actSavePlanAs"));
    menus.savePlanAs->setShortcuts(
        KeysOf(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    menus.savePlanAs->setStatusTip(QStringLiteral("Save the plan under a new name"));

    menus.quit = new QAction(QStringLiteral("&Quit"), parent);
    menus.quit->setObjectName(QStringLiteral("actQuit"));
    menus.quit->setShortcuts(KeysOf(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    menus.quit->setMenuRole(QAction::QuitRole);
    menus.quit->setStatusTip(QStringLiteral("Close Loomstead"));

    menus.manual = new QAction(QStringLiteral("&Using Loomstead"), parent);
    menus.manual->setObjectName(QStringLiteral("actManual"));
    menus.manual->setShortcuts(KeysOf(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    menus.manual->setStatusTip(QStringLiteral("Read the manual"));

    menus.about = new QAction(QStringLiteral("&About Loomstead"), parent);
    menus.about->setObjectName(QStringLiteral("actAbout"));
    menus.about->setMenuRole(QAction::AboutRole);
    menus.about->setStatusTip(QStringLiteral("Show the version and the licence"));

    QMenu* fileMenu = menus.file = window.menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("mnuFile"));
    fileMenu->addAction(menus.addFiles);
    fileMenu->addSeparator();
    fileMenu->addAction(menus.openPlan);
    fileMenu->addAction(menus.savePlan);
    fileMenu->addAction(menus.savePlanAs);
    fileMenu->addSeparator();
    menus.recent = fileMenu->addMenu(QStringLiteral("Open &Recent"));
    menus.recent->setObjectName(QStringLiteral("mnuRecent"));
    menus.recent->setToolTipsVisible(true);
    fileMenu->addSeparator();
    fileMenu->addAction(menus.quit);

    // Number boxes with the focus take Ctrl+Z themselves: their own text undo comes first.
    QMenu* editMenu = window.menuBar()->addMenu(QStringLiteral("&Edit"));
    editMenu->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = menus.undo = undoStack.createUndoAction(parent, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcuts(KeysOf(QKeySequence::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    undo->setStatusTip(QStringLiteral("Take back the last share, return or object choice"));
    QAction* redo = menus.redo = undoStack.createRedoAction(parent, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcuts(KeysOf(QKeySequence::Redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    redo->setStatusTip(QStringLiteral("Make again the choice last taken back"));
    editMenu->addAction(undo);
    editMenu->addAction(redo);

    QMenu* resultsMenu = window.menuBar()->addMenu(QStringLiteral("&Results"));
    resultsMenu->setObjectName(QStringLiteral("mnuResults"));
    // Each acts on the page shown; the window enables them on the pages that have them.
    const struct {
        QString text;
        const char* name;
        QList<QKeySequence> keys;
        QString tip;
    } resultActions[] = {
        {QStringLiteral("&Copy"), "actCopyResults", QKeySequence::keyBindings(QKeySequence::Copy),
         QStringLiteral("Copy the results as tab-separated text")},
        {QStringLiteral("&Export…"),
         "actExportResults",
         {QKeySequence(Qt::CTRL | Qt::Key_E)},
         QStringLiteral("Save the results as a PDF report, CSV or JSON")},
        {QStringLiteral("P&rint…"), "actPrintResults",
         KeysOf(QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P)),
         QStringLiteral("Print the report")},
        {QStringLiteral("Print Pre&view"),
         "actPrintPreview",
         {},
         QStringLiteral("See the report's pages as they will be printed")},
    };
    for (const auto& a : resultActions) {
        QAction* action = resultsMenu->addAction(a.text);
        action->setObjectName(QLatin1String(a.name));
        action->setShortcuts(a.keys);
        action->setStatusTip(a.tip);
        action->setEnabled(false);
        menus.results.append(action);
    }
    resultsMenu->addSeparator();
    menus.cfrm = resultsMenu->addAction(QStringLiteral("CFRM &Policy…"));
    menus.cfrm->setObjectName(QStringLiteral("actCfrmPolicy"));
    menus.cfrm->setStatusTip(QStringLiteral("CFRM STRUCTURE statements of the latest results"));
    menus.cfrm->setEnabled(false);
    menus.running = resultsMenu->addAction(QStringLiteral("Running &Group…"));
    menus.running->setObjectName(QStringLiteral("actRunningGroup"));
    menus.running->setStatusTip(
        QStringLiteral("The latest results beside the running group's displays and policy"));
    menus.running->setEnabled(false);

    QMenu* helpMenu = window.menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    helpMenu->addAction(menus.manual);
    helpMenu->addSeparator();
    helpMenu->addAction(menus.about);
    return menus;
}

}  // namespace ui

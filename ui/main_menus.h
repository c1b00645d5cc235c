// The menu bar of the main window: File, Edit, Results and Help, with their texts, keys and
// tips. The window connects the actions to what they do.
#ifndef UI_MAIN_MENUS_H_
#define UI_MAIN_MENUS_H_

#include <QList>

class QAction;
class QMainWindow;
class QMenu;
class QUndoStack;

namespace ui {

struct MainMenus {
    QAction* addFiles = nullptr;
    QAction* openPlan = nullptr;
    QAction* savePlan = nullptr;
    QAction* savePlanAs = nullptr;
    QAction* quit = nullptr;
    QMenu* file = nullptr;
    QMenu* recent = nullptr;  // Open Recent, filled by the plan document
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QList<QAction*> results;     // Copy, Export, Print and Print Preview, disabled at first
    QAction* cfrm = nullptr;     // disabled until there are results
    QAction* running = nullptr;  // disabled until there are results
    QAction* manual = nullptr;
    QAction* about = nullptr;
};

// Fills the menu bar of `window`; Undo and Redo are those of `undoStack`. The actions belong to
// the window.
MainMenus BuildMainMenus(QMainWindow& window, QUndoStack& undoStack);

}  // namespace ui

#endif  // UI_MAIN_MENUS_H_

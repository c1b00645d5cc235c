// The main window's size, place, maximized state and splitter positions, kept from one run to
// the next in the settings store; and the size the window opens at the first time.
#ifndef UI_WINDOW_LAYOUT_H_
#define UI_WINDOW_LAYOUT_H_

#include <QList>
#include <QRect>
#include <QString>
#include <utility>

class QMainWindow;
class QPushButton;
class QTabWidget;
class QWidget;

namespace ui {

// The window's first geometry on a screen whose free area is `available`: 80% of it, at least
// 820x620 and at most 1280x900 (but never more than the area itself), centred in it.
QRect FirstRunGeometry(const QRect& available);

// Gives the window its stored geometry and state and each of its named splitters its stored
// sizes. With nothing usable stored, or a stored place on no screen that exists now, the window
// gets FirstRunGeometry on its screen. Call before show().
void RestoreWindowLayout(QMainWindow& window);

// The window's central area: the steps as the tabs of `steps` ("tbsMain"), the first current
// and the others disabled until they can be reached, and `quitButton` ("cmdQuit", Cancel, later
// Finish) at the right below them.
void LayOutSteps(QMainWindow& window, QTabWidget& steps,
                 const QList<std::pair<QWidget*, QString>>& pages, QPushButton& quitButton);

// The button below the steps says Finish on the steps that show results, Cancel on the others;
// a screen reader hears it without the mnemonic.
void SetQuitCaption(QPushButton& quitButton, bool finishing);

// Stores what RestoreWindowLayout restores. A store that cannot be written is left as it was.
void SaveWindowLayout(const QMainWindow& window);

}  // namespace ui

#endif  // UI_WINDOW_LAYOUT_H_

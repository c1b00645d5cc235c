// Pictures drawn by the program itself: the arrows of the buttons that move pools between the
// lists, and the icons a dragged pool shows; and the program's own icon.
#ifndef UI_ICONS_H_
#define UI_ICONS_H_

#include <QIcon>
#include <QPixmap>

class QFont;
class QPalette;
class QString;

namespace ui {

// Arrows pointing right (towards the shared pools) and left (back to the available pools), in
// the palette's button text colour.
QIcon ShareArrowIcon(const QPalette& palette);
QIcon ReturnArrowIcon(const QPalette& palette);

// 32x32 drag icons, centred on the pointer: a pool carried over a place that takes no drop, and
// a pool over the list that takes it.
QPixmap PoolCarryDragIcon();
QPixmap PoolDropDragIcon();

// The name of a dragged pool on a small card in the palette's selection colours.
QPixmap PoolDragCard(const QString& poolName, const QFont& font, const QPalette& palette);

// The program's icon at 16, 32, 48, 64, 128 and 256 px, from PNGs built into the program, so
// that no image plugin is needed to show it (the SVG would need Qt's SVG plugin).
QIcon ProgramIcon();

}  // namespace ui

#endif  // UI_ICONS_H_

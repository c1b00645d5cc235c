// Pictures drawn by the program itself: the arrows of the buttons that move pools between the
// lists, and the icons a dragged pool shows.
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

}  // namespace ui

#endif  // UI_ICONS_H_

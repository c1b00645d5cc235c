// Keeps the column widths of a list view in the settings store, keyed by the list's name, and
// gives columns the width their captions need.
#ifndef UI_COLUMN_WIDTHS_H_
#define UI_COLUMN_WIDTHS_H_

#include <QString>

class QTreeView;

namespace ui {

// A stored width below this many pixels leaves a column that can be neither read nor grabbed.
inline constexpr int kMinUsableColumnWidth = 20;

// The width in pixels the column's caption needs, with room for `suffix` after it (a sort
// marker that the caption may carry later).
int CaptionWidth(const QTreeView& view, int column, const QString& suffix = {});

// Widens every column narrower than its caption (with `suffix`) to the caption's width.
void FitColumnsToCaptions(QTreeView& view, const QString& suffix = {});

// Stores the widths of every column of the view, first column first, under the key. A store
// that cannot be written is left as it was, silently.
void SaveColumnLayout(const QTreeView& view, const QString& key);

// Narrows the columns so that together they fit the view's width, each column losing in
// proportion to what it has beyond its caption's width; only when the captions alone are too
// wide do columns go below them, never below kMinUsableColumnWidth. Columns that fit already
// keep their widths.
void FitColumnsToView(QTreeView& view);

// Gives column i the i-th stored width; a stored width under kMinUsableColumnWidth gives the
// caption's width instead. Columns without a usable stored width keep theirs; stored widths
// beyond the last column are ignored; nothing stored changes nothing. Widths stored in a wider
// window are then fitted to the view (FitColumnsToView) whenever the view is shown or changes
// width, until the user resizes a column.
void LoadColumnLayout(QTreeView& view, const QString& key);

}  // namespace ui

#endif  // UI_COLUMN_WIDTHS_H_

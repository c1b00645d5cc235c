// Keeps the column widths of a list view in the settings store, keyed by the list's name.
#ifndef UI_COLUMN_WIDTHS_H_
#define UI_COLUMN_WIDTHS_H_

class QString;
class QTreeView;

namespace ui {

// Stores the widths of every column of the view, first column first, under the key. A store
// that cannot be written is left as it was, silently.
void SaveColumnLayout(const QTreeView& view, const QString& key);

// Gives column i the i-th stored width. Columns without a usable stored width keep theirs;
// stored widths beyond the last column are ignored; nothing stored changes nothing.
void LoadColumnLayout(QTreeView& view, const QString& key);

}  // namespace ui

#endif  // UI_COLUMN_WIDTHS_H_

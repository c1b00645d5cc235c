// The column widths of the visible lists, kept from one run of the program to the next in the
// per-user settings store (organization and application "Loomkeep", group "Layout", one key per
// list named after the list). A value is the widths in column order joined by ",": "120,90".
#ifndef SETTINGS_COLUMN_LAYOUT_H_
#define SETTINGS_COLUMN_LAYOUT_H_

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace settings {

// Widths wider than this many pixels are taken for damage, not for a user's choice.
inline constexpr int kMaxColumnWidth = 10000;

// "120,90": the widths in decimal joined by ",", no blanks; "" for no columns.
QString FormatLayoutValue(const QList<int>& widths);

// One entry per ","-separated piece of the value, in order; an empty value gives none. Each
// piece is read leniently (blanks skipped, the leading number taken) and rounded to the nearest
// integer, a half to the even neighbour. A piece that gives no usable width (not a number, 0,
// negative, over kMaxColumnWidth) is nullopt: its column keeps the width it has, since a width
// of 0 would hide the column for good.
QList<std::optional<int>> ParseLayoutValue(const QString& value);

// The layout values in the settings store. The store never stops the program: a store that
// cannot be read reads as empty, one that cannot be written keeps its old values. A store that is
// not a regular file (a named pipe would block the program on opening it) is left alone: it
// reads as empty, is never written, and one warning goes to standard error per run.
class ColumnLayoutStore {
public:
    // The store's file: <user config folder>/Loomkeep/Loomkeep.conf.
    static QString filePath();

    // The stored value under the key; "" when there is none or the store cannot be read.
    QString layoutValue(const QString& key) const;

    // Replaces the value under the key. Returns false when the store could not be written.
    bool setLayoutValue(const QString& key, const QString& value);
};

// The main window's layout in the same store, in a group of its own ("Window"): the blobs that
// QWidget::saveGeometry, QMainWindow::saveState and QSplitter::saveState give, one key each. The
// store never stops the program, as above.
class WindowLayoutStore {
public:
    // The stored blob under the key; empty when there is none or the store cannot be read.
    QByteArray value(const QString& key) const;

    // Replaces the blob under the key. Returns false when the store could not be written.
    bool setValue(const QString& key, const QByteArray& value);
};

}  // namespace settings

#endif  // SETTINGS_COLUMN_LAYOUT_H_

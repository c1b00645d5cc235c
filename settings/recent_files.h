// The files the user opened last, plans and statistics files alike, newest first, kept from one
// run of the program to the next in the per-user settings store (organization and application
// "Loomkeep", group "Recent", key "Files", a list of absolute paths).
#ifndef SETTINGS_RECENT_FILES_H_
#define SETTINGS_RECENT_FILES_H_

#include <QStringList>

namespace settings {

// The menu shows no more entries than this.
inline constexpr int kMaxRecentFiles = 10;

// `list` with `path` moved (or put) in front, an earlier entry of the same path dropped, and
// cut to kMaxRecentFiles entries.
QStringList WithRecentFile(QStringList list, const QString& path);

// The list in the settings store. Like the column widths, the store never stops the program:
// one that cannot be read reads as empty, one that cannot be written keeps its old list.
class RecentFilesStore {
public:
    // At most kMaxRecentFiles paths, newest first; empty entries are skipped.
    QStringList files() const;

    // Puts `path` in front (WithRecentFile). Returns false when the store could not be written.
    bool add(const QString& path);

    // Takes `path` off the list (a file that is gone). Returns false when the store could not
    // be written.
    bool remove(const QString& path);

private:
    bool store(const QStringList& list);
};

}  // namespace settings

#endif  // SETTINGS_RECENT_FILES_H_

// What a path handed to the main window turns out to be: one named on the command line, dropped
// on the window or chosen from Open Recent.
#ifndef UI_PATH_KINDS_H_
#define UI_PATH_KINDS_H_

#include <QString>

namespace ui {

enum class PathKind {
    kDataFile,    // a regular readable file that is not a plan: added as statistics
    kPlan,        // a regular readable file ending in .loomplan
    kFolder,      // a folder (also one named *.loomplan)
    kMissing,     // nothing is there
    kUnreadable,  // there, but the user may not read it (or it is not a regular file)
};

// Only a file whose name ends in .loomplan (letter case ignored) is taken for a plan.
bool IsPlanPath(const QString& path);

// Looks at the file system now; the answer may be stale by the time the file is read.
PathKind KindOfPath(const QString& path);

}  // namespace ui

#endif  // UI_PATH_KINDS_H_

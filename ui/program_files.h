// The files the program ships beside itself: the Share All clip and the manual. In a build tree
// they lie next to the executable; installed, in the program's data folder
// (<prefix>/share/loomstead for an executable in <prefix>/bin).
#ifndef UI_PROGRAM_FILES_H_
#define UI_PROGRAM_FILES_H_

#include <QString>

namespace ui {

// The path of the shipped file `name`, looked for next to the executable and then in the data
// folder of the installation; empty when neither holds it.
QString FindProgramFile(const QString& name);

// The text of the manual, docs/manual.md: the installed copy when there is one, else the copy
// built into the program, so that Help always has something to show.
QString ManualMarkdown();

}  // namespace ui

#endif  // UI_PROGRAM_FILES_H_

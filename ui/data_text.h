// Texts taken from data files (pool names, object names, the collection time) for display. The
// files are written in the system's single-byte code page and read as Latin-1, by the same rule
// as every other output of the program, so that a name reads the same everywhere.
#ifndef UI_DATA_TEXT_H_
#define UI_DATA_TEXT_H_

#include <QString>
#include <string_view>

namespace ui {

QString DataText(std::string_view text);

}  // namespace ui

#endif  // UI_DATA_TEXT_H_

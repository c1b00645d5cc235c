// Texts taken from data files (pool names, the collection time) for display. The files are
// written in a single-byte code page; text that is valid UTF-8 is shown as such.
#ifndef UI_DATA_TEXT_H_
#define UI_DATA_TEXT_H_

#include <QString>
#include <string_view>

namespace ui {

QString DataText(std::string_view text);

}  // namespace ui

#endif  // UI_DATA_TEXT_H_

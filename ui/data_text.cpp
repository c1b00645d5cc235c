#include "ui/data_text.h"

#include "core/text.h"

namespace ui {

QString DataText(std::string_view text) { return QString::fromStdString(core::Latin1ToUtf8(text)); }

}  // namespace ui

#include "ui/page_hint.h"

#include <QLabel>

namespace ui {

QLabel* NewPageHint(const QString& text, const QString& objectName, QWidget* page) {
    auto* hint = new QLabel(text, page);
    hint->setObjectName(objectName);
    hint->setWordWrap(true);
    hint->setEnabled(false);  // drawn in the muted colour of secondary text
    return hint;
}

}  // namespace ui

// The line at the foot of a page that says what the page is for and how to go on.
#ifndef UI_PAGE_HINT_H_
#define UI_PAGE_HINT_H_

class QLabel;
class QString;
class QWidget;

namespace ui {

// A wrapped label named `objectName`, in the muted colour of secondary text, owned by `page`.
QLabel* NewPageHint(const QString& text, const QString& objectName, QWidget* page);

}  // namespace ui

#endif  // UI_PAGE_HINT_H_

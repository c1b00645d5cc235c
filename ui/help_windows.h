// The Help menu's windows: the manual "Using Loomstead" and About. Both stay open beside the main
// window while the user works, and close themselves away.
#ifndef UI_HELP_WINDOWS_H_
#define UI_HELP_WINDOWS_H_

class QDialog;
class QWidget;

namespace ui {

// The manual (docs/manual.md) in a QTextBrowser "txtManual", in a window named "dlgManual".
QDialog* ShowManualWindow(QWidget* parent);

// The program's name, version, purpose and licence, in a window named "dlgAbout".
QDialog* ShowAboutWindow(QWidget* parent);

}  // namespace ui

#endif  // UI_HELP_WINDOWS_H_

// The title window "frmTitle": shown first, it hands over to the main window 20 ms later and
// stays open until the main window's first activation (the file dialog at start) is over.
#ifndef UI_TITLE_WINDOW_H_
#define UI_TITLE_WINDOW_H_

#include <QWidget>
#include <functional>

class QTimer;

namespace ui {

class TitleWindow : public QWidget {
    Q_OBJECT

public:
    // `startMainWindow` creates the main window and returns it; its owner keeps it alive.
    explicit TitleWindow(std::function<QWidget*()> startMainWindow, QWidget* parent = nullptr);
    ~TitleWindow() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startMainWindow();

    std::function<QWidget*()> m_startMainWindow;
    QTimer* m_timer;
};

}  // namespace ui

#endif  // UI_TITLE_WINDOW_H_

#include "ui/busy_guard.h"

#include <QApplication>
#include <QEvent>
#include <QObject>

namespace ui {
namespace {

class InputBlocker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A modal message shown during the work (a header warning) must still take its OK;
        // Qt itself keeps input from the windows behind it.
        if (QApplication::activeModalWidget() != nullptr) {
            return QObject::eventFilter(watched, event);
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
            case QEvent::Close:
            case QEvent::TouchBegin:
                event->ignore();
                return true;
            default:
                return QObject::eventFilter(watched, event);
        }
    }
};

int g_depth = 0;
InputBlocker* g_blocker = nullptr;

}  // namespace

BusyGuard::BusyGuard() {
    if (g_depth++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        g_blocker = new InputBlocker;
        qApp->installEventFilter(g_blocker);
    }
}

BusyGuard::~BusyGuard() {
    if (--g_depth == 0) {
        qApp->removeEventFilter(g_blocker);
        delete g_blocker;
        g_blocker = nullptr;
        QApplication::restoreOverrideCursor();
    }
}

bool BusyGuard::active() { return g_depth > 0; }

}  // namespace ui

// Files dragged from a file manager onto a window: taken when at least one is a local file, and
// handed on once the drop is over, since a message box must not open inside the drag's own loop.
#ifndef UI_FILE_DROPS_H_
#define UI_FILE_DROPS_H_

#include <QObject>
#include <QStringList>

class QWidget;

namespace ui {

class FileDrops : public QObject {
    Q_OBJECT

public:
    // Watches `target`, which accepts drops from now on, and is its child.
    explicit FileDrops(QWidget& target);

signals:
    // The local files of a drop, after the drop.
    void dropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ui

#endif  // UI_FILE_DROPS_H_

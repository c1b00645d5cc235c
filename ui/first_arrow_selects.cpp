#include "ui/first_arrow_selects.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace ui {
namespace {

class FirstArrowSelects : public QObject {
public:
    explicit FirstArrowSelects(QAbstractItemView& view) : QObject(&view), m_view(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_view || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Down && key->key() != Qt::Key_Up) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        QItemSelectionModel* selection = m_view.selectionModel();
        QAbstractItemModel* model = m_view.model();
        if (selection == nullptr || model == nullptr || selection->hasSelection() ||
            model->rowCount(m_view.rootIndex()) == 0) {
            return false;
        }
        QModelIndex current = m_view.currentIndex();
        if (!current.isValid()) {
            current = model->index(0, 0, m_view.rootIndex());
        }
        selection->setCurrentIndex(current,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view.scrollTo(current);
        return true;
    }

private:
    QAbstractItemView& m_view;
};

}  // namespace

void MakeFirstArrowSelect(QAbstractItemView& view) {
    view.installEventFilter(new FirstArrowSelects(view));
}

}  // namespace ui

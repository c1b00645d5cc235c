#include "ui/list_view_sort.h"

#include <QAbstractItemModel>
#include <QString>
#include <QTreeView>

namespace ui {
namespace {

const QString kAscendingMarker = QStringLiteral(" (A)");
const QString kDescendingMarker = QStringLiteral(" (D)");

QString WithoutMarker(QString title) {
    if (title.endsWith(kAscendingMarker) || title.endsWith(kDescendingMarker)) {
        title.chop(kAscendingMarker.size());
    }
    return title;
}

}  // namespace

void SortListViewByColumn(QTreeView& view, int column) {
    QAbstractItemModel* model = view.model();
    if (model == nullptr || column < 0 || column >= model->columnCount()) {
        return;
    }
    const QString clicked = model->headerData(column, Qt::Horizontal).toString();
    const Qt::SortOrder order =
        clicked.endsWith(QStringLiteral("(A)")) ? Qt::DescendingOrder : Qt::AscendingOrder;
    model->sort(column, order);

    for (int i = 0; i < model->columnCount(); ++i) {
        const QString title = model->headerData(i, Qt::Horizontal).toString();
        const QString plain = WithoutMarker(title);
        if (plain != title) {
            model->setHeaderData(i, Qt::Horizontal, plain);
        }
    }
    const QString plain = WithoutMarker(clicked);
    model->setHeaderData(
        column, Qt::Horizontal,
        plain + (order == Qt::AscendingOrder ? kAscendingMarker : kDescendingMarker));
}

}  // namespace ui

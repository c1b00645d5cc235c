// Pool-table rows built by hand, reading and clicking the rows of views, and clicking buttons,
// for the page tests.
#ifndef TESTS_UI_TEST_TABLES_H_
#define TESTS_UI_TEST_TABLES_H_

#include <QAbstractItemView>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <optional>
#include <string>

#include "core/tables.h"

namespace ui {

// A pool-table row of the file at `fileNo`; no range when `start` and `end` are left out.
inline core::PoolRow Row(int32_t fileNo, const std::string& pool, std::optional<int32_t> start = {},
                         std::optional<int32_t> end = {}, int32_t dsndb07s = 0) {
    core::PoolRow row;
    row.FileNo = fileNo;
    row.BPool = pool;
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    row.DSNDB07s = dsndb07s;
    return row;
}

// The texts of one column, top row first.
inline QStringList Texts(const QAbstractItemModel* model, int column = 0) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row) {
        texts << model->index(row, column).data().toString();
    }
    return texts;
}

// A click in the middle of a row that is in view.
inline void ClickRow(QAbstractItemView* view, int row, Qt::MouseButton button = Qt::LeftButton) {
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QVERIFY(rect.isValid());
    QTest::mouseClick(view->viewport(), button, Qt::NoModifier, rect.center());
}

// A click on the push button `name` of `parent`, which must be there, shown and enabled.
inline void ClickButton(const QWidget* parent, const QString& name) {
    auto* button = parent->findChild<QPushButton*>(name);
    QVERIFY2(button && button->isVisible() && button->isEnabled(), qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace ui

#endif  // TESTS_UI_TEST_TABLES_H_

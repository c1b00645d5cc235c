#include "ui/what_if_output.h"

#include <QChart>
#include <QGraphicsScene>
#include <QPainter>
#include <QPrinter>
#include <QTableWidget>

namespace ui {
namespace {

// The cells of a row as shown (row -1: the column titles on one line), hidden columns left out.
QStringList RowTexts(const QTableWidget& table, int row) {
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column) {
        if (table.isColumnHidden(column)) {
            continue;
        }
        const QTableWidgetItem* item =
            row < 0 ? table.horizontalHeaderItem(column) : table.item(row, column);
        cells << (item != nullptr ? item->text().replace(QLatin1Char('\n'), QLatin1Char(' '))
                                  : QString());
    }
    return cells;
}

}  // namespace

bool PrintWhatIf(const QTableWidget& table, QChart* chart, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, page.width(), page.height());
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const double line = painter.fontMetrics().height() * 1.4;
    const double cellWidth = area.width() / std::max<qsizetype>(1, RowTexts(table, -1).size());
    double y = 0;
    for (int row = -1; row < table.rowCount(); ++row) {
        if (y + line > area.height()) {
            printer.newPage();
            y = 0;
        }
        const QStringList cells = RowTexts(table, row);
        font.setBold(row < 0);
        painter.setFont(font);
        for (int column = 0; column < cells.size(); ++column) {
            const QRectF cell(column * cellWidth, y, cellWidth - 4, line);
            painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap,
                             cells[column]);
        }
        y += row < 0 ? line * 2 : line;
    }
    if (chart != nullptr && chart->scene() != nullptr) {
        // The chart as it lies on screen, scaled onto the page whole so that its fonts keep
        // their proportions.
        const QRectF source = chart->sceneBoundingRect();
        if (source.width() > 0) {
            const double height = area.width() * source.height() / source.width();
            if (y + height > area.height()) {
                printer.newPage();
                y = 0;
            }
            chart->scene()->render(&painter, QRectF(0, y, area.width(), height), source);
        }
    }
    return painter.end();
}

}  // namespace ui

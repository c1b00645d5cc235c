#include "ui/icons.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace ui {
namespace {

QPixmap Arrow(int side, bool right, const QColor& colour) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 24.0, side / 24.0);
    if (!right) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath arrow;
    arrow.moveTo(3, 9.5);
    arrow.lineTo(12, 9.5);
    arrow.lineTo(12, 4);
    arrow.lineTo(21, 12);
    arrow.lineTo(12, 20);
    arrow.lineTo(12, 14.5);
    arrow.lineTo(3, 14.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(arrow);
    return pixmap;
}

QIcon ArrowIcon(const QPalette& palette, bool right) {
    QIcon icon;
    for (const int side : {16, 24, 32, 48}) {
        icon.addPixmap(Arrow(side, right, palette.color(QPalette::Active, QPalette::ButtonText)));
    }
    return icon;
}

// A list entry card carried by the pointer, with a badge at its lower right.
QPixmap DragIcon(bool dropAllowed) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 90), 1.0));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(4.5, 6.5, 20, 15), 2, 2);
    p.setPen(QPen(QColor(60, 100, 190), 1.5));
    for (const double y : {10.5, 14.0, 17.5}) {
        p.drawLine(QPointF(8, y), QPointF(y == 17.5 ? 15 : 21, y));
    }
    const QRectF badge(18.5, 18.5, 12, 12);
    if (dropAllowed) {
        p.setPen(QPen(QColor(20, 110, 40), 1.0));
        p.setBrush(QColor(60, 170, 80));
        p.drawEllipse(badge);
        p.setPen(QPen(Qt::white, 2.0));
        p.drawLine(QPointF(24.5, 21), QPointF(24.5, 28));
        p.drawLine(QPointF(21, 24.5), QPointF(28, 24.5));
    } else {
        p.setPen(QPen(QColor(190, 40, 40), 2.0));
        p.setBrush(Qt::white);
        p.drawEllipse(badge.adjusted(1, 1, -1, -1));
        p.drawLine(QPointF(21, 28), QPointF(28, 21));
    }
    return pixmap;
}

}  // namespace

QIcon ShareArrowIcon(const QPalette& palette) { return ArrowIcon(palette, true); }

QIcon ReturnArrowIcon(const QPalette& palette) { return ArrowIcon(palette, false); }

QPixmap PoolCarryDragIcon() { return DragIcon(false); }

QPixmap PoolDropDragIcon() { return DragIcon(true); }

QIcon ProgramIcon() {
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/loomstead/icons/loomstead-%1.png").arg(side),
                     QSize(side, side));
    }
    return icon;
}

QPixmap PoolDragCard(const QString& poolName, const QFont& font, const QPalette& palette) {
    const QFontMetrics metrics(font);
    const QSize size(metrics.horizontalAdvance(poolName) + 12, metrics.height() + 6);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette.color(QPalette::Active, QPalette::Highlight);
    fill.setAlpha(220);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(pixmap.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setFont(font);
    p.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
    p.drawText(pixmap.rect(), Qt::AlignCenter, poolName);
    return pixmap;
}

}  // namespace ui

#include "gui/theme/icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace zel::gui {

namespace {

// A small desk calendar: a red top bar over a white sheet, with a day number or a bell.
QPixmap drawIcon(int day, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    const QRectF sheet(0.5 * s, 1.5 * s, 15 * s, 14 * s);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), std::max(1.0, s)));
    p.setBrush(Qt::white);
    p.drawRoundedRect(sheet, 2 * s, 2 * s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC0, 0x20, 0x20));
    p.drawRoundedRect(QRectF(0.5 * s, 1.5 * s, 15 * s, 4 * s), 2 * s, 2 * s);
    p.drawRect(QRectF(0.5 * s, 3.5 * s, 15 * s, 2 * s));
    if (day > 0) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(static_cast<int>((day >= 10 ? 9 : 10) * s));
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x10, 0x10, 0x10));
        p.drawText(QRectF(0, 5 * s, 16 * s, 11 * s), Qt::AlignCenter, QString::number(day));
    } else {
        // A bell for the program itself.
        QPainterPath bell;
        bell.moveTo(8 * s, 6.5 * s);
        bell.cubicTo(11 * s, 6.5 * s, 11 * s, 9.5 * s, 11.5 * s, 12.5 * s);
        bell.lineTo(4.5 * s, 12.5 * s);
        bell.cubicTo(5 * s, 9.5 * s, 5 * s, 6.5 * s, 8 * s, 6.5 * s);
        p.setBrush(QColor(0xE0, 0xA8, 0x10));
        p.setPen(QPen(QColor(0x60, 0x40, 0x00), std::max(0.8, 0.6 * s)));
        p.drawPath(bell);
        p.drawEllipse(QPointF(8 * s, 13.5 * s), 1.1 * s, 1.1 * s);
    }
    return pm;
}

} // namespace

QPixmap listIcon(int index, int size) {
    return drawIcon(index >= 1 && index <= 31 ? index : 0, size);
}

QIcon dayIcon(int day) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 44, 48, 64})
        icon.addPixmap(listIcon(day, size));
    return icon;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(drawIcon(0, size));
    return icon;
}

} // namespace zel::gui

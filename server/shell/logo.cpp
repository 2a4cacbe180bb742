#include "server/shell/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap qorvilLogo(int size)
{
    QPixmap logo(size, size);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    const QColor navy(24, 52, 110);
    const QColor gold(236, 170, 40);

    // The tail of the Q, behind the ring.
    QPainterPath tail;
    tail.moveTo(62, 70);
    tail.lineTo(92, 96);
    tail.lineTo(98, 88);
    tail.lineTo(72, 62);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(tail);

    QLinearGradient ring(0, 0, 0, 100);
    ring.setColorAt(0, navy.lighter(150));
    ring.setColorAt(1, navy);
    p.setBrush(ring);
    p.drawEllipse(QRectF(4, 4, 84, 84));
    p.setBrush(QColor(250, 251, 255));
    p.drawEllipse(QRectF(14, 14, 64, 64));

    p.translate(46, 46);
    p.setPen(QPen(navy, 3, Qt::SolidLine, Qt::RoundCap));
    for (int hour = 0; hour < 12; ++hour) {
        p.drawLine(QPointF(0, -28), QPointF(0, hour % 3 == 0 ? -22 : -25));
        p.rotate(30);
    }
    p.setPen(QPen(navy, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(0, -19));
    p.setPen(QPen(gold.darker(120), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(15, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawEllipse(QPointF(0, 0), 4, 4);
    return logo;
}

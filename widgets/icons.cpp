#include "widgets/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace Icons {

namespace {

const QColor kOutline(50, 55, 70);

QIcon drawn(const QString& theme, const std::function<void(QPainter&)>& draw)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutline, 1.6));
    draw(painter);
    painter.end();
    return QIcon::fromTheme(theme, QIcon(picture));
}

void padlock(QPainter& p, const QRectF& body)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 2.2));
    const qreal w = body.width() * 0.6;
    p.drawArc(QRectF(body.center().x() - w / 2, body.top() - w * 0.75, w, w * 1.3), 0, 180 * 16);
    p.setPen(QPen(kOutline, 1.4));
    p.setBrush(QColor(230, 175, 40));
    p.drawRoundedRect(body, 1.5, 1.5);
}

} // namespace

QIcon print()
{
    return drawn(QStringLiteral("document-print"), [](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9.5, 3.5, 13, 10)); // the sheet going in
        p.setBrush(QColor(120, 130, 150));
        p.drawRoundedRect(QRectF(3.5, 12.5, 25, 11), 2, 2); // the printer
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8.5, 19.5, 15, 9)); // the printed sheet
        p.drawLine(QPointF(11, 23), QPointF(21, 23));
        p.drawLine(QPointF(11, 26), QPointF(19, 26));
        p.setBrush(QColor(90, 200, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(24.5, 16), 1.5, 1.5);
    });
}

QIcon exportPdf()
{
    return drawn(QStringLiteral("application-pdf"), [](QPainter& p) {
        QPainterPath page;
        page.moveTo(6.5, 2.5);
        page.lineTo(20, 2.5);
        page.lineTo(26.5, 9);
        page.lineTo(26.5, 29.5);
        page.lineTo(6.5, 29.5);
        page.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.drawLine(QPointF(20, 2.5), QPointF(20, 9));
        p.drawLine(QPointF(20, 9), QPointF(26.5, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawRect(QRectF(3, 14, 22, 10));
        QFont font;
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 14, 22, 10), Qt::AlignCenter, QStringLiteral("PDF"));
    });
}

QIcon closePeriod()
{
    return drawn(QStringLiteral("x-office-calendar"), [](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 4.5, 22, 21));
        p.setBrush(QColor(60, 110, 190));
        p.drawRect(QRectF(2.5, 4.5, 22, 6));
        p.setPen(QPen(kOutline, 1.2));
        for (qreal y : {15.0, 20.0})
            for (qreal x : {6.0, 11.0, 16.0})
                p.drawRect(QRectF(x, y, 2.5, 2.5));
        padlock(p, QRectF(17.5, 18.5, 12, 10));
    });
}

QIcon key()
{
    return drawn(QStringLiteral("dialog-password"), [](QPainter& p) {
        p.setBrush(QColor(230, 175, 40));
        QPainterPath key;
        key.addEllipse(QPointF(10, 16), 7, 7);
        key.addRect(QRectF(16, 14, 13, 4));
        key.addRect(QRectF(23, 18, 3, 5));
        key.addRect(QRectF(27, 18, 2, 4));
        p.drawPath(key.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8.5, 16), 2.2, 2.2);
    });
}

} // namespace Icons

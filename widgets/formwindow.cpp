#include "widgets/formwindow.h"

#include "core/store/database.h"
#include "widgets/dialogs.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

FormWindow::FormWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool FormWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        activated();
    return QWidget::event(event);
}

void FormWindow::usePointerOver(QWidget* widget)
{
    widget->setCursor(customPointer());
}

void FormWindow::closeWindow()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

QPushButton* FormWindow::makeButton(const char* name, const QString& caption, int minimumWidth)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(minimumWidth);
    return button;
}

bool FormWindow::requireDatabase()
{
    if (Database::isOpen())
        return true;
    showDatabaseNotOpen();
    return false;
}

QCursor customPointer()
{
    // A pointing hand drawn once: a 32 by 32 image with its hot spot at the finger tip.
    static const QCursor cursor = [] {
        QPixmap image(32, 32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath hand;
        hand.moveTo(10, 2);
        hand.lineTo(14, 2);
        hand.lineTo(14, 12);
        hand.lineTo(24, 14);
        hand.lineTo(26, 18);
        hand.lineTo(24, 28);
        hand.lineTo(12, 30);
        hand.lineTo(6, 20);
        hand.lineTo(10, 18);
        hand.closeSubpath();
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(255, 214, 90));
        painter.drawPath(hand);
        painter.end();
        return QCursor(image, 12, 2);
    }();
    return cursor;
}

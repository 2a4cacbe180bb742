#include "widgets/formwindow.h"

#include "core/store/database.h"
#include "widgets/childwindows.h"
#include "widgets/dialogs.h"

#include <QCloseEvent>
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
    // Inside the main window every child widget hears the frame's own activation too (a message box
    // closing, another program left): that is no return to this window. The child windows' area says
    // when one of them takes over from another.
    if (event->type() == QEvent::WindowActivate && isWindow())
        activated();
    return QWidget::event(event);
}

void FormWindow::usePointerOver(QWidget* widget)
{
    widget->setCursor(customPointer());
}

void FormWindow::switchPointerOver(const QList<QWidget*>& custom, const QList<QWidget*>& arrow)
{
    for (QWidget* widget : custom + arrow) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
    m_customPointerOver.append(QList<QObject*>(custom.cbegin(), custom.cend()));
    m_arrowPointerOver.append(QList<QObject*>(arrow.cbegin(), arrow.cend()));
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (m_customPointerOver.contains(watched))
            setCursor(customPointer());
        else if (m_arrowPointerOver.contains(watched))
            unsetCursor();
    }
    return QWidget::eventFilter(watched, event);
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && m_focusBackOnClose)
        ChildWindows::focusMainWindow();
}

void FormWindow::closeWindow()
{
    if (QMdiSubWindow* frame = ChildWindows::frameOf(this))
        frame->close();
    else
        close();
}

QPushButton* FormWindow::makeButton(const char* name, const QString& caption, int minimumWidth)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(true);
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

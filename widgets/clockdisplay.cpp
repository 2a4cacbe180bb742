#include "widgets/clockdisplay.h"

#include "core/clock.h"
#include "core/valueforms.h"

#include <QTimer>

ClockDisplay::ClockDisplay(QWidget* parent) : QLabel(parent), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("Label1"));
    setFont(QFont(QStringLiteral("Times New Roman"), 20, QFont::Bold));
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + 24);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ClockDisplay::tick);
}

void ClockDisplay::start()
{
    tick();
}

void ClockDisplay::tick()
{
    const QDateTime at = now();
    setText(ValueForms::showDateTime(at));
    // The next tick lands just after the next whole second, so the seconds never lag.
    m_timer->start(1000 - at.time().msec() + 5);
}

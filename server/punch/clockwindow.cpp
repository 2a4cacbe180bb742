#include "server/punch/clockwindow.h"

#include "core/clock.h"
#include "core/payroll/hourstonow.h"
#include "core/punch/punchrules.h"
#include "core/settings.h"
#include "core/valueforms.h"
#include "widgets/clockdisplay.h"
#include "widgets/dialogs.h"
#include "widgets/punchstation.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace {

// A clock face drawn in code, the window's decorative picture.
QPixmap clockPicture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(2, 2, size - 4, size - 4);
    p.setPen(QPen(QColor(30, 60, 120), 3));
    p.setBrush(QColor(235, 242, 252));
    p.drawEllipse(face);
    p.translate(face.center());
    for (int i = 0; i < 12; ++i) {
        p.drawLine(QPointF(0, -size * 0.40), QPointF(0, -size * 0.34));
        p.rotate(30);
    }
    p.setPen(QPen(QColor(30, 60, 120), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(0, -size * 0.24));
    p.drawLine(QPointF(0, 0), QPointF(size * 0.18, size * 0.08));
    return picture;
}

} // namespace

ClockWindow::ClockWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Qorvil Clock System"));

    m_close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), tr("Close this Window"), this);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    m_close->setAutoDefault(true); // Enter on the focused button presses it, as Space does
    connect(m_close, &QPushButton::clicked, this, &ClockWindow::closeWindow);

    const PunchStation station(this, clockPicture(64), {}, {m_close});
    // The pointer changes over the close button and stays changed until it passes over the ID frame.
    switchPointerOver({m_close}, {station.frame});
    m_clock = station.clock;
    m_id = station.id;
    m_name = station.name;
    m_action = station.action;
    m_hours = station.hours;
    connect(m_id, &QLineEdit::returnPressed, this, &ClockWindow::punch);
}

bool ClockWindow::load()
{
    if (!requireDatabase())
        return false;
    readShowHours();
    m_clock->start();
    return true;
}

void ClockWindow::readShowHours()
{
    m_showHours = Settings::value(Settings::kShowHoursAfterPunch) == QStringLiteral("1");
    if (!m_showHours)
        m_hours->clear();
    m_hours->setVisible(m_showHours);
}

void ClockWindow::activated()
{
    readShowHours(); // the administrator may have changed it meanwhile
    m_id->setFocus();
}

void ClockWindow::punch()
{
    const PunchResult result = Punch::recordFromClock(m_id->text());
    using Outcome = PunchResult::Outcome;
    switch (result.outcome) {
    case Outcome::NotFound:
    case Outcome::CaseOnly:
        dialogs().ok(tr("No Record Found That Match Your ID"), tr("Record Not Found"), Dialogs::Icon::Exclamation);
        break;
    case Outcome::SignedIn:
        PunchStation::showName(m_name, result.name);
        m_action->setText(tr("Signed In At ") + ValueForms::showTime(result.time));
        showHours(m_id->text());
        break;
    case Outcome::SignedOut:
        PunchStation::showName(m_name, result.name);
        m_action->setText(tr("Signed Out At ") + ValueForms::showTime(result.time));
        showHours(m_id->text());
        break;
    case Outcome::NoFreeSlot:
        PunchStation::showName(m_name, result.name);
        showHours(m_id->text());
        break;
    case Outcome::StoreFailed:
        // The ID stays in the box, so the employee can try again once the store is back.
        PunchStation::showName(m_name, result.name);
        dialogs().ok(tr("The punch was not recorded: ") + result.error +
                         tr("\nPlease try again or tell the administrator."),
                     tr("Punch Not Recorded"), Dialogs::Icon::Exclamation);
        return;
    }
    m_id->clear();
}

void ClockWindow::showHours(const QString& id)
{
    if (!m_showHours)
        return;
    // Hours that cannot be read leave the line empty; the punch itself is recorded either way.
    QString error;
    const std::optional<Pay::WorkedToNow> worked = Pay::workedToNow(id, now(), &error);
    m_hours->setText(worked ? Pay::workedText(ValueForms::showDuration(worked->todayMinutes),
                                              ValueForms::showDuration(worked->weekMinutes))
                            : QString());
}

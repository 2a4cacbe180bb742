#include "server/audit/payperiodwindows.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/payroll/payexceptions.h"
#include "core/payroll/payrules.h"
#include "core/valueforms.h"
#include "server/payroll/exceptionswindow.h"
#include "widgets/childwindows.h"
#include "widgets/datebox.h"
#include "widgets/dialogs.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// What is closed now, in words; false when it cannot be read (and the reason was shown).
bool describeClosed(QLabel* label)
{
    QDate through;
    QString error;
    if (!ClosedPeriods::closedThrough(&through, &error)) {
        showReadFailed(QCoreApplication::translate("ClosePeriodWindow", "The closed pay periods"), error);
        return false;
    }
    label->setText(through.isValid()
                       ? QCoreApplication::translate("ClosePeriodWindow", "Every day up to and including %1 is closed.")
                             .arg(ValueForms::showDate(through))
                       : QCoreApplication::translate("ClosePeriodWindow", "No pay period is closed."));
    return true;
}

QLabel* stateLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    return label;
}

void layOut(QWidget* window, QGroupBox* frame, QPushButton* action, QPushButton* cancel)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(action);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
}

} // namespace

ClosePeriodWindow::ClosePeriodWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Close Pay Period"));
    auto* frame = new QGroupBox(tr("Pay Period"), this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    m_state = stateLabel(frame);
    auto* caption = new QLabel(tr("Close every day up to and including"), frame);
    caption->setObjectName(QStringLiteral("Label2"));
    m_through = new DateBox(frame);
    m_through->setObjectName(QStringLiteral("DTPicker1"));
    m_through->setMinimumWidth(130);
    caption->setBuddy(m_through);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(m_state, 0, 0, 1, 2);
    grid->addWidget(caption, 1, 0);
    grid->addWidget(m_through, 1, 1);

    m_close = makeButton("PushButton1", tr("Close Period"), 110);
    QPushButton* cancel = makeButton("PushButton2", tr("Cancel"));
    connect(m_close, &QPushButton::clicked, this, &ClosePeriodWindow::closePeriod);
    connect(cancel, &QPushButton::clicked, this, &ClosePeriodWindow::closeWindow);
    layOut(this, frame, m_close, cancel);
    giveFocusBackOnClose();
}

bool ClosePeriodWindow::load()
{
    if (!requireDatabase() || !describeClosed(m_state))
        return false;
    // Today's records are still being punched: the latest day that can be closed is yesterday.
    m_through->setMaximumDate(today().addDays(-1));
    m_through->setDate(today().addDays(-1));
    // With a pay period set, the end of the last complete one is offered.
    Pay::Rules rules;
    QString why;
    if (Pay::load(&rules, &why))
        if (const auto period = Pay::lastCompletePeriod(rules, today()); period.second.isValid())
            m_through->setDate(period.second);
    return true;
}

void ClosePeriodWindow::activated()
{
    m_through->setFocus();
}

void ClosePeriodWindow::closePeriod()
{
    const QDate through = m_through->date();
    QString error;
    // A night shift still open would have its out punch refused on a closed day.
    std::vector<PayExceptions::Exception> open;
    if (!PayExceptions::openShifts(through, &open, &error)) {
        dialogs().ok(tr("The pay period was not closed: ") + error, tr("Close Pay Period"), Dialogs::Icon::Exclamation);
        return;
    }
    if (!open.empty()) {
        const PayExceptions::Exception& first = open.front();
        dialogs().ok(
            tr("%1 cannot be closed yet: the shift of employee %2 that began on %3 (%4) is "
               "still open, and its out punch belongs to that day. Close the days before it, "
               "or close once the shift has ended.")
                .arg(ValueForms::showDate(first.day), first.empId, ValueForms::showDate(first.day), first.detail),
            tr("Close Pay Period"), Dialogs::Icon::Exclamation);
        return;
    }
    // The days this close would close: those after the last close, up to the chosen one.
    QDate closed;
    PayExceptions::Request days{QDate(1, 1, 1), through, {}};
    if (ClosedPeriods::closedThrough(&closed, &error) && closed.isValid())
        days.from = closed.addDays(1);
    std::vector<PayExceptions::Exception> found;
    if (!PayExceptions::find(days, &found, &error)) {
        dialogs().ok(tr("The pay period was not closed: the exceptions could not be counted: ") + error,
                     tr("Close Pay Period"), Dialogs::Icon::Exclamation);
        return;
    }
    QString question = tr("Close every day up to and including %1? Time records of those days can "
                          "then no longer be added, changed or deleted.")
                           .arg(ValueForms::showDate(through));
    if (!found.empty())
        question += tr("\n\nThese days hold %1 that would be paid wrong (missing punches, impossible or "
                       "overlong pairs). Choose No to see them in the Exceptions window.")
                        .arg(found.size() == 1 ? tr("1 exception") : tr("%1 exceptions").arg(found.size()));
    if (!dialogs().yesNo(question, tr("Close Pay Period"))) {
        if (!found.empty()) {
            QDate earliest = through;
            for (const PayExceptions::Exception& e : found)
                earliest = std::min(earliest, e.day);
            if (auto* window = ChildWindows::open<ExceptionsWindow>(QStringLiteral("Exceptions")))
                window->choose({earliest, through, {}});
        }
        return;
    }
    QString message;
    const ClosedPeriods::Outcome outcome = Pay::closePeriod(through, &message);
    if (outcome != ClosedPeriods::Outcome::Done) {
        dialogs().ok(outcome == ClosedPeriods::Outcome::Refused ? message
                                                                : tr("The pay period was not closed: ") + message,
                     tr("Close Pay Period"), Dialogs::Icon::Exclamation);
        return;
    }
    dialogs().ok(message, ClosedPeriods::title(), Dialogs::Icon::Information);
    closeWindow();
}

ReopenPeriodWindow::ReopenPeriodWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Reopen Pay Period"));
    auto* frame = new QGroupBox(tr("Pay Period"), this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    m_state = stateLabel(frame);
    auto* caption = new QLabel(tr("Administrator Password"), frame);
    caption->setObjectName(QStringLiteral("Label2"));
    m_password = new QLineEdit(frame);
    m_password->setObjectName(QStringLiteral("Text1"));
    m_password->setEchoMode(QLineEdit::Password);
    // "*" for every character, as in the login window, whatever the style's own mask.
    m_password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    m_password->setMinimumWidth(180);
    caption->setBuddy(m_password);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(m_state, 0, 0, 1, 2);
    grid->addWidget(caption, 1, 0);
    grid->addWidget(m_password, 1, 1);

    m_reopen = makeButton("PushButton1", tr("Reopen"));
    QPushButton* cancel = makeButton("PushButton2", tr("Cancel"));
    connect(m_reopen, &QPushButton::clicked, this, &ReopenPeriodWindow::reopen);
    connect(cancel, &QPushButton::clicked, this, &ReopenPeriodWindow::closeWindow);
    // Enter in the password box moves on to "Reopen"; reopening is always a deliberate second step.
    connect(m_password, &QLineEdit::returnPressed, m_reopen, [this] { m_reopen->setFocus(); });
    layOut(this, frame, m_reopen, cancel);
    giveFocusBackOnClose();
}

bool ReopenPeriodWindow::load()
{
    return requireDatabase() && describeClosed(m_state);
}

void ReopenPeriodWindow::activated()
{
    // Whoever comes back to this window types the password again.
    m_password->clear();
    m_password->setFocus();
}

void ReopenPeriodWindow::reopen()
{
    QDate through;
    QString message;
    const ClosedPeriods::Outcome outcome = ClosedPeriods::reopen(m_password->text(), &through, &message);
    m_password->clear();
    if (outcome != ClosedPeriods::Outcome::Done) {
        dialogs().ok(outcome == ClosedPeriods::Outcome::Refused ? message
                                                                : tr("The pay period was not reopened: ") + message,
                     tr("Reopen Pay Period"), Dialogs::Icon::Exclamation);
        m_password->setFocus();
        return;
    }
    dialogs().ok(message, tr("Reopen Pay Period"), Dialogs::Icon::Information);
    closeWindow();
}

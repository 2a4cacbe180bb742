#include "server/punch/clockwindow.h"

#include "common/clockdisplay.h"
#include "common/dialogs.h"
#include "common/valueforms.h"
#include "server/punch/punchrules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

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
    setWindowTitle(QStringLiteral("Qorvil Clock System"));

    m_clock = new ClockDisplay(this);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(clockPicture(64));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* idCaption = new QLabel(QStringLiteral("Employee ID"), frame);
    idCaption->setObjectName(QStringLiteral("Label2"));
    m_id = new QLineEdit(frame);
    m_id->setObjectName(QStringLiteral("Text1"));
    connect(m_id, &QLineEdit::returnPressed, this, &ClockWindow::punch);
    auto* nameCaption = new QLabel(QStringLiteral("Name "), frame);
    nameCaption->setObjectName(QStringLiteral("Label3"));
    m_name = new QLabel(frame);
    m_name->setObjectName(QStringLiteral("Label5"));
    auto* actionCaption = new QLabel(QStringLiteral("Action "), frame);
    actionCaption->setObjectName(QStringLiteral("Label4"));
    m_action = new QLabel(frame);
    m_action->setObjectName(QStringLiteral("Label6"));
    for (QLabel* display : {m_name, m_action}) {
        QFont bold = display->font();
        bold.setBold(true);
        display->setFont(bold);
        display->setMinimumWidth(260);
    }

    auto* grid = new QGridLayout(frame);
    grid->addWidget(idCaption, 0, 0);
    grid->addWidget(m_id, 0, 1);
    grid->addWidget(nameCaption, 1, 0);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(actionCaption, 2, 0);
    grid->addWidget(m_action, 2, 1);

    m_close =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close this Window"), this);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    m_close->setAutoDefault(false);
    usePointerOver(m_close);
    connect(m_close, &QPushButton::clicked, this, &ClockWindow::closeWindow);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(m_clock, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(frame);
    layout->addLayout(bottom);
}

bool ClockWindow::load()
{
    if (!requireDatabase())
        return false;
    m_employees.open(QStringLiteral("Select * from employee"));
    m_clock->start();
    return true;
}

void ClockWindow::activated()
{
    m_id->setFocus();
}

void ClockWindow::punch()
{
    const PunchResult result = Punch::recordFromLoadedEmployees(m_employees, m_id->text());
    using Outcome = PunchResult::Outcome;
    switch (result.outcome) {
    case Outcome::NotFound:
    case Outcome::CaseOnly:
        dialogs().ok(QStringLiteral("No Record Found That Match Your ID"), QStringLiteral("Record Not Found"),
                     Dialogs::Icon::Exclamation);
        break;
    case Outcome::SignedIn:
        m_name->setText(result.name);
        m_action->setText(QStringLiteral("Signed In At ") + ValueForms::showTime(result.time));
        break;
    case Outcome::SignedOut:
        m_name->setText(result.name);
        m_action->setText(QStringLiteral("Signed Out At ") + ValueForms::showTime(result.time));
        break;
    case Outcome::NoFreeSlot:
        m_name->setText(result.name);
        break;
    case Outcome::StoreFailed:
        // The ID stays in the box, so the employee can try again once the store is back.
        m_name->setText(result.name);
        dialogs().ok(QStringLiteral("The punch was not recorded: ") + result.error +
                         QStringLiteral("\nPlease try again or tell the administrator."),
                     QStringLiteral("Punch Not Recorded"), Dialogs::Icon::Exclamation);
        return;
    }
    m_id->clear();
}

#include "widgets/punchstation.h"

#include "widgets/clockdisplay.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLabel* caption(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

PunchStation::PunchStation(QWidget* window, const QPixmap& picture, const QList<QPushButton*>& leftButtons,
                           const QList<QPushButton*>& rightButtons)
{
    clock = new ClockDisplay(window);
    QLabel* pictureBox = caption(QString(), "Picture1", window);
    pictureBox->setPixmap(picture);

    frame = new QGroupBox(window);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    id = new QLineEdit(frame);
    id->setObjectName(QStringLiteral("Text1"));
    name = caption(QString(), "Label5", frame);
    action = caption(QString(), "Label6", frame);
    for (QLabel* display : {name, action}) {
        QFont bold = display->font();
        bold.setBold(true);
        display->setFont(bold);
        display->setMinimumWidth(260);
    }

    auto* grid = new QGridLayout(frame);
    grid->addWidget(caption(QCoreApplication::translate("PunchStation", "Employee ID"), "Label2", frame), 0, 0);
    grid->addWidget(id, 0, 1);
    grid->addWidget(caption(QCoreApplication::translate("PunchStation", "Name "), "Label3", frame), 1, 0);
    grid->addWidget(name, 1, 1);
    grid->addWidget(caption(QCoreApplication::translate("PunchStation", "Action "), "Label4", frame), 2, 0);
    grid->addWidget(action, 2, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(pictureBox);
    top->addWidget(clock, 1);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* button : leftButtons)
        bottom->addWidget(button);
    bottom->addStretch();
    for (QPushButton* button : rightButtons)
        bottom->addWidget(button);
    hours = caption(QString(), "Hours", window);
    hours->hide();
    auto* layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addWidget(frame);
    layout->addLayout(bottom);
    layout->addWidget(hours);
}

void PunchStation::showName(QLabel* display, const QString& name)
{
    const int room = std::max(display->width(), display->minimumWidth());
    const QString shown = display->fontMetrics().elidedText(name, Qt::ElideRight, room);
    display->setText(shown);
    display->setToolTip(shown == name ? QString() : name);
}

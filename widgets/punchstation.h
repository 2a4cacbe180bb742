#pragma once

#include <QList>
#include <QString>

class ClockDisplay;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QWidget;

// The face both punch stations share, built onto their window: the picture and the clock display on
// top, the ID frame with the name and action displays, and a row with the window's own buttons (the
// left ones at the left edge, the right ones at the right edge), and the hours line below them.
struct PunchStation
{
    PunchStation(QWidget* window, const QPixmap& picture, const QList<QPushButton*>& leftButtons,
                 const QList<QPushButton*>& rightButtons);

    // Shows an employee's name in the name display: one too long for it ends in an ellipsis, and its tool tip
    // holds it whole.
    static void showName(QLabel* display, const QString& name);

    ClockDisplay* clock;
    QGroupBox* frame; // around the ID entry
    QLineEdit* id;
    QLabel* name;
    QLabel* action;
    // The line below the described controls with the employee's hours after a punch; hidden unless the
    // window shows hours.
    QLabel* hours;
};

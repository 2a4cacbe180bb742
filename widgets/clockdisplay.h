#pragma once

#include <QLabel>

class QTimer;

// The big date-and-time display of the punch stations, kept to the second by its timer "Timer1".
class ClockDisplay : public QLabel
{
    Q_OBJECT
public:
    explicit ClockDisplay(QWidget* parent = nullptr);

    // Shows the current time and keeps it current from now on.
    void start();

private:
    void tick();

    QTimer* m_timer;
};

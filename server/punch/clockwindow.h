#pragma once

#include "widgets/formwindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class ClockDisplay;

// The server's own punch station: an ID typed and confirmed with Enter records a punch.
class ClockWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit ClockWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    void punch();
    void showHours(const QString& id);
    void readShowHours();

    ClockDisplay* m_clock;
    QLineEdit* m_id;
    QLabel* m_name;
    QLabel* m_action;
    QLabel* m_hours;
    bool m_showHours = false; // "Show hours after a punch", read at load
    QPushButton* m_close;
};

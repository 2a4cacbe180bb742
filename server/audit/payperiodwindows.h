#pragma once

#include "widgets/formwindow.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// "Close Pay Period": closes every day up to a chosen date, after a confirmation that names it.
class ClosePeriodWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit ClosePeriodWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    void closePeriod();

private:
    QLabel* m_state;
    QDateEdit* m_through;
    QPushButton* m_close;
};

// "Reopen Pay Period": opens again the days of the latest close, with the administrator password.
class ReopenPeriodWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit ReopenPeriodWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    void reopen();

private:
    QLabel* m_state;
    QLineEdit* m_password;
    QPushButton* m_reopen;
};

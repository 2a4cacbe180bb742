#pragma once

#include "core/payroll/payexceptions.h"
#include "widgets/formwindow.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Exceptions": the time records of the chosen days that would be paid wrong, by employee and day; a
// double-click opens the row in the time record editor. Read again whenever the window comes to the front,
// so a correction drops off the list at once.
class ExceptionsWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit ExceptionsWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    // The days and employees to check (every employee when the list is empty), then the check.
    void choose(const PayExceptions::Request& request);
    void showExceptions();
    // Opens the time record editor on the row of a listed exception.
    void editRow(QTreeWidgetItem* item);

    const std::vector<PayExceptions::Exception>& shown() const { return m_found; }

private:
    PayExceptions::Request m_request;
    std::vector<PayExceptions::Exception> m_found;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QLabel* m_whose;
    QTreeWidget* m_list;
    QLabel* m_count;
};

#pragma once

#include "core/store/recordset.h"
#include "widgets/formwindow.h"

#include <QDate>

class QDateEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The timesheet browser: one employee's daily time rows over a date range, to delete a row or hand it
// (or nothing) to the time record editor.
class TimesheetBrowser : public FormWindow
{
    Q_OBJECT
public:
    explicit TimesheetBrowser(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    // "Last, First Middle", an absent name part counting as empty text.
    static QString employeeName(const RecordSet& employee);
    // The employee's rows from one day to another, both included.
    static bool openTimeRows(RecordSet& rows, const QString& empId, const QDate& from, const QDate& to);

private:
    void chooseEmployee(QTreeWidgetItem* item);
    void listTimes(const QString& id, const QDate& from, const QDate& to);
    void refreshTimes();
    void addRecord();
    void editRecord();
    void deleteRecord();
    bool haveSelection();

    RecordSet m_employees;
    RecordSet m_times;
    QString m_listedId; // the employee and the days whose rows the time list shows
    QDate m_listedFrom;
    QDate m_listedTo;
    QTreeWidget* m_empList;
    QTreeWidget* m_timeList;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_close;
};

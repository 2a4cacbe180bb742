#pragma once

#include "core/payroll/payexceptions.h"
#include "core/payroll/payrollreports.h"
#include "core/store/recordset.h"
#include "widgets/formwindow.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

// "Payroll Report": choose the period and the employees, then run the full detail or the summary report.
class PayrollWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit PayrollWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    // What the two reports read from the window: the dates, the list's checks, names and IDs.
    Payroll::Request request() const;

    void fullDetailReport();
    void summaryReport();
    // The Exceptions window for the chosen days and the checked employees (every employee when none is).
    void showExceptions();
    // The checked employees' hours, or everyone's with hours when none is checked.
    void exportForPayroll();

private:
    void markAll(bool checked);
    template <class R> void showReport(const R& report);
    void reportFailed(const QString& report, const QString& error);
    void readClosedPeriods();
    void showOpenPeriod();
    PayExceptions::Request exceptionsRequest() const;
    void countExceptions();

    RecordSet m_employees; // kept for the window's life, as read at load
    QTreeWidget* m_list;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QCheckBox* m_markAll;
    QPushButton* m_detail;
    QPushButton* m_summary;
    QPushButton* m_exceptions;
    QLabel* m_exceptionCount;
    QTimer* m_countLater;
    bool m_loaded = false;
    QPushButton* m_export;
    QLabel* m_openPeriod;
    QLabel* m_siteLabel;
    QComboBox* m_site;
    QDate m_closedThrough; // the last closed day; invalid when none is
    bool m_closedRead = false;
    Pay::Rules m_rules; // read when the window opens and comes to the front
};

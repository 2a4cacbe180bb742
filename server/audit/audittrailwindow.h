#pragma once

#include "core/audit/audittrail.h"
#include "widgets/formwindow.h"

class AuditTrailModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

// "Audit Trail": who changed which time and employee records, and when, with the old and the new values side
// by side; of every employee or one, over a range of days, newest first. Exports the same as CSV.
class AuditTrailWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit AuditTrailWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;
    QSize sizeHint() const override;

    // The choice in the filter boxes: an employee picked from the list, an ID typed, or all employees.
    AuditTrail::Filter chosenFilter() const;
    AuditTrailModel* model() const { return m_model; }

    void showChanges();
    void exportCsv();

private:
    void listShown();
    void showCount();
    void showChain();

    AuditTrailModel* m_model;
    QComboBox* m_employee;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QPushButton* m_show;
    QTableView* m_list;
    QLabel* m_count;
    QLabel* m_chain;
    QPushButton* m_export;
    QPushButton* m_close;
    bool m_loadedNow = false;
    int m_width = 0; // of the list's columns as first shown
};

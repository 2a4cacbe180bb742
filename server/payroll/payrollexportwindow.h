#pragma once

#include "core/payroll/payrollexport.h"
#include "widgets/formwindow.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

// "Payroll Export": what the payroll services need before they take Qorvil's hours: each employee's payroll ID,
// the company and client codes, and the codes of the hour types per layout. Saved together with Save.
class PayrollExportWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit PayrollExportWindow(QWidget* parent = nullptr);

    bool load() override;
    QSize sizeHint() const override;
    void save();

private:
    bool readEmployees();
    void fillCodes();

    PayrollExport::Settings m_settings;
    QComboBox* m_layout;
    QHash<QString, QLineEdit*> m_boxes; // by setting name
    QTableWidget* m_codes;
    QTableWidget* m_employees;
    QStringList m_kinds;             // kinds of paid time off the database has seen
    QHash<int, QString> m_storedIds; // payroll ID as read, by grid row
};

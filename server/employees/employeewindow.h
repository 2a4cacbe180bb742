#pragma once

#include "core/employees/employeerecord.h"
#include "core/store/recordset.h"
#include "widgets/formwindow.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Employee Form/Records": one employee at a time, the one place where employees are created and changed.
// Opens on the employee whose ID gEmpID holds, or on none.
class EmployeeWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit EmployeeWindow(QWidget* parent = nullptr);

    bool load() override;

    // Makes every box read-only (true) or editable (false); the "Active" box is enabled exactly when editable.
    void LockFields(bool lock);
    // The search window enables "Edit" once it has handed an employee over.
    void allowEdit();
    // Shows that employee (the search window's choice while this window is open). Changes typed and not yet
    // stored are left only when the administrator agrees.
    void showEmployee(const QString& empId);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void addNew();
    void save();
    void editOrUpdate();
    void search();

    EmployeeRecord::Fields fields() const;
    void showFields(const EmployeeRecord::Fields& fields);
    void clearFields();
    void storeRefused(const QString& action, const QString& why);
    // "ID (first last)" for the status bar.
    static QString describe(const EmployeeRecord::Fields& fields);

    RecordSet m_employees;
    bool m_editing = false;

    QTabWidget* m_tabs;
    QLineEdit* m_id;
    QLineEdit* m_lastName;
    QLineEdit* m_firstName;
    QLineEdit* m_middleName;
    QComboBox* m_sex;
    QLineEdit* m_birthDate;
    QLineEdit* m_apartment;
    QLineEdit* m_address;
    QLineEdit* m_city;
    QLineEdit* m_state;
    QLineEdit* m_zip;
    QLineEdit* m_homePhone;
    QLineEdit* m_workPhone;
    QLineEdit* m_mobilePhone;
    QLineEdit* m_socialSecurity;
    QPlainTextEdit* m_jobDescription;
    QLineEdit* m_regularWage;
    QLineEdit* m_overtimeWage;
    QLineEdit* m_dateHired;
    QCheckBox* m_active;
    QPlainTextEdit* m_notes;
    QList<QLineEdit*> m_lineBoxes;

    QPushButton* m_addNew;
    QPushButton* m_save;
    QPushButton* m_edit;
    QPushButton* m_search;
    QPushButton* m_close;
};

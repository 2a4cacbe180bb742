#pragma once

#include "core/payroll/payrules.h"
#include "widgets/formwindow.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTreeWidget;

// The pay rules: overtime, double time, rounding, meal deduction, holidays, pay period, exempt employees
// (stored together by Save, each change recorded in the audit trail), and the paid time off of each employee
// (stored as each entry is added or removed).
class PayRulesWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit PayRulesWindow(QWidget* parent = nullptr);

    bool load() override;

private:
    QWidget* rulesPage();
    QWidget* holidaysPage();
    QWidget* employeesPage();
    QWidget* timeOffPage();
    void show(const Pay::Rules& rules);
    Pay::Rules shown() const;
    void updateEnabled();
    void save();
    void addHoliday();
    void removeHoliday();
    bool readTimeOff();
    void addTimeOff();
    void removeTimeOff();

    Pay::Rules m_stored;
    QComboBox* m_overtime;
    QDoubleSpinBox* m_dailyAfter;
    QDoubleSpinBox* m_weeklyAfter;
    QComboBox* m_weekStart;
    QCheckBox* m_double;
    QDoubleSpinBox* m_doubleAfter;
    QDoubleSpinBox* m_doubleRate;
    QComboBox* m_rounding;
    QCheckBox* m_meal;
    QSpinBox* m_mealMinutes;
    QDoubleSpinBox* m_mealAfter;
    QComboBox* m_holidayPay;
    QDoubleSpinBox* m_holidayRate;
    QComboBox* m_period;
    QDateEdit* m_periodStart;
    QDoubleSpinBox* m_nightShift;
    QDoubleSpinBox* m_longPair;
    QTreeWidget* m_holidays;
    QDateEdit* m_holidayDay;
    QLineEdit* m_holidayName;
    QTreeWidget* m_employees;
    QTreeWidget* m_timeOff;
    QComboBox* m_timeOffEmployee;
    QDateEdit* m_timeOffDay;
    QDoubleSpinBox* m_timeOffHours;
    QComboBox* m_timeOffKind;
    QLabel* m_status;
};

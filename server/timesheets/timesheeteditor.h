#pragma once

#include "core/timesheets/timesheetcursor.h"
#include "widgets/formwindow.h"

#include <QVariantHash>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// The time record editor: one row of the whole timesheet table at a time, to step through, correct, add,
// delete and look up by employee ID and date. It opens on the row handed over in gEmpID and gRecDate.
class TimesheetEditor : public FormWindow
{
    Q_OBJECT
public:
    explicit TimesheetEditor(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

    // Locks or unlocks all eight fields together.
    void LockFields(bool locked);

    // Shows the record of that employee and date (the browser's Edit while the editor is open). Changes typed
    // and not yet stored are left only when the administrator agrees.
    void showRecord(const QString& empId, const QString& shownDate);

    bool isEditing() const { return m_editing; }
    bool isSearching() const { return m_searching; }
    const TimesheetCursor& records() const { return m_records; }

private:
    enum Field { In1, Out1, In2, Out2, In3, Out3, EmpID, RDate, FieldCount };

    void showRow();
    // Whether the current row's day lies in a closed pay period (then `through` is its last day); the line
    // under the fields says so.
    bool currentDayClosed(QDate* through = nullptr) const;
    void showClosedLine();
    // Refuses a change of the current row at once when its day is closed; true when it did.
    bool refuseClosedDay(const QString& notDone);
    void leaveEditing();
    void next();
    void previous();
    void newRecord();
    void save();
    void editOrUpdate();
    void deleteRecord();
    void searchOrFetch();

    // The columns to write from the fields (of a new row, or of the current row), blanks filled by the rules
    // for empty fields; or false after telling the user which field cannot be read.
    bool valuesFromFields(QVariantHash* values, bool newRow, const QString& notDone);
    // Says why a write was refused ("Saved", "Updated", "Deleted"): a closed pay period, or the store.
    void writeRefused(const QString& done, const QString& notDone);
    void moveOnFrom(Field field);

    TimesheetCursor m_records;
    std::array<QLineEdit*, FieldCount> m_fields{};
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_new;
    QPushButton* m_save;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_search;
    QLabel* m_closedLine;
    bool m_editing = false;
    bool m_searching = false;
};

#pragma once

#include "core/store/recordset.h"
#include "widgets/formwindow.h"

class QPushButton;
class QTableView;
class RecordSetModel;

// "Employee Table": every employee's personal data as one grid that shares its current line with the
// "Previous"/"Next" buttons. A snapshot taken when the window opens.
class EmpTableWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit EmpTableWindow(QWidget* parent = nullptr);

    bool load() override;

    // The grid's query: the personal columns under their headings, in the table's own order.
    static QString query();

    const RecordSet& records() const { return m_employees; }

    QSize sizeHint() const override;

private:
    void previous();
    void next();
    void showCurrentLine();
    void lineChosen(const QModelIndex& current);

    RecordSet m_employees;
    RecordSetModel* m_model;
    QTableView* m_grid;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_close;
    int m_width = 0;          // of all columns side by side
    bool m_following = false; // set while the grid is moved to the record set's row, not by the user
};

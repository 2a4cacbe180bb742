#pragma once

#include "core/store/recordset.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

// The whole timesheet table as the time record editor walks it, row by row in table order.
//
// Five years of punches for a large staff are tens of millions of rows, too many to read, or even to list
// the ids of, each time the editor opens. So the open only notes the last row id there is, which fixes the
// set of rows and their order like a snapshot (rows that punches add later have higher ids and are not in
// it), and each move reads the one row it lands on, found by its id. A row deleted meanwhile is passed over
// as if it had been deleted here. Rows this editor adds follow the others, in the order they were added.
// (Ids are reused only after the rows with the highest ids are deleted; a row added elsewhere with such an
// id joins the set.)
class TimesheetCursor
{
public:
    bool open();
    bool isOpen() const { return m_open; }

    // The rows of the set that are there now; counts them in the store, so it takes a moment on a large table.
    int recordCount() const;
    bool bof() const { return m_where == Where::BeforeFirst || isEmpty(); }
    bool eof() const { return m_where == Where::AfterLast || isEmpty(); }
    // True while the position is on a row that is still there (not after a delete, not at either end).
    bool hasCurrent() const { return m_loaded && (m_where == Where::Table || m_where == Where::Added); }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void moveToEnd() { setPlace(Where::AfterLast); }

    // A column of the current row; Null when there is none.
    QVariant value(const QString& column) const;

    // From the first row, the first one whose emp_id equals the ID and whose date, in its shown text form,
    // equals the text; both exact, character for character. Positions on it, or after the last row.
    bool findFirst(const QString& empId, const QString& shownDate);

    // Writes the values (column -> value) into the current row, or adds a row with them at the end of the
    // set, which becomes current. Unreadable text is refused by the store, and a row of a closed pay period
    // (before or after the change) by the rules: false, lastError(), nothing written.
    bool updateCurrent(const QVariantHash& values);
    bool addRow(const QVariantHash& values);
    // Deletes the current row; the position stays on its place until the next move.
    bool deleteCurrent();

    QString lastError() const { return m_error; }
    // Whether the last refused write was refused because its day is in a closed pay period.
    bool refusedAsClosed() const { return m_closed; }

private:
    // Where the position is: among the rows that were there at open (by id), among the added ones (by index).
    enum class Where { BeforeFirst, Table, Added, AfterLast };

    void setPlace(Where where, qint64 id = 0, int added = -1);
    bool isEmpty() const;
    void step(int direction);
    // The next or previous row of the table part from the id on; false when there is none (or on failure).
    bool stepTable(int direction, qint64 from);
    bool stepAdded(int direction, int from);
    bool loadAdded(int index);
    bool isAddedId(qint64 id) const;
    bool fail(const QString& error);
    static bool write(RecordSet& row, const QVariantHash& values, QString* error);
    // Runs a write of rows of these days under the closed-period rule.
    bool change(const QVariantList& days, const std::function<bool(QString* error)>& write);
    void reloadAfterUndone();

    struct Added
    {
        qint64 id = 0;
        bool deleted = false;
    };

    bool m_open = false;
    qint64 m_lastAtOpen = 0; // the highest row id at open: the table part holds the rows up to it
    std::vector<Added> m_added;
    Where m_where = Where::BeforeFirst;
    qint64 m_id = 0;       // the table row the position is on (or was on, before its delete)
    int m_index = -1;      // the added row the position is on
    bool m_loaded = false; // m_row holds the row of the position
    RecordSet m_row;
    QString m_error;
    bool m_closed = false;
};

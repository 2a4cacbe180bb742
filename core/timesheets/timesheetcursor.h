#pragma once

#include "core/store/recordset.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

// The whole timesheet table as the time record editor walks it, row by row in table order.
//
// A year of punches for a few hundred employees is a hundred thousand rows, too many to read whole each
// time the editor opens. So only the row ids are read at open, which fixes the set of rows and their order
// like a snapshot (rows added later by punches are not in it); the columns of a row are read when it
// becomes current. A row that vanished in the meantime is passed over as if it had been deleted here.
class TimesheetCursor
{
public:
    bool open();
    bool isOpen() const { return m_open; }

    int recordCount() const { return m_live; }
    bool bof() const { return m_live == 0 || m_pos < 0; }
    bool eof() const { return m_live == 0 || m_pos >= int(m_ids.size()); }
    // True while the position is on a row that is still there (not after a delete, not at either end).
    bool hasCurrent() const;

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void moveToEnd() { m_pos = int(m_ids.size()); }

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
    bool load(int pos);
    void step(int direction);
    bool fail(const QString& error);
    static bool write(RecordSet& row, const QVariantHash& values, QString* error);
    // The position of a row id in the set (the latest one added, should the store have reused the id), or -1.
    int positionOf(qint64 id) const;
    // Runs a write of rows of these days under the closed-period rule.
    bool change(const QVariantList& days, const std::function<bool(QString* error)>& write);
    void reloadAfterUndone();

    bool m_open = false;
    std::vector<qint64> m_ids;
    std::vector<char> m_deleted;
    std::size_t m_readAtOpen = 0; // m_ids[0, m_readAtOpen) came from the table in id order, so sorted
    int m_live = 0;
    int m_pos = 0;     // -1 before the first row, m_ids.size() after the last
    int m_loaded = -1; // the position whose columns m_row holds
    RecordSet m_row;
    QString m_error;
    bool m_closed = false;
};

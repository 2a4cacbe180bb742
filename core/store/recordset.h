#pragma once

#include "core/store/database.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <vector>

// A static snapshot of the rows a query selects, with a current row, in the manner every window uses:
// the rows are read when the set opens; rows others add later are not in it. A set opened with the table its
// rows belong to writes them: straight to that table by the row's id, one short transaction each, and a failed
// write changes nothing. A set opened without one is read-only and refuses every write.
//
// Column names are matched without regard to letter case. Values read in their column's type: dates as
// QDate, times of day as QTime, numbers as double or qlonglong, text as QString, Null as a null QVariant.
// Values written are converted to the column's type; text the store cannot read is refused.
class RecordSet
{
public:
    explicit RecordSet(const QSqlDatabase& db = gConn);

    // Runs the query with the bound values and positions on the first row (EOF when there is none).
    [[nodiscard]] bool open(const QString& sql, const QVariantList& binds = {});
    // The same, for rows of the table (selected with its id column) that update() and deleteCurrent() write.
    [[nodiscard]] bool openWritable(const QString& table, const QString& sql, const QVariantList& binds = {});
    bool isOpen() const { return m_open; }
    void close();

    int recordCount() const { return m_live; }
    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // Position among the live rows, 0-based; -1 before the first, recordCount() after the last.
    int absolutePosition() const;
    void setAbsolutePosition(int position);

    QStringList columns() const { return m_columns; }
    bool hasColumn(const QString& column) const { return m_index.contains(column.toLower()); }

    // The current row's value, with a pending change or a row being added taken into account.
    QVariant value(const QString& column) const;
    // A value of a live row by position, for lists and grids.
    QVariant valueAt(int position, const QString& column) const;
    // Sets a value of the current row (or of the row being added); stored by update(). A value that cannot be
    // set (no such column, no current row) makes the next update() fail with the reason, so it is never lost
    // unnoticed.
    bool setValue(const QString& column, const QVariant& value);

    void addNew();
    bool isAdding() const { return m_adding; }
    // Stores the row being added or the changes to the current row.
    [[nodiscard]] bool update();
    void cancelUpdate();
    // Deletes the current row only; the position stays on it until the next move.
    [[nodiscard]] bool deleteCurrent();

    // From the current row forward, the first row whose column equals the value (read in the column's type;
    // text compared case-blind). Positions on it and returns true, or goes to EOF and returns false.
    [[nodiscard]] bool find(const QString& column, const QVariant& value);

    QString lastError() const { return m_error; }
    // The table the set writes; empty for a read-only set.
    QString table() const { return m_table; }

    // Converts a value to the form the store keeps for a column's declared type, or explains why it cannot.
    static bool toStored(const QString& declaredType, const QVariant& value, QVariant* stored, QString* error,
                         const QString& column = QString());
    // Reads a stored value back in its column's declared type.
    static QVariant fromStored(const QString& declaredType, const QVariant& stored);

private:
    struct Row
    {
        QVariantList values;
        bool deleted = false;
    };

    int columnIndex(const QString& column) const;
    bool onRow() const;
    bool fail(const QString& error);
    int liveIndexOf(int rowIndex) const;

    QSqlDatabase m_db;
    bool m_open = false;
    QString m_table;
    QStringList m_columns;
    QStringList m_types;
    QHash<QString, int> m_index;
    std::vector<Row> m_rows;
    int m_live = 0;
    int m_pos = 0; // index into m_rows; -1 is BOF, m_rows.size() is EOF
    bool m_adding = false;
    QHash<int, QVariant> m_pending; // column index -> value written since the last update
    QString m_setError;             // why a value since the last update could not be set
    QString m_error;
};

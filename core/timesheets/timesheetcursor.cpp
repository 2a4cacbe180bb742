#include "core/timesheets/timesheetcursor.h"

#include "core/audit/closedperiods.h"
#include "core/store/query.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace {

const QString kTable = QStringLiteral("timesheet");
const QString kRowSql = QStringLiteral("Select * from TimeSheet where id = ?");
// One row each, found by the primary key however large the table is.
const QString kNextSql = QStringLiteral("Select * from TimeSheet where id > ? and id <= ? order by id limit 1");
const QString kPreviousSql = QStringLiteral("Select * from TimeSheet where id < ? order by id desc limit 1");

} // namespace

bool TimesheetCursor::fail(const QString& error)
{
    m_error = error;
    return false;
}

void TimesheetCursor::setPlace(Where where, qint64 id, int added)
{
    m_where = where;
    m_id = id;
    m_index = added;
    m_loaded = false;
}

bool TimesheetCursor::open()
{
    m_open = false;
    m_added.clear();
    m_row.close();
    setPlace(Where::BeforeFirst);
    m_error.clear();
    if (!Database::isOpen())
        return fail(QCoreApplication::translate("TimesheetCursor", "The database is not open."));

    Query last;
    if (!last.exec(QStringLiteral("Select max(id) from TimeSheet")))
        return fail(last.error());
    m_lastAtOpen = last.next() && !last.isNull(0) ? last.value(0).toLongLong() : 0;
    if (!last.error().isEmpty())
        return fail(last.error());
    m_open = true;
    step(+1);
    return m_error.isEmpty();
}

int TimesheetCursor::recordCount() const
{
    if (!m_open)
        return 0;
    Query count;
    if (!count.exec(QStringLiteral("Select count(*) from TimeSheet where id <= ?"), {m_lastAtOpen}) || !count.next())
        return 0;
    qint64 rows = count.value(0).toLongLong();
    // Added rows above the last id at open; those at or below it are in the count already.
    for (const Added& added : m_added) {
        if (added.deleted || added.id <= m_lastAtOpen)
            continue;
        Query there;
        if (there.exec(kRowSql, {added.id}) && there.next())
            ++rows;
    }
    return int(rows);
}

bool TimesheetCursor::isEmpty() const
{
    if (!m_open)
        return true;
    if (hasCurrent())
        return false;
    Query any;
    if (any.exec(QStringLiteral("Select id from TimeSheet where id <= ? limit 1"), {m_lastAtOpen}) && any.next())
        return false;
    return std::none_of(m_added.cbegin(), m_added.cend(), [](const Added& added) { return !added.deleted; });
}

bool TimesheetCursor::isAddedId(qint64 id) const
{
    return std::any_of(m_added.cbegin(), m_added.cend(), [id](const Added& added) { return added.id == id; });
}

bool TimesheetCursor::stepTable(int direction, qint64 from)
{
    for (;;) {
        const bool opened = direction > 0 ? m_row.openWritable(kTable, kNextSql, {from, m_lastAtOpen})
                                          : m_row.openWritable(kTable, kPreviousSql, {from});
        if (!opened)
            return fail(m_row.lastError());
        if (m_row.recordCount() == 0)
            return false;
        const qint64 id = m_row.value(QStringLiteral("id")).toLongLong();
        // A row this editor added with a reused id has its place among the added ones.
        if (!isAddedId(id)) {
            setPlace(Where::Table, id);
            m_loaded = true;
            return true;
        }
        from = id;
    }
}

bool TimesheetCursor::loadAdded(int index)
{
    Added& added = m_added[std::size_t(index)];
    if (added.deleted)
        return false;
    if (!m_row.openWritable(kTable, kRowSql, {added.id}))
        return fail(m_row.lastError());
    if (m_row.recordCount() == 0) {
        added.deleted = true; // deleted elsewhere since it was added here
        return false;
    }
    setPlace(Where::Added, 0, index);
    m_loaded = true;
    return true;
}

bool TimesheetCursor::stepAdded(int direction, int from)
{
    for (int i = from; i >= 0 && i < int(m_added.size()); i += direction) {
        if (loadAdded(i))
            return true;
        if (!m_error.isEmpty())
            return false;
    }
    return false;
}

void TimesheetCursor::step(int direction)
{
    m_error.clear();
    m_loaded = false;
    if (!m_open)
        return;
    if (direction > 0) {
        switch (m_where) {
        case Where::AfterLast:
            return;
        case Where::BeforeFirst:
        case Where::Table:
            if (stepTable(+1, m_where == Where::Table ? m_id : std::numeric_limits<qint64>::min()) ||
                !m_error.isEmpty())
                return;
            if (stepAdded(+1, 0) || !m_error.isEmpty())
                return;
            break;
        case Where::Added:
            if (stepAdded(+1, m_index + 1) || !m_error.isEmpty())
                return;
            break;
        }
        setPlace(Where::AfterLast);
        return;
    }
    switch (m_where) {
    case Where::BeforeFirst:
        return;
    case Where::AfterLast:
    case Where::Added:
        if (stepAdded(-1, m_where == Where::Added ? m_index - 1 : int(m_added.size()) - 1) || !m_error.isEmpty())
            return;
        if (stepTable(-1, m_lastAtOpen + 1) || !m_error.isEmpty())
            return;
        break;
    case Where::Table:
        if (stepTable(-1, m_id) || !m_error.isEmpty())
            return;
        break;
    }
    setPlace(Where::BeforeFirst);
}

void TimesheetCursor::moveFirst()
{
    setPlace(Where::BeforeFirst);
    step(+1);
}

void TimesheetCursor::moveLast()
{
    setPlace(Where::AfterLast);
    step(-1);
}

void TimesheetCursor::moveNext()
{
    step(+1);
}

void TimesheetCursor::movePrevious()
{
    step(-1);
}

QVariant TimesheetCursor::value(const QString& column) const
{
    return hasCurrent() ? m_row.value(column) : QVariant();
}

bool TimesheetCursor::findFirst(const QString& empId, const QString& shownDate)
{
    m_error.clear();
    // The employee's rows come from the index; the exact comparisons and the set's own order decide: the rows
    // of the table part by id, then the added ones in their order.
    RecordSet candidates;
    qint64 bestId = 0;
    int bestAdded = -1;
    bool found = false;
    if (m_open &&
        candidates.open(QStringLiteral("Select id, emp_id, rsdate from TimeSheet where emp_id = ? order by id"),
                        {empId})) {
        for (; !candidates.eof(); candidates.moveNext()) {
            const qint64 id = candidates.value(QStringLiteral("id")).toLongLong();
            const QVariant emp = candidates.value(QStringLiteral("emp_id"));
            if (emp.isNull() || emp.toString() != empId ||
                ValueForms::showValue(candidates.value(QStringLiteral("rsdate"))) != shownDate)
                continue;
            const auto added =
                std::find_if(m_added.cbegin(), m_added.cend(), [id](const Added& row) { return row.id == id; });
            if (added == m_added.cend()) {
                if (id > m_lastAtOpen)
                    continue; // added elsewhere after the open
                bestId = id;
                bestAdded = -1;
                found = true;
                break; // in id order, so the first is the earliest
            }
            const int index = int(added - m_added.cbegin());
            if (!added->deleted && (bestAdded < 0 || index < bestAdded)) {
                bestAdded = index;
                found = true;
            }
        }
    } else if (m_open) {
        m_error = candidates.lastError();
    }
    if (found && bestAdded < 0) {
        if (!m_row.openWritable(kTable, kRowSql, {bestId}))
            m_error = m_row.lastError();
        else if (m_row.recordCount() > 0) {
            setPlace(Where::Table, bestId);
            m_loaded = true;
            return true;
        }
    } else if (found && loadAdded(bestAdded)) {
        return true;
    }
    moveToEnd();
    return false;
}

bool TimesheetCursor::write(RecordSet& row, const QVariantHash& values, QString* error)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        row.setValue(it.key(), it.value());
    if (row.update())
        return true;
    *error = row.lastError();
    row.cancelUpdate();
    return false;
}

bool TimesheetCursor::change(const QVariantList& days, const std::function<bool(QString* error)>& write)
{
    m_error.clear();
    m_closed = false;
    const ClosedPeriods::Outcome outcome = ClosedPeriods::changeTimeRecords(days, write, &m_error);
    m_closed = outcome == ClosedPeriods::Outcome::Refused;
    return outcome == ClosedPeriods::Outcome::Done;
}

void TimesheetCursor::reloadAfterUndone()
{
    // The change was written but not committed, so the row reads again as it is stored.
    const QString error = m_error;
    const bool closed = m_closed;
    if (m_where == Where::Table) {
        if (m_row.openWritable(kTable, kRowSql, {m_id}) && m_row.recordCount() > 0)
            m_loaded = true;
    } else if (m_where == Where::Added) {
        loadAdded(m_index);
    }
    m_error = error;
    m_closed = closed;
}

bool TimesheetCursor::updateCurrent(const QVariantHash& values)
{
    m_error.clear();
    m_closed = false;
    if (!hasCurrent())
        return fail(QCoreApplication::translate("TimesheetCursor", "There is no current time record."));
    // The row may not leave a closed day, nor be moved into one.
    const QVariantList days = {m_row.value(QStringLiteral("rsdate")), values.value(QStringLiteral("rsdate"))};
    bool wrote = false;
    if (change(days, [&](QString* error) { return wrote = write(m_row, values, error); }))
        return true;
    if (wrote)
        reloadAfterUndone();
    return false;
}

bool TimesheetCursor::addRow(const QVariantHash& values)
{
    m_error.clear();
    m_closed = false;
    if (!m_open)
        return fail(QCoreApplication::translate("TimesheetCursor", "The time records are not open."));
    // A set of no rows that knows the table's columns and their types; it takes the new row.
    RecordSet added;
    if (!added.openWritable(kTable, kRowSql, {QVariant(qint64(-1))}))
        return fail(added.lastError());
    added.addNew();
    if (!change({values.value(QStringLiteral("rsdate"))}, [&](QString* error) { return write(added, values, error); }))
        return false;
    const qint64 id = added.value(QStringLiteral("id")).toLongLong();
    // Should the store have reused an id already in the set, the older entry is gone from the table.
    for (Added& older : m_added) {
        if (older.id == id)
            older.deleted = true;
    }
    m_added.push_back({id, false});
    m_row = std::move(added);
    setPlace(Where::Added, 0, int(m_added.size()) - 1);
    m_loaded = true;
    return true;
}

bool TimesheetCursor::deleteCurrent()
{
    m_error.clear();
    m_closed = false;
    if (!hasCurrent())
        return fail(QCoreApplication::translate("TimesheetCursor", "There is no current time record."));
    bool wrote = false;
    const bool deleted = change({m_row.value(QStringLiteral("rsdate"))}, [&](QString* error) {
        wrote = m_row.deleteCurrent();
        if (!wrote)
            *error = m_row.lastError();
        return wrote;
    });
    if (!deleted) {
        if (wrote)
            reloadAfterUndone();
        return false;
    }
    if (m_where == Where::Added)
        m_added[std::size_t(m_index)].deleted = true;
    m_loaded = false;
    return true;
}

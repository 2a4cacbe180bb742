#include "core/timesheets/timesheetcursor.h"

#include "core/store/query.h"
#include "core/valueforms.h"

#include <algorithm>

namespace {

const QString kTable = QStringLiteral("timesheet");
const QString kRowSql = QStringLiteral("Select * from TimeSheet where id = ?");

} // namespace

bool TimesheetCursor::fail(const QString& error)
{
    m_error = error;
    return false;
}

bool TimesheetCursor::open()
{
    m_open = false;
    m_ids.clear();
    m_deleted.clear();
    m_readAtOpen = 0;
    m_live = 0;
    m_pos = 0;
    m_loaded = -1;
    m_error.clear();
    if (!Database::isOpen())
        return fail(QStringLiteral("The database is not open."));

    // In id order, the order in which the whole table is read; without it SQLite may walk an index instead.
    Query query;
    if (!query.exec(QStringLiteral("Select id from TimeSheet order by id")))
        return fail(query.error());
    while (query.next())
        m_ids.push_back(query.value(0).toLongLong());
    if (!query.error().isEmpty())
        return fail(query.error());

    m_deleted.assign(m_ids.size(), 0);
    m_readAtOpen = m_ids.size();
    m_live = int(m_ids.size());
    m_open = true;
    m_pos = -1;
    step(+1);
    return true;
}

bool TimesheetCursor::hasCurrent() const
{
    return m_pos >= 0 && m_pos < int(m_ids.size()) && !m_deleted[m_pos] && m_loaded == m_pos;
}

bool TimesheetCursor::load(int pos)
{
    m_loaded = -1;
    if (!m_row.openWritable(kTable, kRowSql, {m_ids[pos]}))
        return fail(m_row.lastError());
    if (m_row.recordCount() == 0) {
        // Deleted elsewhere since the editor opened.
        m_deleted[pos] = 1;
        --m_live;
        return false;
    }
    m_loaded = pos;
    return true;
}

void TimesheetCursor::step(int direction)
{
    const int end = int(m_ids.size());
    if ((direction > 0 && m_pos >= end) || (direction < 0 && m_pos < 0))
        return;
    for (m_pos += direction; m_pos >= 0 && m_pos < end; m_pos += direction) {
        if (m_deleted[m_pos])
            continue;
        if (load(m_pos) || !m_deleted[m_pos])
            return;
    }
}

void TimesheetCursor::moveFirst()
{
    m_pos = -1;
    step(+1);
}

void TimesheetCursor::moveLast()
{
    m_pos = int(m_ids.size());
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
    // The employee's rows come from the index; the exact comparisons and the set's own order decide.
    RecordSet candidates;
    int best = -1;
    if (candidates.open(QStringLiteral("Select id, emp_id, rsdate from TimeSheet where emp_id = ? order by id"),
                        {empId})) {
        for (; !candidates.eof(); candidates.moveNext()) {
            const QVariant id = candidates.value(QStringLiteral("id"));
            const QVariant emp = candidates.value(QStringLiteral("emp_id"));
            if (emp.isNull() || emp.toString() != empId ||
                ValueForms::showValue(candidates.value(QStringLiteral("rsdate"))) != shownDate)
                continue;
            const int pos = positionOf(id.toLongLong());
            if (pos >= 0 && !m_deleted[pos] && (best < 0 || pos < best))
                best = pos;
        }
    } else {
        m_error = candidates.lastError();
    }
    if (best >= 0 && load(best)) {
        m_pos = best;
        return true;
    }
    moveToEnd();
    return false;
}

int TimesheetCursor::positionOf(qint64 id) const
{
    // Rows added since the open are few and may reuse an id; the ones read at open are found by halving.
    for (std::size_t i = m_ids.size(); i > m_readAtOpen; --i) {
        if (m_ids[i - 1] == id)
            return int(i - 1);
    }
    const auto end = m_ids.begin() + std::ptrdiff_t(m_readAtOpen);
    const auto found = std::lower_bound(m_ids.begin(), end, id);
    return found != end && *found == id ? int(found - m_ids.begin()) : -1;
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

bool TimesheetCursor::updateCurrent(const QVariantHash& values)
{
    m_error.clear();
    if (!hasCurrent())
        return fail(QStringLiteral("There is no current time record."));
    return write(m_row, values, &m_error);
}

bool TimesheetCursor::addRow(const QVariantHash& values)
{
    m_error.clear();
    if (!m_open)
        return fail(QStringLiteral("The time records are not open."));
    // A set of no rows that knows the table's columns and their types; it takes the new row.
    RecordSet added;
    if (!added.openWritable(kTable, kRowSql, {QVariant(qint64(-1))}))
        return fail(added.lastError());
    added.addNew();
    if (!write(added, values, &m_error))
        return false;
    const qint64 id = added.value(QStringLiteral("id")).toLongLong();
    m_ids.push_back(id);
    m_deleted.push_back(0);
    ++m_live;
    m_pos = int(m_ids.size()) - 1;
    m_row = std::move(added);
    m_loaded = m_pos;
    return true;
}

bool TimesheetCursor::deleteCurrent()
{
    m_error.clear();
    if (!hasCurrent())
        return fail(QStringLiteral("There is no current time record."));
    if (!m_row.deleteCurrent())
        return fail(m_row.lastError());
    m_deleted[m_pos] = 1;
    --m_live;
    return true;
}

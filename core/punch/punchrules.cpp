#include "core/punch/punchrules.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/employees/employeerecord.h"
#include "core/sites/sites.h"
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/store/trailwriter.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <array>

namespace Punch {

namespace {

using Outcome = PunchResult::Outcome;

// The slots of a day's row (in1, out1 ... out3), filled strictly in this order; even positions are sign-ins.
constexpr std::size_t kSlotCount = 6;

// Only the columns a punch needs are read, since every terminal punch pays for this.
const QString kEmployeeSql = QStringLiteral("Select emp_id, emp_fname, emp_lname from Employee where emp_id = ?");
// The punch's own statements, stepped directly on the engine since every terminal punch pays for them: the
// day's row of the ID (the (emp_id, rsdate) index finds it directly), and one write per slot.
const QString kDaySlotsSql =
    QStringLiteral("Select id, emp_id, in1, out1, in2, out2, in3, out3 from timesheet where emp_id = ? and rsdate = ?");
const std::array<QString, kSlotCount> kFillSlotSql = {
    QStringLiteral("Update timesheet set in1 = ? where id = ? and in1 is null"),
    QStringLiteral("Update timesheet set out1 = ? where id = ? and out1 is null"),
    QStringLiteral("Update timesheet set in2 = ? where id = ? and in2 is null"),
    QStringLiteral("Update timesheet set out2 = ? where id = ? and out2 is null"),
    QStringLiteral("Update timesheet set in3 = ? where id = ? and in3 is null"),
    QStringLiteral("Update timesheet set out3 = ? where id = ? and out3 is null"),
};
// The day's row keeps the site of its first punch.
const QString kStartDaySql = QStringLiteral("Insert into timesheet (emp_id, rsdate, in1, site) values (?, ?, ?, ?)");

PunchResult storeFailed(PunchResult result, const QString& error)
{
    result.outcome = Outcome::StoreFailed;
    result.error = error;
    return result;
}

// A statement that met another session's lock (on a database server, a row another program holds longer than
// a statement waits) holds the punch up: it is tried again, like a group that found the lock taken.
PunchResult failedOn(const Query& query, bool* busy)
{
    if (busy && query.busy())
        *busy = true;
    return storeFailed(PunchResult(), query.error());
}

bool stored(const PunchResult& result)
{
    return result.outcome == Outcome::SignedIn || result.outcome == Outcome::SignedOut;
}

// The ID's own row of the day and its first free slot (kSlotCount when the day is full). SQL finds rows
// case-blind (so the index serves the query); only a row whose emp_id is the ID exactly belongs to the
// employee, and an empty ID owns no row that has none.
struct Day
{
    std::optional<qint64> row;
    std::size_t free = kSlotCount;
    QString error;
    bool busy = false;
};

Day readDay(const QSqlDatabase& db, const QString& id, const QString& day)
{
    Day found;
    Query sheet(db);
    if (!sheet.exec(kDaySlotsSql, {id, day})) {
        found.error = sheet.error();
        found.busy = sheet.busy();
        return found;
    }
    while (sheet.next()) {
        if (sheet.isNull(1) || sheet.text(1) != id)
            continue;
        found.row = sheet.value(0).toLongLong();
        for (std::size_t slot = 0; slot < kSlotCount && found.free == kSlotCount; ++slot) {
            if (sheet.isNull(int(slot) + 2))
                found.free = slot;
        }
        return found;
    }
    found.error = sheet.error();
    found.busy = sheet.busy();
    return found;
}

// With night shifts on, a punch without a row of its own day may continue the shift of the employee's latest
// row: that row has a punch within the last `hours` (inclusive) and its last pair is open or ended less than
// kShiftBreakSecs ago. The row, and the slot the punch fills there; no row when the punch starts its own day.
constexpr qint64 kShiftBreakSecs = qint64(4) * 3600;
const QString kLatestRowsSql = QStringLiteral("Select id, emp_id, rsdate, in1, out1, in2, out2, in3, out3 from "
                                              "timesheet where emp_id = ? and rsdate >= ? and rsdate < ? "
                                              "order by rsdate desc, id");

// The pay rules' night-shift hours (0: off), read at each punch that has no row of its day yet, so a running
// service follows a change at once.
double nightShiftHours(const QSqlDatabase& db, QString* error)
{
    Query rules(db);
    if (!rules.exec(QStringLiteral("Select night_shift_hours from pay_rules order by id limit 1"))) {
        *error = rules.error();
        return 0;
    }
    if (!rules.next() || rules.isNull(0)) {
        *error = rules.error();
        return 0;
    }
    return ValueForms::readNumber(rules.text(0)).value_or(0);
}

Day readShift(const QSqlDatabase& db, const QString& id, const QDateTime& at, double hours)
{
    Day shift;
    const qint64 window = qint64(hours * 3600);
    Query sheet(db);
    const QDate earliest = at.date().addDays(-(window / 86400 + 1));
    if (!sheet.exec(kLatestRowsSql, {id, ValueForms::storeDate(earliest), ValueForms::storeDate(at.date())})) {
        shift.error = sheet.error();
        shift.busy = sheet.busy();
        return shift;
    }
    while (sheet.next()) {
        if (sheet.isNull(1) || sheet.text(1) != id)
            continue;
        const QDate day = ValueForms::readDate(sheet.text(2)).value_or(QDate());
        // The punches of the row in slot order, on the next day from where a time is earlier than the one before.
        QDateTime last;
        std::size_t free = kSlotCount;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            const int column = int(slot) + 3;
            if (sheet.isNull(column)) {
                free = qMin(free, slot);
                continue;
            }
            const QTime time = ValueForms::storedTime(sheet.text(column));
            if (!time.isValid() || !day.isValid())
                continue;
            QDateTime when(last.isValid() ? last.date() : day, time);
            if (last.isValid() && when < last)
                when = when.addDays(1);
            last = when;
        }
        const bool open = free % 2 == 1;
        if (free < kSlotCount && last.isValid() && last.secsTo(at) <= window &&
            (open || last.secsTo(at) < kShiftBreakSecs)) {
            shift.row = sheet.value(0).toLongLong();
            shift.free = free;
        }
        return shift;
    }
    shift.error = sheet.error();
    shift.busy = sheet.busy();
    return shift;
}

// Fills the first free slot of the day's row, or starts the day's row. The employee is known by now.
// A punch never writes a day of a closed pay period: a clock set back would change a paid record unseen.
std::optional<QString> closedDay(const QSqlDatabase& db, const QDate& day, std::optional<QDate>* closed)
{
    if (!*closed) {
        QDate through;
        if (QString error; !ClosedPeriods::closedThrough(&through, &error, db))
            return error;
        *closed = through;
    }
    if (!(*closed)->isValid() || day > **closed)
        return std::nullopt;
    return QCoreApplication::translate(
               "Punch", "The computer's clock says it is %1, a day of the pay period closed through %2, so the "
                        "punch was not recorded: the time records of a closed pay period do not change. Check "
                        "the computer's date and time.")
        .arg(ValueForms::showDate(day), ValueForms::showDate(**closed));
}

PunchResult recordForEmployee(const QSqlDatabase& db, const QString& id, const QString& name, const QDateTime& at,
                              bool* busy = nullptr, std::optional<QDate> closed = std::nullopt)
{
    // A punch is the record itself, not a change to it: the trail leaves it out.
    const TrailWriter::PunchWrites punching(db);
    PunchResult result;
    result.name = name;
    const QTime time = QTime(at.time().hour(), at.time().minute(), at.time().second());
    const QString day = ValueForms::storeDate(at.date());
    const QString stamp = ValueForms::storeTime(time);

    // Inside a group of punches the files were checked for the whole group; a lone punch checks them here.
    if (QString error; !Database::fileInPlace(db, &error))
        return storeFailed(result, error);
    if (const std::optional<QString> refused = closedDay(db, at.date(), &closed))
        return storeFailed(result, *refused);

    Day found = readDay(db, id, day);
    if (!found.error.isEmpty()) {
        if (busy && found.busy)
            *busy = true;
        return storeFailed(result, found.error);
    }
    if (!found.row) {
        QString error;
        const double night = nightShiftHours(db, &error);
        if (!error.isEmpty())
            return storeFailed(result, error);
        if (night > 0) {
            found = readShift(db, id, at, night);
            if (!found.error.isEmpty()) {
                if (busy && found.busy)
                    *busy = true;
                return storeFailed(result, found.error);
            }
        }
    }
    const std::optional<qint64> row = found.row;
    const std::size_t free = found.free;

    Query write(db);
    if (row) {
        if (free == kSlotCount) {
            result.outcome = Outcome::NoFreeSlot;
            return result;
        }
        if (!write.exec(kFillSlotSql[free], {stamp, *row}))
            return storeFailed(result, failedOn(write, busy).error);
        // The slot was free when read in this transaction; a write that changed nothing stored nothing.
        if (write.rowsAffected() != 1)
            return storeFailed(result, QCoreApplication::translate(
                                           "Punch", "The time record of %1 changed while the punch was stored, so "
                                                    "nothing was written.")
                                           .arg(id));
        result.outcome = free % 2 == 0 ? Outcome::SignedIn : Outcome::SignedOut;
    } else {
        if (!write.exec(kStartDaySql, {id, day, stamp, Sites::stored()}))
            return storeFailed(result, failedOn(write, busy).error);
        if (write.rowsAffected() != 1)
            return storeFailed(
                result, QCoreApplication::translate("Punch", "The time record of %1 could not be added.").arg(id));
        result.outcome = Outcome::SignedIn;
    }
    result.time = time;
    return result;
}

// A terminal's ID looked up afresh, so employees added a moment ago can punch: the employee's name, or the
// outcome when there is nobody with exactly that ID (or the store failed).
struct Lookup
{
    std::optional<PunchResult> settled;
    QString name;
};

Lookup lookUp(const QSqlDatabase& db, const QString& id, bool* busy = nullptr)
{
    Query employee(db);
    if (!employee.exec(kEmployeeSql, {id}))
        return {failedOn(employee, busy), {}};
    bool any = false;
    while (employee.next()) {
        any = true;
        if (!employee.isNull(0) && employee.text(0) == id)
            return {std::nullopt, EmployeeRecord::displayName(employee.value(1), employee.value(2))};
    }
    if (!employee.error().isEmpty())
        return {failedOn(employee, busy), {}};
    PunchResult nobody;
    nobody.outcome = any ? Outcome::CaseOnly : Outcome::NotFound;
    return {nobody, {}};
}

} // namespace

QString employeeName(const RecordSet& employee)
{
    return EmployeeRecord::displayName(employee.value(QStringLiteral("emp_fname")),
                                       employee.value(QStringLiteral("emp_lname")));
}

PunchResult recordFromLoadedEmployees(RecordSet& employees, const QString& id)
{
    for (employees.moveFirst(); !employees.eof(); employees.moveNext()) {
        // A row without an ID is nobody's, not the empty ID's.
        const QVariant owner = employees.value(QStringLiteral("emp_id"));
        if (!owner.isNull() && owner.toString() == id)
            return recordForEmployee(gConn, id, employeeName(employees), now());
    }
    return {};
}

namespace {

PunchResult recordFromTerminal(const QSqlDatabase& db, const QString& id, const QDateTime& at, bool* busy,
                               const std::optional<QDate>& closed = std::nullopt)
{
    const Lookup lookup = lookUp(db, id, busy);
    if (lookup.settled)
        return *lookup.settled;
    return recordForEmployee(db, id, lookup.name, at.isValid() ? at : now(), busy, closed);
}

} // namespace

PunchResult recordFromClock(const QString& id)
{
    return recordFromTerminal(id, now());
}

PunchResult recordFromTerminal(const QString& id, const QDateTime& at)
{
    return recordFromTerminal(gConn, id, at, nullptr);
}

std::optional<PunchResult> resultWithoutWriting(const TerminalPunch& punch, const QSqlDatabase& db)
{
    const Lookup lookup = lookUp(db, punch.id);
    if (lookup.settled)
        return lookup.settled->outcome == Outcome::StoreFailed ? std::nullopt : lookup.settled;
    const Day found = readDay(db, punch.id, ValueForms::storeDate((punch.at.isValid() ? punch.at : now()).date()));
    if (!found.error.isEmpty() || !found.row || found.free < kSlotCount)
        return std::nullopt;
    PunchResult full;
    full.outcome = Outcome::NoFreeSlot;
    full.name = lookup.name;
    return full;
}

std::vector<PunchResult> recordBatchFromTerminals(const std::vector<TerminalPunch>& punches, const QSqlDatabase& db)
{
    std::vector<PunchResult> results;
    results.reserve(punches.size());
    bool busy = false;
    if (punches.size() > 1) {
        WriteBatch group(db);
        if (group.busy())
            return results;
        if (group.isActive()) {
            // The closed days read once for the group, inside its transaction.
            std::optional<QDate> closed;
            QString unused; // a failure is met again, and reported, by each punch
            if (QDate through; ClosedPeriods::closedThrough(&through, &unused, db))
                closed = through;
            for (const TerminalPunch& punch : punches) {
                results.push_back(recordFromTerminal(db, punch.id, punch.at, &busy, closed));
                if (results.back().outcome == Outcome::StoreFailed)
                    break;
            }
            const bool allHandled = results.size() == punches.size() && results.back().outcome != Outcome::StoreFailed;
            if (allHandled && group.commit())
                return results;
            results.clear();
            if (busy || group.busy())
                return results;
        }
    }
    // One at a time: a lone punch, or a group that could not be stored together (undone as it left scope).
    for (const TerminalPunch& punch : punches) {
        WriteBatch one(db);
        if (one.busy())
            return results;
        PunchResult result;
        if (!one.isActive()) {
            // Nothing can be written: an ID that needs no write still gets its answer.
            const std::optional<PunchResult> settled = resultWithoutWriting(punch, db);
            result = settled ? *settled : storeFailed(PunchResult(), one.error());
        } else {
            result = recordFromTerminal(db, punch.id, punch.at, &busy);
            if (busy)
                return results;
            if (stored(result) && !one.commit()) {
                if (one.busy())
                    return results;
                result = storeFailed(result, one.error());
            }
        }
        results.push_back(result);
    }
    return results;
}

} // namespace Punch

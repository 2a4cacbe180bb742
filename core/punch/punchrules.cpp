#include "core/punch/punchrules.h"

#include "core/audit/audittrail.h"
#include "core/clock.h"
#include "core/employees/employeerecord.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <array>

namespace Punch {

namespace {

using Outcome = PunchResult::Outcome;

// The slots of a day's row, filled strictly in this order; even positions are sign-ins.
const std::array<QString, 6> kSlots = {QStringLiteral("in1"),  QStringLiteral("out1"), QStringLiteral("in2"),
                                       QStringLiteral("out2"), QStringLiteral("in3"),  QStringLiteral("out3")};

// Only the columns a punch needs are read, since every terminal punch pays for this.
const QString kEmployeeSql = QStringLiteral("Select emp_id, emp_fname, emp_lname from Employee where emp_id = ?");
// Only the day's rows of the ID are read; the (emp_id, rsdate) index finds them directly.
const QString kDaySql = QStringLiteral("Select * from timesheet where emp_id = ? and rsdate = ?");

PunchResult storeFailed(PunchResult result, const QString& error)
{
    result.outcome = Outcome::StoreFailed;
    result.error = error;
    return result;
}

bool stored(const PunchResult& result)
{
    return result.outcome == Outcome::SignedIn || result.outcome == Outcome::SignedOut;
}

// Positions the set on the ID's own row of the day. SQL finds rows case-blind (so the index serves the
// query); only a row whose emp_id is the ID exactly belongs to the employee, and an empty ID owns no row
// that has none.
bool findOwnRow(RecordSet& sheet, const QString& id, const QDate& day)
{
    for (sheet.moveFirst(); !sheet.eof(); sheet.moveNext()) {
        const QVariant owner = sheet.value(QStringLiteral("emp_id"));
        if (!owner.isNull() && owner.toString() == id && sheet.value(QStringLiteral("rsdate")).toDate() == day)
            return true;
    }
    return false;
}

// Fills the first free slot of the day's row, or starts the day's row. The employee is known by now.
PunchResult recordForEmployee(const QString& id, const QString& name, const QDateTime& at)
{
    // A punch is the record itself, not a change to it: the trail leaves it out.
    const AuditTrail::PunchWrites punching;
    PunchResult result;
    result.name = name;
    const QTime time = QTime(at.time().hour(), at.time().minute(), at.time().second());
    const QDate day = at.date();

    RecordSet sheet;
    if (!sheet.openWritable(QStringLiteral("timesheet"), kDaySql, {id, ValueForms::storeDate(day)}))
        return storeFailed(result, sheet.lastError());

    if (findOwnRow(sheet, id, day)) {
        for (std::size_t slot = 0; slot < kSlots.size(); ++slot) {
            if (!sheet.value(kSlots[slot]).isNull())
                continue;
            sheet.setValue(kSlots[slot], time);
            if (!sheet.update())
                return storeFailed(result, sheet.lastError());
            result.outcome = slot % 2 == 0 ? Outcome::SignedIn : Outcome::SignedOut;
            result.time = time;
            return result;
        }
        result.outcome = Outcome::NoFreeSlot;
        return result;
    }

    sheet.addNew();
    sheet.setValue(QStringLiteral("rsdate"), day);
    sheet.setValue(QStringLiteral("emp_id"), id);
    sheet.setValue(QStringLiteral("in1"), time);
    if (!sheet.update())
        return storeFailed(result, sheet.lastError());
    result.outcome = Outcome::SignedIn;
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

Lookup lookUp(const QString& id)
{
    RecordSet employee;
    if (!employee.open(kEmployeeSql, {id}))
        return {storeFailed(PunchResult(), employee.lastError()), {}};
    for (; !employee.eof(); employee.moveNext()) {
        if (employee.value(QStringLiteral("emp_id")).toString() == id)
            return {std::nullopt, employeeName(employee)};
    }
    PunchResult nobody;
    nobody.outcome = employee.recordCount() == 0 ? Outcome::NotFound : Outcome::CaseOnly;
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
            return recordForEmployee(id, employeeName(employees), now());
    }
    return {};
}

PunchResult recordFromTerminal(const QString& id, const QDateTime& at)
{
    const Lookup lookup = lookUp(id);
    if (lookup.settled)
        return *lookup.settled;
    return recordForEmployee(id, lookup.name, at.isValid() ? at : now());
}

std::optional<PunchResult> resultWithoutWriting(const TerminalPunch& punch)
{
    const Lookup lookup = lookUp(punch.id);
    if (lookup.settled)
        return lookup.settled->outcome == Outcome::StoreFailed ? std::nullopt : lookup.settled;
    const QDate day = (punch.at.isValid() ? punch.at : now()).date();
    RecordSet sheet;
    if (!sheet.open(kDaySql, {punch.id, ValueForms::storeDate(day)}) || !findOwnRow(sheet, punch.id, day))
        return std::nullopt;
    for (const QString& slot : kSlots) {
        if (sheet.value(slot).isNull())
            return std::nullopt;
    }
    PunchResult full;
    full.outcome = Outcome::NoFreeSlot;
    full.name = lookup.name;
    return full;
}

std::vector<PunchResult> recordBatchFromTerminals(const std::vector<TerminalPunch>& punches)
{
    std::vector<PunchResult> results;
    results.reserve(punches.size());
    if (punches.size() > 1) {
        WriteBatch group;
        if (group.busy())
            return results;
        if (group.isActive()) {
            for (const TerminalPunch& punch : punches) {
                results.push_back(recordFromTerminal(punch.id, punch.at));
                if (results.back().outcome == Outcome::StoreFailed)
                    break;
            }
            const bool allHandled = results.size() == punches.size() && results.back().outcome != Outcome::StoreFailed;
            if (allHandled && group.commit())
                return results;
            results.clear();
            if (group.busy())
                return results;
        }
    }
    // One at a time: a lone punch, or a group that could not be stored together (undone as it left scope).
    for (const TerminalPunch& punch : punches) {
        WriteBatch one;
        if (one.busy())
            return results;
        PunchResult result;
        if (!one.isActive()) {
            // Nothing can be written: an ID that needs no write still gets its answer.
            const std::optional<PunchResult> settled = resultWithoutWriting(punch);
            result = settled ? *settled : storeFailed(PunchResult(), one.error());
        } else {
            result = recordFromTerminal(punch.id, punch.at);
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

#include "core/punch/punchrules.h"

#include "core/clock.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <array>

namespace Punch {

namespace {

// The slots of a day's row, filled strictly in this order; even positions are sign-ins.
const std::array<QString, 6> kSlots = {QStringLiteral("in1"),  QStringLiteral("out1"), QStringLiteral("in2"),
                                       QStringLiteral("out2"), QStringLiteral("in3"),  QStringLiteral("out3")};

PunchResult storeFailed(PunchResult result, const QString& error)
{
    result.outcome = PunchResult::Outcome::StoreFailed;
    result.error = error;
    return result;
}

// Fills the first free slot of today's row, or starts today's row. The employee is known by now.
PunchResult recordForEmployee(const QString& id, const QString& name)
{
    PunchResult result;
    result.name = name;
    const QDateTime at = now();
    const QTime time = QTime(at.time().hour(), at.time().minute(), at.time().second());
    const QDate day = at.date();

    // Only today's rows of this employee are read; the (emp_id, rsdate) index finds them directly.
    RecordSet sheet;
    if (!sheet.openWritable(QStringLiteral("timesheet"),
                            QStringLiteral("Select * from timesheet where emp_id = ? and rsdate = ?"),
                            {id, ValueForms::storeDate(day)}))
        return storeFailed(result, sheet.lastError());

    if (sheet.recordCount() > 0 && sheet.find(QStringLiteral("rsdate"), day)) {
        for (std::size_t slot = 0; slot < kSlots.size(); ++slot) {
            if (!sheet.value(kSlots[slot]).isNull())
                continue;
            sheet.setValue(kSlots[slot], time);
            if (!sheet.update())
                return storeFailed(result, sheet.lastError());
            result.outcome = slot % 2 == 0 ? PunchResult::Outcome::SignedIn : PunchResult::Outcome::SignedOut;
            result.time = time;
            return result;
        }
        result.outcome = PunchResult::Outcome::NoFreeSlot;
        return result;
    }

    sheet.addNew();
    sheet.setValue(QStringLiteral("rsdate"), day);
    sheet.setValue(QStringLiteral("emp_id"), id);
    sheet.setValue(QStringLiteral("in1"), time);
    if (!sheet.update())
        return storeFailed(result, sheet.lastError());
    result.outcome = PunchResult::Outcome::SignedIn;
    result.time = time;
    return result;
}

} // namespace

QString employeeName(const RecordSet& employee)
{
    return employee.value(QStringLiteral("emp_fname")).toString() + QLatin1Char(' ') +
           employee.value(QStringLiteral("emp_lname")).toString();
}

PunchResult recordFromLoadedEmployees(RecordSet& employees, const QString& id)
{
    for (employees.moveFirst(); !employees.eof(); employees.moveNext()) {
        if (employees.value(QStringLiteral("emp_id")).toString() == id)
            return recordForEmployee(id, employeeName(employees));
    }
    return {};
}

PunchResult recordFromTerminal(const QString& id)
{
    // A fresh lookup at every punch, so employees added a moment ago can punch; only the columns a punch
    // needs are read, since every terminal punch pays for this.
    RecordSet employee;
    if (!employee.open(QStringLiteral("Select emp_id, emp_fname, emp_lname from Employee where emp_id = ?"), {id})) {
        PunchResult failed;
        return storeFailed(failed, employee.lastError());
    }
    if (employee.recordCount() == 0)
        return {};
    for (; !employee.eof(); employee.moveNext()) {
        if (employee.value(QStringLiteral("emp_id")).toString() == id)
            return recordForEmployee(id, employeeName(employee));
    }
    PunchResult caseOnly;
    caseOnly.outcome = PunchResult::Outcome::CaseOnly;
    return caseOnly;
}

std::vector<PunchResult> recordBatchFromTerminals(const QStringList& ids)
{
    std::vector<PunchResult> results;
    results.reserve(ids.size());
    if (ids.size() > 1) {
        Transaction group;
        if (group.isActive()) {
            for (const QString& id : ids) {
                results.push_back(recordFromTerminal(id));
                if (results.back().outcome == PunchResult::Outcome::StoreFailed)
                    break;
            }
            const bool allStored = results.size() == std::size_t(ids.size()) &&
                                   results.back().outcome != PunchResult::Outcome::StoreFailed;
            if (allStored && group.commit())
                return results;
            results.clear();
        }
    }
    // One at a time: a lone punch, or a group that could not be stored together (undone as it left scope).
    for (const QString& id : ids)
        results.push_back(recordFromTerminal(id));
    return results;
}

} // namespace Punch

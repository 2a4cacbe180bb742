#include "core/payroll/payexceptions.h"

#include "core/clock.h"
#include "core/csv.h"
#include "core/employees/employeerecord.h"
#include "core/payroll/payrollreports.h"
#include "core/payroll/payrules.h"
#include "core/store/query.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QHash>

namespace PayExceptions {

namespace {

const QTime kMidnight(0, 0);

QString hoursText(qint64 secs)
{
    const qint64 wholeMinutes = secs / 60;
    return ValueForms::showValue(Pay::round4(double(wholeMinutes) / 60.0));
}

QString slotName(int slot)
{
    return (slot % 2 == 0 ? QCoreApplication::translate("PayExceptions", "In %1")
                          : QCoreApplication::translate("PayExceptions", "Out %1"))
        .arg(slot / 2 + 1);
}

const QList<Payroll::Column>& columns()
{
    static const QList<Payroll::Column> list = {
        {QStringLiteral("emp_id"), QStringLiteral("Employee ID"), 0, 0, 0, false, QString()},
        {QStringLiteral("name"), QStringLiteral("Name"), 0, 0, 0, false, QString()},
        {QStringLiteral("day"), QStringLiteral("Date"), 0, 0, 0, false, QString()},
        {QStringLiteral("pair"), QStringLiteral("Pair"), 0, 0, 0, false, QString()},
        {QStringLiteral("kind"), QStringLiteral("Exception"), 0, 0, 0, false, QString()},
        {QStringLiteral("detail"), QStringLiteral("Detail"), 0, 0, 0, false, QString()},
    };
    return list;
}

QStringList fields(const Exception& e, const QString& day)
{
    return {e.empId, e.name, day, e.pair > 0 ? QString::number(e.pair) : QString(), kindText(e.kind), e.detail};
}

} // namespace

bool readLimits(Limits* limits, QString* error)
{
    Pay::Rules rules;
    if (!Pay::load(&rules, error))
        return false;
    *limits = {rules.nightShiftHours, rules.longPairHours};
    return true;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::MissingPunch:
        return QCoreApplication::translate("PayExceptions", "Missing punch");
    case Kind::OutBeforeIn:
        return QCoreApplication::translate("PayExceptions", "Out before in");
    case Kind::NotATime:
        return QCoreApplication::translate("PayExceptions", "Not a time");
    case Kind::LongPair:
        return QCoreApplication::translate("PayExceptions", "Long pair");
    case Kind::EditorBlanks:
        return QCoreApplication::translate("PayExceptions", "Blank boxes stored as 00:00:00");
    }
    return QString();
}

void check(const Sheet& sheet, const Limits& limits, const QDateTime& now, std::vector<Exception>* found)
{
    auto add = [&](int pair, Kind kind, const QString& detail) {
        found->push_back({sheet.empId, QString(), sheet.day, pair, kind, detail});
    };
    QStringList blankPairs;
    for (int pair = 1; pair <= 3; ++pair) {
        const QVariant& inStored = sheet.slots[std::size_t(2 * pair - 2)];
        const QVariant& outStored = sheet.slots[std::size_t(2 * pair - 1)];
        // A slot that holds something other than a time counts nothing and hides the pair's real hours.
        QTime times[2];
        bool readable = true;
        for (int side = 0; side < 2; ++side) {
            const QVariant& stored = side == 0 ? inStored : outStored;
            if (stored.isNull())
                continue;
            times[side] = ValueForms::storedTime(stored.toString());
            if (!times[side].isValid()) {
                readable = false;
                add(pair, Kind::NotATime,
                    QCoreApplication::translate("PayExceptions", "%1 holds \"%2\"")
                        .arg(slotName(2 * pair - 2 + side), stored.toString()));
            }
        }
        if (!readable)
            continue;
        const QTime in = times[0];
        const QTime out = times[1];
        if (!in.isValid() && !out.isValid())
            continue;
        if (!in.isValid()) {
            add(pair, Kind::MissingPunch,
                QCoreApplication::translate("PayExceptions", "Out %1, no in").arg(ValueForms::showTime(out)));
            continue;
        }
        const QDateTime started(sheet.day, in);
        if (!out.isValid()) {
            // Still at work on the day itself, or within a night shift's hours; forgotten after that.
            const bool over = sheet.day < now.date() && (limits.nightShiftHours <= 0 ||
                                                         started.secsTo(now) > qint64(limits.nightShiftHours * 3600));
            if (over)
                add(pair, Kind::MissingPunch,
                    QCoreApplication::translate("PayExceptions", "In %1, no out").arg(ValueForms::showTime(in)));
            continue;
        }
        // An out of 00:00:00 is the editor's old blank box, never a shift across midnight.
        if (out == kMidnight) {
            blankPairs << QString::number(pair);
            continue;
        }
        const QString pairText = QCoreApplication::translate("PayExceptions", "In %1, out %2")
                                     .arg(ValueForms::showTime(in), ValueForms::showTime(out));
        qint64 secs = in.secsTo(out);
        if (out < in) {
            if (limits.nightShiftHours <= 0) {
                add(pair, Kind::OutBeforeIn, pairText);
                continue;
            }
            // Across midnight, in the time that really passed (a night with a clock change included).
            secs = started.secsTo(QDateTime(sheet.day.addDays(1), out));
            if (secs > qint64(limits.nightShiftHours * 3600)) {
                add(pair, Kind::OutBeforeIn,
                    pairText +
                        QCoreApplication::translate(
                            "PayExceptions", ": %1 hours across midnight, more than the %2 a night shift may last")
                            .arg(hoursText(secs), ValueForms::showValue(limits.nightShiftHours)));
                continue;
            }
        }
        if (secs / 60 > qint64(limits.longPairHours * 60))
            add(pair, Kind::LongPair,
                pairText + QCoreApplication::translate("PayExceptions", ": %1 hours").arg(hoursText(secs)));
    }
    if (!blankPairs.isEmpty())
        add(0, Kind::EditorBlanks,
            (blankPairs.size() == 1
                 ? QCoreApplication::translate("PayExceptions", "Pair %1 end at 00:00:00, where a box was left blank")
                 : QCoreApplication::translate("PayExceptions", "Pairs %1 end at 00:00:00, where a box was left blank"))
                .arg(blankPairs.join(QStringLiteral(", "))));
}

bool find(const Request& request, std::vector<Exception>* found, QString* error)
{
    found->clear();
    Limits limits;
    if (!readLimits(&limits, error))
        return false;
    const QDateTime at = now();
    const QString site = request.site.isEmpty() ? QString() : QStringLiteral(" and site = ?");
    const QString sql = QStringLiteral("Select emp_id, rsdate, in1, out1, in2, out2, in3, out3 from timesheet where ") +
                        (request.empIds.isEmpty() ? QString() : QStringLiteral("emp_id = ? and ")) +
                        QStringLiteral("rsdate >= ? and rsdate <= ?") + site +
                        QStringLiteral(" order by emp_id, rsdate, id");
    // Each employee's rows through the index; every employee in one pass. IDs are compared exactly.
    const QStringList ids = request.empIds.isEmpty() ? QStringList{QString()} : request.empIds;
    QHash<QString, QString> names;
    for (const QString& id : ids) {
        QVariantList binds;
        if (!request.empIds.isEmpty())
            binds << id;
        binds << ValueForms::storeDate(request.from) << ValueForms::storeDate(request.to);
        if (!request.site.isEmpty())
            binds << request.site;
        Query rows;
        if (!rows.exec(sql, binds)) {
            *error = rows.error();
            return false;
        }
        while (rows.next()) {
            const QString empId = rows.text(0);
            if (!request.empIds.isEmpty() && (rows.isNull(0) || empId != id))
                continue;
            Sheet sheet{empId, ValueForms::readDate(rows.text(1)).value_or(QDate()), {}};
            for (int slot = 0; slot < 6; ++slot)
                sheet.slots[std::size_t(slot)] = rows.isNull(slot + 2) ? QVariant() : QVariant(rows.text(slot + 2));
            check(sheet, limits, at, found);
        }
        if (!rows.error().isEmpty()) {
            *error = rows.error();
            return false;
        }
    }
    Query employee;
    for (Exception& e : *found) {
        if (!names.contains(e.empId)) {
            QString name;
            if (!employee.exec(QStringLiteral("Select emp_id, emp_fname, emp_lname from Employee where emp_id = ?"),
                               {e.empId})) {
                *error = employee.error();
                return false;
            }
            while (employee.next()) {
                if (employee.text(0) == e.empId)
                    name = EmployeeRecord::displayName(employee.value(1), employee.value(2));
            }
            names.insert(e.empId, name);
        }
        e.name = names.value(e.empId);
    }
    return true;
}

bool openShifts(const QDate& through, std::vector<Exception>* open, QString* error)
{
    open->clear();
    Limits limits;
    if (!readLimits(&limits, error))
        return false;
    if (limits.nightShiftHours <= 0)
        return true;
    const QDateTime at = now();
    const qint64 window = qint64(limits.nightShiftHours * 3600);
    Query rows;
    if (!rows.exec(QStringLiteral("Select emp_id, rsdate, in1, out1, in2, out2, in3, out3 from timesheet where "
                                  "rsdate >= ? and rsdate <= ? order by emp_id, rsdate, id"),
                   {ValueForms::storeDate(at.date().addDays(-(window / 86400 + 1))), ValueForms::storeDate(through)})) {
        *error = rows.error();
        return false;
    }
    while (rows.next()) {
        const QDate day = ValueForms::readDate(rows.text(1)).value_or(QDate());
        for (int pair = 1; pair <= 3; ++pair) {
            const int in = 2 * pair;
            if (rows.isNull(in) || !rows.isNull(in + 1))
                continue;
            const QTime time = ValueForms::storedTime(rows.text(in));
            if (time.isValid() && day.isValid() && QDateTime(day, time).secsTo(at) <= window)
                open->push_back({rows.text(0), QString(), day, pair, Kind::MissingPunch,
                                 QCoreApplication::translate("PayExceptions", "In %1, no out yet")
                                     .arg(ValueForms::showTime(time))});
        }
    }
    if (!rows.error().isEmpty()) {
        *error = rows.error();
        return false;
    }
    return true;
}

QString csv(const std::vector<Exception>& found)
{
    QStringList header;
    for (const Payroll::Column& column : columns())
        header << column.header;
    QString out = Csv::line(header);
    for (const Exception& e : found)
        out += Csv::line(fields(e, ValueForms::storeDate(e.day)));
    return out;
}

QString text(const Request& request, const std::vector<Exception>& found)
{
    QString out = QStringLiteral("Exceptions from %1 to %2: %3\n")
                      .arg(ValueForms::showDate(request.from), ValueForms::showDate(request.to))
                      .arg(found.size());
    if (found.empty())
        return out;
    QList<QStringList> rows;
    for (const Exception& e : found)
        rows << fields(e, ValueForms::showDate(e.day));
    return out + QLatin1Char('\n') + Payroll::textTable(columns(), rows);
}

} // namespace PayExceptions

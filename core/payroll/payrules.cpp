#include "core/payroll/payrules.h"

#include "core/audit/closedperiods.h"
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace Pay {

namespace {

const QStringList kWeekdays = {QStringLiteral("monday"),   QStringLiteral("tuesday"), QStringLiteral("wednesday"),
                               QStringLiteral("thursday"), QStringLiteral("friday"),  QStringLiteral("saturday"),
                               QStringLiteral("sunday")};

const QStringList kOvertime = {QStringLiteral("pair"), QStringLiteral("daily"), QStringLiteral("weekly"),
                               QStringLiteral("daily-weekly")};
const QStringList kPeriods = {QStringLiteral("none"), QStringLiteral("weekly"), QStringLiteral("biweekly"),
                              QStringLiteral("semimonthly"), QStringLiteral("monthly")};

// The settings kept in the row of pay_rules, each a column of that name.
const QStringList& settingNames()
{
    static const QStringList names = {
        QStringLiteral("overtime"),          QStringLiteral("daily_after"),    QStringLiteral("weekly_after"),
        QStringLiteral("week_start"),        QStringLiteral("double_after"),   QStringLiteral("double_rate"),
        QStringLiteral("round_minutes"),     QStringLiteral("meal_minutes"),   QStringLiteral("meal_after"),
        QStringLiteral("holiday_rate"),      QStringLiteral("period"),         QStringLiteral("period_start"),
        QStringLiteral("night_shift_hours"), QStringLiteral("long_pair_hours")};
    return names;
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

std::optional<double> readNumber(const QString& text, double min, double max)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < min || value > max)
        return std::nullopt;
    return value;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool exec(Query& query, const QString& sql, const QVariantList& binds, QString* error)
{
    return query.exec(sql, binds) || fail(error, query.error());
}

bool hasTable(const QString& name)
{
    return gConn.tables().contains(name, Qt::CaseInsensitive);
}

} // namespace

bool Rules::changesPay() const
{
    // The thresholds, the week's first day and the rates matter only once their rule is on.
    return overtime != OvertimeRule::PerPair || roundMinutes > 0 || mealMinutes > 0 || doubleTime() || holidaysPaid() ||
           !exempt.isEmpty() || nightShiftHours > 0;
}

QDate Rules::weekOf(const QDate& day) const
{
    return day.addDays(-((day.dayOfWeek() - int(weekStart) + 7) % 7));
}

QString Rules::describe() const
{
    QString text;
    switch (overtime) {
    case OvertimeRule::PerPair:
        text = QCoreApplication::translate("PayRules", "Overtime after 4 hours of one in/out pair");
        break;
    case OvertimeRule::Daily:
        text = QCoreApplication::translate("PayRules", "Overtime after %1 hours a day").arg(number(dailyAfter));
        break;
    case OvertimeRule::Weekly:
        text = QCoreApplication::translate("PayRules", "Overtime after %1 hours a week").arg(number(weeklyAfter));
        break;
    case OvertimeRule::DailyWeekly:
        text = QCoreApplication::translate("PayRules", "Overtime after %1 hours a day and %2 a week")
                   .arg(number(dailyAfter), number(weeklyAfter));
        break;
    }
    if (doubleTime())
        text += QCoreApplication::translate("PayRules", ", double time after %1 hours a day").arg(number(doubleAfter));
    if (roundMinutes > 0)
        text += QCoreApplication::translate("PayRules", ", punches rounded to %1 minutes").arg(roundMinutes);
    if (mealMinutes > 0)
        text += QCoreApplication::translate("PayRules", ", %1-minute meal after %2 hours")
                    .arg(mealMinutes)
                    .arg(number(mealAfter));
    if (nightShiftHours > 0)
        text += QCoreApplication::translate("PayRules", ", night shifts");
    return text;
}

bool Rules::operator==(const Rules& o) const
{
    return overtime == o.overtime && dailyAfter == o.dailyAfter && weeklyAfter == o.weeklyAfter &&
           weekStart == o.weekStart && doubleAfter == o.doubleAfter && doubleRate == o.doubleRate &&
           roundMinutes == o.roundMinutes && mealMinutes == o.mealMinutes && mealAfter == o.mealAfter &&
           holidayPay == o.holidayPay && holidayRate == o.holidayRate && period == o.period &&
           periodStart == o.periodStart && nightShiftHours == o.nightShiftHours && longPairHours == o.longPairHours &&
           holidays == o.holidays && exempt == o.exempt;
}

QList<QPair<QString, QString>> settings(const Rules& r)
{
    QStringList exempt(r.exempt.cbegin(), r.exempt.cend());
    exempt.sort();
    return {
        {QStringLiteral("overtime"), kOvertime.at(int(r.overtime))},
        {QStringLiteral("daily_after"), number(r.dailyAfter)},
        {QStringLiteral("weekly_after"), number(r.weeklyAfter)},
        {QStringLiteral("week_start"), kWeekdays.at(int(r.weekStart) - 1)},
        {QStringLiteral("double_after"), number(r.doubleAfter)},
        {QStringLiteral("double_rate"), number(r.doubleRate)},
        {QStringLiteral("round_minutes"), QString::number(r.roundMinutes)},
        {QStringLiteral("meal_minutes"), QString::number(r.mealMinutes)},
        {QStringLiteral("meal_after"), number(r.mealAfter)},
        {QStringLiteral("holiday_rate"), r.holidayPay == HolidayPay::Ordinary       ? QStringLiteral("0")
                                         : r.holidayPay == HolidayPay::OvertimeWage ? QStringLiteral("ot")
                                                                                    : number(r.holidayRate)},
        {QStringLiteral("period"), kPeriods.at(int(r.period))},
        {QStringLiteral("period_start"), r.periodStart.isValid() ? ValueForms::storeDate(r.periodStart) : QString()},
        {QStringLiteral("night_shift_hours"), number(r.nightShiftHours)},
        {QStringLiteral("long_pair_hours"), number(r.longPairHours)},
        {QStringLiteral("exempt"), exempt.join(QLatin1Char(','))},
    };
}

bool set(Rules* rules, const QString& name, const QString& text, QString* error)
{
    Rules r = *rules;
    const QString value = text.trimmed();
    const QString key = name.trimmed().toLower();
    const auto bad = [&](const QString& takes) {
        return fail(error, QStringLiteral("%1=%2: %1 takes %3").arg(key, text, takes));
    };
    const auto hours = [&](double* field, double min, const QString& takes) {
        const std::optional<double> read = readNumber(value, min, 168);
        if (!read)
            return bad(takes);
        *field = *read;
        return true;
    };
    if (key == QLatin1String("overtime")) {
        const int at = kOvertime.indexOf(value.toLower());
        if (at < 0)
            return bad(kOvertime.join(QLatin1Char('|')));
        r.overtime = OvertimeRule(at);
    } else if (key == QLatin1String("daily_after")) {
        if (!hours(&r.dailyAfter, 0.0167, QStringLiteral("hours a day (more than 0, up to 24)")) || r.dailyAfter > 24)
            return bad(QStringLiteral("hours a day (more than 0, up to 24)"));
    } else if (key == QLatin1String("weekly_after")) {
        if (!hours(&r.weeklyAfter, 0.0167, QStringLiteral("hours a week (more than 0, up to 168)")))
            return false;
    } else if (key == QLatin1String("week_start")) {
        const int at = kWeekdays.indexOf(value.toLower());
        if (at < 0)
            return bad(QStringLiteral("a day of the week, sunday..saturday"));
        r.weekStart = Qt::DayOfWeek(at + 1);
    } else if (key == QLatin1String("double_after")) {
        if (!hours(&r.doubleAfter, 0, QStringLiteral("0 (off) or hours a day, up to 24")) || r.doubleAfter > 24)
            return bad(QStringLiteral("0 (off) or hours a day, up to 24"));
    } else if (key == QLatin1String("double_rate")) {
        const std::optional<double> read = readNumber(value, 1, 10);
        if (!read)
            return bad(QStringLiteral("a multiplier of the regular wage, 1 to 10"));
        r.doubleRate = *read;
    } else if (key == QLatin1String("round_minutes")) {
        static const QStringList allowed = {QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("6"),
                                            QStringLiteral("10"), QStringLiteral("15")};
        if (!allowed.contains(value))
            return bad(QStringLiteral("0 (off), 5, 6, 10 or 15"));
        r.roundMinutes = value.toInt();
    } else if (key == QLatin1String("meal_minutes")) {
        bool ok = false;
        const int minutes = value.toInt(&ok);
        if (!ok || minutes < 0 || minutes > 240)
            return bad(QStringLiteral("0 (off) or minutes, up to 240"));
        r.mealMinutes = minutes;
    } else if (key == QLatin1String("meal_after")) {
        if (!hours(&r.mealAfter, 0, QStringLiteral("hours worked in a day, up to 24")) || r.mealAfter > 24)
            return bad(QStringLiteral("hours worked in a day, up to 24"));
    } else if (key == QLatin1String("holiday_rate")) {
        if (value == QLatin1String("0")) {
            r.holidayPay = HolidayPay::Ordinary;
            r.holidayRate = 0;
        } else if (value.toLower() == QLatin1String("ot")) {
            r.holidayPay = HolidayPay::OvertimeWage;
            r.holidayRate = 0;
        } else {
            const std::optional<double> read = readNumber(value, 1, 10);
            if (!read)
                return bad(QStringLiteral("0 (an ordinary day), ot (the overtime wage) or a multiplier, 1 to 10"));
            r.holidayPay = HolidayPay::Rate;
            r.holidayRate = *read;
        }
    } else if (key == QLatin1String("period")) {
        const int at = kPeriods.indexOf(value.toLower());
        if (at < 0)
            return bad(kPeriods.join(QLatin1Char('|')));
        r.period = PayPeriod(at);
    } else if (key == QLatin1String("period_start")) {
        if (value.isEmpty()) {
            r.periodStart = QDate();
        } else {
            const std::optional<QDate> day = ValueForms::readDate(value);
            if (!day)
                return bad(QStringLiteral("a date, YYYY-MM-DD"));
            r.periodStart = *day;
        }
    } else if (key == QLatin1String("night_shift_hours")) {
        if (!hours(&r.nightShiftHours, 0, QStringLiteral("0 (off) or hours, up to 24")) || r.nightShiftHours > 24)
            return bad(QStringLiteral("0 (off) or hours, up to 24"));
    } else if (key == QLatin1String("long_pair_hours")) {
        if (!hours(&r.longPairHours, 0.0167, QStringLiteral("hours, more than 0, up to 168")))
            return false;
    } else if (key == QLatin1String("exempt")) {
        r.exempt.clear();
        for (const QString& id : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            r.exempt.insert(id.trimmed());
    } else {
        QStringList names = settingNames();
        names << QStringLiteral("exempt");
        return fail(
            error,
            QStringLiteral("%1: no such setting (the settings: %2)").arg(name, names.join(QStringLiteral(", "))));
    }
    *rules = r;
    return true;
}

QString problem(const Rules& r)
{
    if (r.doubleTime() && !r.daily())
        return QCoreApplication::translate(
            "PayRules", "Double time needs a daily overtime rule (after N hours a day, or daily and weekly).");
    if (r.doubleTime() && r.doubleAfter <= r.dailyAfter)
        return QCoreApplication::translate("PayRules", "Double time must start after daily overtime (%1 hours).")
            .arg(number(r.dailyAfter));
    if (r.mealMinutes > 0 && r.overtime == OvertimeRule::PerPair)
        return QCoreApplication::translate("PayRules", "A meal deduction needs a daily or weekly overtime rule.");
    if (r.period != PayPeriod::None && !r.periodStart.isValid())
        return QCoreApplication::translate("PayRules", "A pay period needs its first day.");
    return QString();
}

QString toText(const Rules& rules)
{
    QJsonObject object;
    for (const auto& [name, value] : settings(rules))
        if (name != QLatin1String("exempt"))
            object.insert(name, value);
    QJsonObject holidays;
    for (auto it = rules.holidays.cbegin(); it != rules.holidays.cend(); ++it)
        holidays.insert(ValueForms::storeDate(it.key()), it.value());
    object.insert(QStringLiteral("holidays"), holidays);
    QStringList exempt(rules.exempt.cbegin(), rules.exempt.cend());
    exempt.sort();
    object.insert(QStringLiteral("exempt"), QJsonArray::fromStringList(exempt));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool fromText(const QString& text, Rules* rules, QString* error)
{
    Rules r;
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    if (object.isEmpty() && !text.trimmed().isEmpty())
        return fail(error, QCoreApplication::translate("PayRules", "The stored pay rules cannot be read."));
    for (const QString& name : settingNames()) {
        if (object.contains(name) && !set(&r, name, object.value(name).toString(), error))
            return false;
    }
    const QJsonObject holidays = object.value(QStringLiteral("holidays")).toObject();
    for (auto it = holidays.begin(); it != holidays.end(); ++it)
        r.holidays.insert(QDate::fromString(it.key(), Qt::ISODate), it.value().toString());
    for (const QJsonValue id : object.value(QStringLiteral("exempt")).toArray())
        r.exempt.insert(id.toString());
    *rules = r;
    return true;
}

bool load(Rules* rules, QString* error)
{
    Rules r;
    if (!hasTable(QStringLiteral("pay_rules"))) {
        *rules = r;
        return true;
    }
    Query query;
    if (!exec(query,
              QStringLiteral("SELECT ") + settingNames().join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM pay_rules ORDER BY id LIMIT 1"),
              {}, error))
        return false;
    if (query.next()) {
        for (int i = 0; i < settingNames().size(); ++i) {
            if (!query.isNull(i) && !set(&r, settingNames().at(i), query.text(i), error))
                return false;
        }
    }
    Query holidays;
    if (!exec(holidays, QStringLiteral("SELECT day, name FROM holiday"), {}, error))
        return false;
    while (holidays.next())
        r.holidays.insert(QDate::fromString(holidays.text(0), Qt::ISODate), holidays.text(1));
    Query exempt;
    if (!exec(exempt, QStringLiteral("SELECT emp_id FROM pay_exempt"), {}, error))
        return false;
    while (exempt.next())
        r.exempt.insert(exempt.text(0));
    if (!holidays.error().isEmpty() || !exempt.error().isEmpty())
        return fail(error, holidays.error() + exempt.error());
    *rules = r;
    return true;
}

bool save(const Rules& rules, QString* error)
{
    if (const QString why = problem(rules); !why.isEmpty())
        return fail(error, why);
    Rules stored;
    if (!load(&stored, error))
        return false;
    Transaction transaction;
    if (!transaction.isActive())
        return fail(error, transaction.error());
    // Only changed values are written, so the trail holds what really changed.
    const auto old = settings(stored);
    const auto now = settings(rules);
    QStringList assignments;
    QVariantList binds;
    for (int i = 0; i < now.size(); ++i) {
        if (now[i].first != QLatin1String("exempt") && now[i].second != old[i].second) {
            assignments << now[i].first + QStringLiteral(" = ?");
            binds << now[i].second;
        }
    }
    Query write;
    if (!assignments.isEmpty() &&
        !exec(write, QStringLiteral("UPDATE pay_rules SET ") + assignments.join(QStringLiteral(", ")), binds, error))
        return false;
    for (auto it = stored.holidays.cbegin(); it != stored.holidays.cend(); ++it) {
        if (!rules.holidays.contains(it.key()) &&
            !exec(write, QStringLiteral("DELETE FROM holiday WHERE day = ?"), {ValueForms::storeDate(it.key())}, error))
            return false;
    }
    for (auto it = rules.holidays.cbegin(); it != rules.holidays.cend(); ++it) {
        const QString day = ValueForms::storeDate(it.key());
        if (!stored.holidays.contains(it.key())) {
            if (!exec(write, QStringLiteral("INSERT INTO holiday (day, name) VALUES (?, ?)"), {day, it.value()}, error))
                return false;
        } else if (stored.holidays.value(it.key()) != it.value() &&
                   !exec(write, QStringLiteral("UPDATE holiday SET name = ? WHERE day = ?"), {it.value(), day},
                         error)) {
            return false;
        }
    }
    for (const QString& id : stored.exempt) {
        if (!rules.exempt.contains(id) &&
            !exec(write, QStringLiteral("DELETE FROM pay_exempt WHERE emp_id = ?"), {id}, error))
            return false;
    }
    for (const QString& id : rules.exempt) {
        if (!stored.exempt.contains(id) &&
            !exec(write, QStringLiteral("INSERT INTO pay_exempt (emp_id) VALUES (?)"), {id}, error))
            return false;
    }
    return transaction.commit() || fail(error, transaction.error());
}

QPair<QDate, QDate> periodOf(const Rules& rules, const QDate& day)
{
    if (rules.period == PayPeriod::None || !rules.periodStart.isValid() || !day.isValid())
        return {};
    const QDate start = rules.periodStart;
    switch (rules.period) {
    case PayPeriod::Weekly:
    case PayPeriod::Biweekly: {
        const int length = rules.period == PayPeriod::Weekly ? 7 : 14;
        const qint64 offset = start.daysTo(day);
        const qint64 index = offset >= 0 ? offset / length : -((-offset + length - 1) / length);
        const QDate first = start.addDays(index * length);
        return {first, first.addDays(length - 1)};
    }
    case PayPeriod::Semimonthly:
        if (day.day() <= 15)
            return {QDate(day.year(), day.month(), 1), QDate(day.year(), day.month(), 15)};
        return {QDate(day.year(), day.month(), 16), QDate(day.year(), day.month(), day.daysInMonth())};
    case PayPeriod::Monthly: {
        // Months that start on the first day's day of the month (the last day of shorter months).
        const int startDay = start.day();
        const auto firstIn = [&](int year, int month) {
            const QDate first(year, month, 1);
            return QDate(year, month, qMin(startDay, first.daysInMonth()));
        };
        QDate first = firstIn(day.year(), day.month());
        if (first > day) {
            const QDate before = QDate(day.year(), day.month(), 1).addMonths(-1);
            first = firstIn(before.year(), before.month());
        }
        const QDate after = QDate(first.year(), first.month(), 1).addMonths(1);
        return {first, firstIn(after.year(), after.month()).addDays(-1)};
    }
    case PayPeriod::None:
        break;
    }
    return {};
}

QPair<QDate, QDate> lastCompletePeriod(const Rules& rules, const QDate& today)
{
    const QPair<QDate, QDate> current = periodOf(rules, today);
    if (!current.first.isValid())
        return {};
    return periodOf(rules, current.first.addDays(-1));
}

bool readPaidTimeOff(const QString& empId, const QDate& from, const QDate& to, std::vector<PaidTimeOff>* entries,
                     QString* error)
{
    entries->clear();
    if (!hasTable(QStringLiteral("paid_time_off")))
        return true;
    QString sql =
        QStringLiteral("SELECT emp_id, rsdate, hours, kind FROM paid_time_off WHERE rsdate >= ? AND rsdate <= ?");
    QVariantList binds = {ValueForms::storeDate(from), ValueForms::storeDate(to)};
    if (!empId.isEmpty()) {
        sql += QStringLiteral(" AND emp_id = ?");
        binds << empId;
    }
    Query query;
    if (!exec(query, sql + QStringLiteral(" ORDER BY rsdate, emp_id, kind"), binds, error))
        return false;
    while (query.next()) {
        // IDs match exactly, as everywhere the program compares them.
        if (!empId.isEmpty() && query.text(0) != empId)
            continue;
        entries->push_back({query.text(0), QDate::fromString(query.text(1), Qt::ISODate),
                            int(std::llround(query.number(2) * 60)), query.text(3)});
    }
    return query.error().isEmpty() || fail(error, query.error());
}

namespace {

bool changePaidTimeOff(const QDate& day, const std::function<bool(QString*)>& write, QString* error)
{
    QString message;
    switch (ClosedPeriods::changeTimeRecords({day}, write, &message)) {
    case ClosedPeriods::Outcome::Done:
        return true;
    case ClosedPeriods::Outcome::Refused:
    case ClosedPeriods::Outcome::Failed:
        break;
    }
    return fail(error, message);
}

} // namespace

bool setPaidTimeOff(const PaidTimeOff& entry, QString* error)
{
    if (entry.empId.isEmpty() || !entry.day.isValid() || entry.minutes <= 0 || entry.minutes > 24 * 60 ||
        entry.kind.trimmed().isEmpty())
        return fail(error, QStringLiteral("Paid time off needs an employee ID, a day, hours (more than 0, up to 24) "
                                          "and a kind."));
    const QString day = ValueForms::storeDate(entry.day);
    return changePaidTimeOff(
        entry.day,
        [&](QString* why) {
            Query write;
            return exec(write, QStringLiteral("DELETE FROM paid_time_off WHERE emp_id = ? AND rsdate = ? AND kind = ?"),
                        {entry.empId, day, entry.kind.trimmed()}, why) &&
                   exec(write,
                        QStringLiteral("INSERT INTO paid_time_off (emp_id, rsdate, hours, kind) VALUES (?, ?, ?, ?)"),
                        {entry.empId, day, entry.minutes / 60.0, entry.kind.trimmed()}, why);
        },
        error);
}

bool removePaidTimeOff(const QString& empId, const QDate& day, const QString& kind, QString* error)
{
    return changePaidTimeOff(
        day,
        [&](QString* why) {
            Query write;
            QString sql = QStringLiteral("DELETE FROM paid_time_off WHERE emp_id = ? AND rsdate = ?");
            QVariantList binds = {empId, ValueForms::storeDate(day)};
            if (!kind.isEmpty()) {
                sql += QStringLiteral(" AND kind = ?");
                binds << kind;
            }
            return exec(write, sql, binds, why);
        },
        error);
}

ClosedPeriods::Outcome closePeriod(const QDate& through, QString* message)
{
    Rules rules;
    if (QString why; !load(&rules, &why)) {
        *message = why;
        return ClosedPeriods::Outcome::Failed;
    }
    return ClosedPeriods::close(through, toText(rules), message);
}

} // namespace Pay

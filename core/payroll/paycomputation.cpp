#include "core/payroll/paycomputation.h"

#include "core/valueforms.h"

#include <QTime>
#include <cmath>

namespace Pay {

namespace {

QTime timeOf(const QVariant& value)
{
    if (value.isNull())
        return QTime();
    if (value.typeId() == QMetaType::QTime)
        return value.toTime();
    return ValueForms::storedTime(value.toString());
}

} // namespace

double round4(double hours)
{
    // Scaling gives the same 4 decimals as the text form, and is much cheaper, unless the value lies
    // within a hair of a tie; those few go through the text form itself.
    const double scaled = hours * 10000;
    const double fraction = scaled - std::floor(scaled);
    if (std::isfinite(scaled) && std::abs(scaled) < 1e12 && std::abs(fraction - 0.5) > 1e-6)
        return std::round(scaled) / 10000;
    return QString::number(hours, 'f', 4).toDouble();
}

bool pairCounts(bool inStored)
{
    return inStored;
}

PairHours pairHours(const QVariant& in, const QVariant& out)
{
    return pairHours(timeOf(in), timeOf(out));
}

PairHours pairHours(const QTime& from, const QTime& to)
{
    PairHours pair;
    if (!from.isValid() || !to.isValid() || to < from)
        return pair;
    const int minutes = from.secsTo(to) / 60;
    const int wholeHours = minutes / 60;
    pair.raw = wholeHours + (minutes % 60) / 60.0;
    pair.hours = round4(pair.raw);
    if (pair.raw > kRegularHoursPerPair) {
        pair.regular = kRegularHoursPerPair;
        pair.overtime = round4(pair.raw - kRegularHoursPerPair);
    } else {
        pair.regular = pair.hours;
    }
    return pair;
}

void Totals::add(const PairHours& pair)
{
    work += pair.hours;
    regular += pair.regular;
    overtime += pair.overtime;
}

double wage(const QVariant& stored)
{
    return stored.isNull() ? 0.0 : stored.toDouble();
}

Earnings detailEarnings(const Totals& totals, double regWage, double otWage)
{
    Earnings earnings;
    earnings.regular = totals.regular * regWage;
    earnings.overtime = totals.overtime * otWage;
    earnings.total = earnings.regular + earnings.overtime;
    return earnings;
}

Earnings summaryEarnings(const Totals& totals, double regWage, double otWage)
{
    Earnings earnings;
    earnings.regular = round4(totals.regular) * regWage;
    earnings.overtime = round4(totals.overtime) * otWage;
    earnings.total = earnings.overtime + earnings.regular;
    return earnings;
}

} // namespace Pay

// ---- The pay computation under the rules -------------------------------------------------------------------

#include "core/store/query.h"

#include <QSqlRecord>
#include <algorithm>

namespace Pay {

namespace {

constexpr int kDayMinutes = 24 * 60;

int minuteOf(const QTime& time)
{
    return time.hour() * 60 + time.minute();
}

// The nearest multiple of the step, a tie rounding up (seconds are dropped before).
int rounded(int minute, int step)
{
    return step > 0 ? (2 * minute + step) / (2 * step) * step : minute;
}

qint64 minutesOfHours(double hours)
{
    return std::llround(hours * 60);
}

// Four-decimal fixed point of a wage or multiplier.
qint64 fixed4(double value)
{
    return std::llround(value * 10000);
}

// The minutes of [from, from + length) that fall into [low, high).
qint64 overlap(qint64 from, qint64 length, qint64 low, qint64 high)
{
    return std::max<qint64>(0, std::min(from + length, high) - std::max(from, low));
}

} // namespace

qint64 Minutes::worked() const
{
    return by[0] + by[1] + by[2] + by[3];
}

qint64 Minutes::paid() const
{
    return worked() + by[4];
}

Minutes& Minutes::operator+=(const Minutes& other)
{
    for (std::size_t i = 0; i < by.size(); ++i)
        by[i] += other.by[i];
    return *this;
}

Money& Money::operator+=(const Money& other)
{
    for (std::size_t i = 0; i < by.size(); ++i)
        by[i] += other.by[i];
    total += other.total;
    return *this;
}

double hoursOf(qint64 minutes)
{
    const qint64 wholeHours = minutes / 60;
    return round4(double(wholeHours) + double(minutes % 60) / 60.0);
}

qint64 centsOf(qint64 minutes, double wage, double multiplier)
{
    // minutes x wage/10^4 x multiplier/10^4 / 60 hours, in cents: exact in 128 bits, rounded once.
    __extension__ using Wide = __int128;
    const Wide numerator = Wide(minutes) * fixed4(wage) * fixed4(multiplier);
    const Wide denominator = Wide(60) * 10000 * 10000 / 100;
    const Wide magnitude = (numerator < 0 ? -numerator : numerator);
    const Wide cents = (2 * magnitude + denominator) / (2 * denominator);
    return qint64(numerator < 0 ? -cents : cents);
}

Money earningsOf(const Minutes& minutes, const Rules& rules, const Wages& wages)
{
    Money money;
    money.by[std::size_t(HourType::Regular)] = centsOf(minutes[HourType::Regular], wages.regular);
    money.by[std::size_t(HourType::Overtime)] = centsOf(minutes[HourType::Overtime], wages.overtime);
    money.by[std::size_t(HourType::DoubleTime)] =
        centsOf(minutes[HourType::DoubleTime], wages.regular, rules.doubleRate);
    money.by[std::size_t(HourType::Holiday)] =
        rules.holidayPay == HolidayPay::Rate ? centsOf(minutes[HourType::Holiday], wages.regular, rules.holidayRate)
                                             : centsOf(minutes[HourType::Holiday], wages.overtime);
    money.by[std::size_t(HourType::PaidTimeOff)] = centsOf(minutes[HourType::PaidTimeOff], wages.regular);
    for (qint64 cents : money.by)
        money.total += cents;
    return money;
}

Result compute(const Input& input)
{
    const Rules& rules = input.rules;
    const bool perPair = rules.overtime == OvertimeRule::PerPair;
    Result result;

    // Every pair that takes part, with the minutes it counts, day by day.
    std::vector<PairResult> pairs;
    for (int r = 0; r < int(input.rows.size()); ++r) {
        const SheetRow& row = input.rows[std::size_t(r)];
        if (row.day > input.to)
            continue;
        for (int slot = 0; slot < 3; ++slot) {
            const QTime in = row.in[std::size_t(slot)];
            if (!pairCounts(row.hasIn[std::size_t(slot)] || in.isValid()))
                continue;
            PairResult pair;
            pair.day = row.day;
            pair.slot = slot;
            pair.row = r;
            QTime out = row.out[std::size_t(slot)];
            pair.open = !out.isValid();
            int extraDays = 0;
            if (pair.open && input.openUntil) {
                const qint64 daysLater = row.day.daysTo(input.openUntil->date());
                const QTime until = input.openUntil->time();
                if (daysLater == 0 && until >= in) {
                    out = until;
                    pair.countedToNow = true;
                } else if (daysLater == 1 && rules.nightShiftHours > 0 && until < in &&
                           in.secsTo(QTime(23, 59, 59)) + 1 + QTime(0, 0).secsTo(until) <=
                               qint64(rules.nightShiftHours * 3600)) {
                    out = until;
                    pair.countedToNow = true;
                    extraDays = 1;
                }
            }
            // An out of exactly 00:00:00 is the editor's old blank box, never a shift across midnight.
            if (in.isValid() && out.isValid() && out < in && out != QTime(0, 0) && rules.nightShiftHours > 0 &&
                extraDays == 0 &&
                QDateTime(row.day, in).secsTo(QDateTime(row.day.addDays(1), out)) <=
                    qint64(rules.nightShiftHours * 3600))
                extraDays = 1;
            // The span as the per-pair rule always counted it: seconds dropped from the span, not the punches.
            if (in.isValid() && out.isValid() && (out >= in || extraDays > 0)) {
                pair.acrossMidnight = extraDays > 0;
                if (rules.roundMinutes > 0) {
                    pair.countedIn = rounded(minuteOf(in), rules.roundMinutes);
                    pair.countedOut = rounded(minuteOf(out), rules.roundMinutes) + extraDays * kDayMinutes;
                    pair.minutes = std::max(0, pair.countedOut - pair.countedIn);
                } else {
                    // Across midnight, the time that really passed: a night with a clock change counts the
                    // hours worked.
                    const qint64 seconds = extraDays > 0
                                               ? QDateTime(row.day, in).secsTo(QDateTime(row.day.addDays(1), out))
                                               : in.secsTo(out);
                    pair.countedIn = minuteOf(in);
                    pair.countedOut = pair.countedIn + int(seconds / 60);
                    pair.minutes = seconds / 60;
                }
            }
            if (!pair.open && !pair.acrossMidnight && rules.roundMinutes == 0)
                pair.legacy = pairHours(in, out);
            else if (pair.minutes > 0)
                pair.legacy = {double(pair.minutes) / 60, hoursOf(pair.minutes),
                               pair.minutes > 240 ? kRegularHoursPerPair : hoursOf(pair.minutes),
                               pair.minutes > 240 ? hoursOf(pair.minutes - 240) : 0.0};
            pairs.push_back(pair);
        }
    }
    // Hours are counted in time order; the per-pair rule keeps the order of the rows, as its listing always had.
    if (!perPair)
        std::stable_sort(pairs.begin(), pairs.end(), [](const PairResult& a, const PairResult& b) {
            if (a.day != b.day)
                return a.day < b.day;
            return a.countedIn < b.countedIn;
        });

    // Meal deductions, before any threshold: from the day's last pair back.
    if (rules.mealMinutes > 0 && !perPair) {
        for (std::size_t first = 0; first < pairs.size();) {
            std::size_t end = first;
            qint64 worked = 0;
            bool hadBreak = false;
            int lastOut = -1;
            for (; end < pairs.size() && pairs[end].day == pairs[first].day; ++end) {
                worked += pairs[end].minutes;
                if (pairs[end].minutes > 0) {
                    if (lastOut >= 0 && pairs[end].countedIn - lastOut >= rules.mealMinutes)
                        hadBreak = true;
                    lastOut = pairs[end].countedOut;
                }
            }
            if (worked > minutesOfHours(rules.mealAfter) && !hadBreak) {
                qint64 left = rules.mealMinutes;
                for (std::size_t i = end; i-- > first && left > 0;) {
                    const qint64 taken = std::min(left, pairs[i].minutes);
                    pairs[i].minutes -= taken;
                    pairs[i].mealMinutes = taken;
                    left -= taken;
                }
            }
            first = end;
        }
    }

    // The thresholds.
    const qint64 daily = rules.daily() ? minutesOfHours(rules.dailyAfter) : std::numeric_limits<qint64>::max() / 4;
    const qint64 doubleAfter = rules.doubleTime() && rules.daily() ? minutesOfHours(rules.doubleAfter)
                                                                   : std::numeric_limits<qint64>::max() / 4;
    const qint64 weekly = minutesOfHours(rules.weeklyAfter);
    QDate day, week;
    qint64 dayMinutes = 0, weekRegular = 0;
    for (PairResult& pair : pairs) {
        if (pair.day != day) {
            day = pair.day;
            dayMinutes = 0;
        }
        if (rules.weekly() && rules.weekOf(pair.day) != week) {
            week = rules.weekOf(pair.day);
            weekRegular = 0;
        }
        const qint64 m = pair.minutes;
        if (input.exempt) {
            pair.split[HourType::Regular] = m;
        } else if (rules.isHoliday(pair.day)) {
            pair.split[HourType::Holiday] = m;
        } else if (perPair) {
            pair.split[HourType::Regular] = std::min<qint64>(m, 240);
            pair.split[HourType::Overtime] = m - pair.split[HourType::Regular];
        } else {
            qint64 regular = overlap(dayMinutes, m, 0, std::min(daily, doubleAfter));
            pair.split[HourType::Overtime] = overlap(dayMinutes, m, daily, doubleAfter);
            pair.split[HourType::DoubleTime] = overlap(dayMinutes, m, doubleAfter, std::numeric_limits<qint64>::max());
            if (rules.weekly()) {
                const qint64 over = overlap(weekRegular, regular, weekly, std::numeric_limits<qint64>::max());
                weekRegular += regular;
                regular -= over;
                pair.split[HourType::Overtime] += over;
            }
            pair.split[HourType::Regular] = regular;
        }
        dayMinutes += m;
    }

    // What is listed: the range's days, of the site when one is chosen; paid time off by day.
    const auto listed = [&](const PairResult& pair) {
        if (pair.day < input.from)
            return false;
        return input.site.isEmpty() ||
               input.rows[std::size_t(pair.row)].site.compare(input.site, Qt::CaseInsensitive) == 0;
    };
    // Pairs come in day order; the days are built as they go, paid time off merged in by day.
    // Paid time off belongs to no site: a report of one site leaves it out, so no site report pays it twice.
    std::vector<const PaidTimeOff*> timeOff;
    for (const PaidTimeOff& entry : input.paidTimeOff)
        if (entry.day >= input.from && entry.day <= input.to && input.site.isEmpty())
            timeOff.push_back(&entry);
    std::stable_sort(timeOff.begin(), timeOff.end(),
                     [](const PaidTimeOff* a, const PaidTimeOff* b) { return a->day < b->day; });
    std::size_t nextOff = 0;
    const auto dayFor = [&](const QDate& day) -> DayResult& {
        if (result.days.empty() || result.days.back().day != day) {
            DayResult dayResult;
            dayResult.day = day;
            dayResult.holiday = rules.isHoliday(day);
            result.days.push_back(std::move(dayResult));
        }
        return result.days.back();
    };
    const auto addTimeOffUntil = [&](const QDate& day) {
        for (; nextOff < timeOff.size() && timeOff[nextOff]->day <= day; ++nextOff) {
            const PaidTimeOff& entry = *timeOff[nextOff];
            DayResult& dayResult = dayFor(entry.day);
            dayResult.minutes[HourType::PaidTimeOff] += entry.minutes;
            dayResult.paidTimeOff.push_back(entry);
            result.totals[HourType::PaidTimeOff] += entry.minutes;
            result.paidTimeOffByKind[entry.kind] += entry.minutes;
        }
    };
    result.pairs.reserve(pairs.size());
    for (const PairResult& pair : pairs) {
        if (pair.day < input.from)
            result.readEarlierDays = true;
        if (!listed(pair))
            continue;
        addTimeOffUntil(pair.day.addDays(-1));
        result.pairs.push_back(pair);
        result.totals += pair.split;
        result.legacyTotals.add(pair.legacy);
        dayFor(pair.day).minutes += pair.split;
    }
    addTimeOffUntil(input.to);
    result.earnings = earningsOf(result.totals, rules, input.wages);
    return result;
}

// ---- Reading what the computation needs --------------------------------------------------------------------

namespace {

bool failed(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// A stored day, "yyyy-MM-dd" (anything after it ignored), read without a detour through QString.
QDate dayOf(QByteArrayView text)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return QDate::fromString(QString::fromUtf8(text), Qt::ISODate);
    const auto digits = [&](int at, int count) {
        int value = 0;
        for (int i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    return QDate(digits(0, 4), digits(5, 2), digits(8, 2));
}

// The timesheet rows the computation reads: in1, out1, in2, out2, in3, out3 and rsdate, then the site when it
// chooses what is listed (thresholds count every site). For many employees at once the employee's ID comes first
// and the row's id last.
QString sheetsSql(const Calculator::Options& options, const QString& employee, const QString& order,
                  bool manyEmployees = false)
{
    return QStringLiteral("SELECT ") + (manyEmployees ? QStringLiteral("emp_id, ") : QString()) +
           QStringLiteral("in1, out1, in2, out2, in3, out3, rsdate") +
           (options.site.isEmpty() ? QString() : QStringLiteral(", site")) +
           (manyEmployees ? QStringLiteral(", id") : QString()) + QStringLiteral(" FROM timesheet WHERE ") + employee +
           QStringLiteral("rsdate >= ? AND rsdate <= ? ORDER BY ") + order;
}

// The row of sheetsSql whose first time is in column `first`.
SheetRow sheetRowOf(const Query& sheets, int first, const Calculator::Options& options)
{
    SheetRow row;
    row.day = dayOf(sheets.utf8(first + 6));
    if (!options.site.isEmpty() && !sheets.isNull(first + 7))
        row.site = sheets.text(first + 7);
    if (options.keepStored)
        row.dayStored = sheets.value(first + 6);
    for (int slot = 0; slot < 3; ++slot) {
        const int in = first + 2 * slot;
        row.hasIn[std::size_t(slot)] = !sheets.isNull(in);
        if (row.hasIn[std::size_t(slot)])
            row.in[std::size_t(slot)] = ValueForms::storedTime(sheets.utf8(in));
        if (!sheets.isNull(in + 1))
            row.out[std::size_t(slot)] = ValueForms::storedTime(sheets.utf8(in + 1));
        if (options.keepStored) {
            row.inStored[std::size_t(slot)] = sheets.value(in);
            row.outStored[std::size_t(slot)] = sheets.value(in + 1);
        }
    }
    return row;
}

} // namespace

bool Calculator::load(QString* error)
{
    m_closed.clear();
    if (!Pay::load(&m_current, error))
        return false;
    if (!gConn.tables().contains(QStringLiteral("closed_period"), Qt::CaseInsensitive))
        return true;
    const bool kept = gConn.record(QStringLiteral("closed_period")).contains(QStringLiteral("pay_rules"));
    Query closes;
    if (!closes.exec(kept
                         ? QStringLiteral("SELECT closed_through, pay_rules FROM closed_period ORDER BY closed_through")
                         : QStringLiteral("SELECT closed_through FROM closed_period ORDER BY closed_through")))
        return failed(error, closes.error());
    QDate previous;
    while (closes.next()) {
        Closed closed;
        closed.through = QDate::fromString(closes.text(0).left(10), Qt::ISODate);
        closed.from = previous.isValid() ? previous.addDays(1) : QDate();
        if (kept && !fromText(closes.text(1), &closed.rules, error))
            return false;
        previous = closed.through;
        m_closed.push_back(std::move(closed));
    }
    if (!closes.error().isEmpty())
        return failed(error, closes.error());
    m_anyPaidTimeOff = false;
    if (gConn.tables().contains(QStringLiteral("paid_time_off"), Qt::CaseInsensitive)) {
        Query any;
        if (!any.exec(QStringLiteral("SELECT 1 FROM paid_time_off LIMIT 1")))
            return failed(error, any.error());
        m_anyPaidTimeOff = any.next();
    }
    if (kept) {
        Query wages;
        if (!wages.exec(QStringLiteral("SELECT closed_through, emp_id, reg_wage, ot_wage FROM closed_period_wage")))
            return failed(error, wages.error());
        while (wages.next()) {
            const QDate through = QDate::fromString(wages.text(0).left(10), Qt::ISODate);
            for (Closed& closed : m_closed)
                if (closed.through == through)
                    closed.wages.insert(wages.text(1), {wage(wages.value(2)), wage(wages.value(3))});
        }
        if (!wages.error().isEmpty())
            return failed(error, wages.error());
    }
    return true;
}

const Calculator::Closed* Calculator::closedOn(const QDate& day) const
{
    for (const Closed& closed : m_closed)
        if (day <= closed.through && (!closed.from.isValid() || day >= closed.from))
            return &closed;
    return nullptr;
}

const Rules& Calculator::rulesOn(const QDate& day) const
{
    const Closed* closed = closedOn(day);
    return closed ? closed->rules : m_current;
}

bool Calculator::changesPay(const QDate& from, const QDate& to) const
{
    if ((m_closed.empty() || to > m_closed.back().through) && m_current.changesPay())
        return true;
    for (const Closed& closed : m_closed)
        if (closed.through >= from && (!closed.from.isValid() || closed.from <= to) && closed.rules.changesPay())
            return true;
    return false;
}

bool Calculator::wagesOn(const QString& empId, const QDate& day, Wages* wages, bool* found, QString* error) const
{
    if (const Closed* closed = closedOn(day); closed && !closed->wages.isEmpty()) {
        *found = closed->wages.contains(empId);
        *wages = closed->wages.value(empId);
        return true;
    }
    Query query;
    if (!query.exec(QStringLiteral("SELECT reg_wage, ot_wage FROM employee WHERE emp_id = ?"), {empId}))
        return failed(error, query.error());
    *found = query.next();
    *wages = *found ? Wages{wage(query.value(0)), wage(query.value(1))} : Wages();
    return query.error().isEmpty() || failed(error, query.error());
}

bool Calculator::compute(const QString& empId, const QDate& from, const QDate& to, Result* result, QString* error,
                         const Options& options) const
{
    *result = Result();
    const std::vector<Stretch> stretches = stretchesOf(from, to);
    if (options.wages) {
        result->wages = *options.wages;
        result->wagesFound = options.wagesFound;
    }

    for (const Stretch& stretch : stretches) {
        Input input;
        input.rules = stretch.closed ? stretch.closed->rules : m_current;
        input.from = stretch.from;
        input.to = stretch.to;
        input.site = options.site;
        input.openUntil = options.openUntil;
        input.exempt = input.rules.exempt.contains(empId);
        bool found = false;
        if (options.wages && !(stretch.closed && !stretch.closed->wages.isEmpty())) {
            input.wages = *options.wages;
            found = options.wagesFound;
        } else if (!wagesOn(empId, stretch.from, &input.wages, &found, error)) {
            return false;
        }
        if (&stretch == &stretches.front()) {
            result->wages = input.wages;
            result->wagesFound = found;
        } else if (input.wages.regular != result->wages.regular || input.wages.overtime != result->wages.overtime ||
                   found != result->wagesFound) {
            result->mixedWages = true;
        }
        if (options.rows) {
            for (const SheetRow& row : *options.rows)
                if (row.day >= stretch.readFrom && row.day <= stretch.to)
                    input.rows.push_back(row);
        } else {
            Query sheets;
            if (!sheets.exec(sheetsSql(options, QStringLiteral("emp_id = ? AND "), QStringLiteral("rsdate, id")),
                             {empId, ValueForms::storeDate(stretch.readFrom), ValueForms::storeDate(stretch.to)}))
                return failed(error, sheets.error());
            while (sheets.next())
                input.rows.push_back(sheetRowOf(sheets, 0, options));
            if (!sheets.error().isEmpty())
                return failed(error, sheets.error());
        }
        if (m_anyPaidTimeOff && !readPaidTimeOff(empId, stretch.from, stretch.to, &input.paidTimeOff, error))
            return false;

        Result part = Pay::compute(input);
        if (!options.keepPairs) {
            part.pairs.clear();
            input.rows.clear();
        }
        const int base = int(result->rows.size());
        for (PairResult& pair : part.pairs) {
            pair.row += base;
            result->pairs.push_back(pair);
        }
        for (SheetRow& row : input.rows)
            result->rows.push_back(std::move(row));
        for (DayResult& day : part.days)
            result->days.push_back(std::move(day));
        result->totals += part.totals;
        for (auto it = part.paidTimeOffByKind.cbegin(); it != part.paidTimeOffByKind.cend(); ++it)
            result->paidTimeOffByKind[it.key()] += it.value();
        result->earnings += part.earnings;
        result->legacyTotals.work += part.legacyTotals.work;
        result->legacyTotals.regular += part.legacyTotals.regular;
        result->legacyTotals.overtime += part.legacyTotals.overtime;
        result->readEarlierDays = result->readEarlierDays || part.readEarlierDays;
    }
    return true;
}

std::vector<Calculator::Stretch> Calculator::stretchesOf(const QDate& from, const QDate& to) const
{
    std::vector<Stretch> stretches;
    const auto add = [&](const QDate& first, const QDate& last, const Closed* closed) {
        const Rules& rules = closed ? closed->rules : m_current;
        stretches.push_back({first, last, closed, rules.weekly() ? rules.weekOf(first) : first});
    };
    QDate next = from;
    for (const Closed& closed : m_closed) {
        if (next > to)
            break;
        if (closed.through < next)
            continue;
        add(next, std::min(closed.through, to), &closed);
        next = closed.through.addDays(1);
    }
    if (next <= to)
        add(next, to, nullptr);
    return stretches;
}

bool IdForms::formOf(QByteArrayView id, QString* form, QString* error)
{
    if (const auto found = m_forms.constFind(id.toByteArray()); found != m_forms.cend()) {
        *form = *found;
        return true;
    }
    Query lower;
    if (!lower.exec(QStringLiteral("SELECT lower(CAST(? AS TEXT))"), {QString::fromUtf8(id)}) || !lower.next())
        return failed(error, lower.error());
    *form = lower.text(0);
    m_forms.insert(id.toByteArray(), *form);
    return true;
}

bool Calculator::readSheets(const QDate& from, const QDate& to, const Options& options, IdForms& ids,
                            const EmployeeRows& each, QString* error) const
{
    const std::vector<Stretch> stretches = stretchesOf(from, to);
    if (stretches.empty())
        return true;
    QDate readFrom = stretches.front().readFrom;
    for (const Stretch& stretch : stretches)
        readFrom = std::min(readFrom, stretch.readFrom);

    // In the order of the employees' index, so the server sorts nothing; each employee's rows are put in the
    // order one employee's read has (by day, then as they were added) here.
    Query sheets;
    if (!sheets.execInBatches(sheetsSql(options, QString(), QStringLiteral("emp_id, rsdate"), true),
                              {ValueForms::storeDate(readFrom), ValueForms::storeDate(to)}))
        return failed(error, sheets.error());
    const int idColumn = options.site.isEmpty() ? 8 : 9;
    QByteArray lastId;
    QString key;
    bool any = false;
    std::vector<std::pair<qint64, SheetRow>> read;
    std::vector<SheetRow> rows;
    const auto hand = [&] {
        if (!any)
            return true;
        const auto before = [](const std::pair<qint64, SheetRow>& a, const std::pair<qint64, SheetRow>& b) {
            return a.second.day != b.second.day ? a.second.day < b.second.day : a.first < b.first;
        };
        if (!std::is_sorted(read.begin(), read.end(), before))
            std::sort(read.begin(), read.end(), before);
        rows.clear();
        for (auto& [id, row] : read)
            rows.push_back(std::move(row));
        read.clear();
        return each(key, rows);
    };
    while (sheets.next()) {
        if (const QByteArrayView id = sheets.utf8(0); !any || id != lastId) {
            QString next;
            if (!ids.formOf(id, &next, error))
                return false;
            if (!any || next != key) {
                if (!hand())
                    return false;
                key = next;
                any = true;
            }
            lastId = id.toByteArray();
        }
        read.emplace_back(qint64(sheets.number(idColumn)), sheetRowOf(sheets, 1, options));
    }
    if (!sheets.error().isEmpty())
        return failed(error, sheets.error());
    return hand();
}

bool computeFor(const QString& empId, const QDate& from, const QDate& to, Result* result, QString* error,
                const Calculator::Options& options)
{
    Calculator calculator;
    return calculator.load(error) && calculator.compute(empId, from, to, result, error, options);
}

} // namespace Pay

#pragma once

#include "core/audit/closedperiods.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

// The pay rules an owner sets: how hours become regular, overtime, double time and holiday hours. They are
// kept in the database (one row of `pay_rules`, plus the tables `holiday` and `pay_exempt`), every change
// recorded by the audit trail with its old and new values. At their defaults they are the per-pair rule the
// reports always used: up to 4 hours of each in/out pair are regular, the rest is overtime.
//
// Each setting has a name and a text value, the same in the database, on the command line
// (`qorvil-report rules --set NAME=VALUE`) and in what a closed pay period keeps.
namespace Pay {

enum class OvertimeRule {
    PerPair,     // "pair": after 4 hours of one in/out pair (the default)
    Daily,       // "daily": after daily_after hours a day
    Weekly,      // "weekly": after weekly_after hours a week
    DailyWeekly, // "daily-weekly": daily first, then weekly over the remaining regular hours
};

enum class HolidayPay {
    Ordinary,     // "0": a holiday is an ordinary day (the default)
    OvertimeWage, // "ot": every hour worked on a holiday at the overtime wage
    Rate,         // a multiplier of the regular wage
};

enum class PayPeriod { None, Weekly, Biweekly, Semimonthly, Monthly };

struct Rules
{
    OvertimeRule overtime = OvertimeRule::PerPair;
    double dailyAfter = 8;   // hours a day (daily rules)
    double weeklyAfter = 40; // hours a week (weekly rules)
    Qt::DayOfWeek weekStart = Qt::Sunday;
    double doubleAfter = 0;  // hours a day after which hours are double time; 0 = off (daily rules only)
    double doubleRate = 2.0; // double time's multiplier of the regular wage
    int roundMinutes = 0;    // punch times rounded to the nearest 5, 6, 10 or 15 minutes; 0 = off
    int mealMinutes = 0;     // deducted once a day's worked time passes mealAfter hours; 0 = off
    double mealAfter = 6;
    HolidayPay holidayPay = HolidayPay::Ordinary;
    double holidayRate = 0; // with HolidayPay::Rate
    PayPeriod period = PayPeriod::None;
    QDate periodStart;             // the first day of a pay period (any one)
    double nightShiftHours = 0;    // a pair whose out is before its in counts across midnight when the span
                                   // is at most this long; 0 = off (such a pair counts 0 hours)
    double longPairHours = 12;     // a pair longer than this is worth a look (exceptions)
    QMap<QDate, QString> holidays; // day -> name
    QSet<QString> exempt;          // employee IDs paid every hour as regular (exact IDs)

    // Whether any setting that changes pay differs from its default; with none, every report is as it always was.
    bool changesPay() const;
    bool weekly() const { return overtime == OvertimeRule::Weekly || overtime == OvertimeRule::DailyWeekly; }
    bool daily() const { return overtime == OvertimeRule::Daily || overtime == OvertimeRule::DailyWeekly; }
    bool doubleTime() const { return doubleAfter > 0; }
    bool holidaysPaid() const { return holidayPay != HolidayPay::Ordinary; }
    bool isHoliday(const QDate& day) const { return holidaysPaid() && holidays.contains(day); }

    // The first day of the week that holds the day.
    QDate weekOf(const QDate& day) const;
    // The overtime rule in words, for a report's heading ("Overtime after 8 hours a day", ...).
    QString describe() const;

    bool operator==(const Rules& other) const;
};

// The settings by name, in the order `qorvil-report rules` prints them, values in their text form.
QList<QPair<QString, QString>> settings(const Rules& rules);
// Changes one setting from its text form; false with the reason (naming the setting and what it takes) when the
// name is unknown or the value cannot be read. The rules are left as they were on failure.
bool set(Rules* rules, const QString& name, const QString& value, QString* error);
// Why the combination cannot be used (double time without a daily rule, a meal deduction under the per-pair
// rule), or an empty text.
QString problem(const Rules& rules);
// Every setting, holiday and exempt employee as one text, and back: what a closed pay period keeps.
QString toText(const Rules& rules);
bool fromText(const QString& text, Rules* rules, QString* error);

// The rules in force on gConn. A database made before pay rules existed has the defaults.
bool load(Rules* rules, QString* error);
// Stores the rules in force (refused when problem() is not empty), in one transaction; the audit trail records
// each changed setting, holiday and exempt employee with its old and new value.
bool save(const Rules& rules, QString* error);

// The pay period that holds the day, and the last one complete before the day; invalid dates without a period.
QPair<QDate, QDate> periodOf(const Rules& rules, const QDate& day);
QPair<QDate, QDate> lastCompletePeriod(const Rules& rules, const QDate& today);

// Paid time off: hours not worked but paid (a paid holiday, vacation, sick), per employee, day and kind.
struct PaidTimeOff
{
    QString empId;
    QDate day;
    int minutes = 0;
    QString kind;
};
// Each employee's entries from the first day to the last one; of one employee when empId is not empty.
bool readPaidTimeOff(const QString& empId, const QDate& from, const QDate& to, std::vector<PaidTimeOff>* entries,
                     QString* error);
// Adds an entry, or replaces the one of that employee, day and kind. Refused on a day of a closed pay period.
bool setPaidTimeOff(const PaidTimeOff& entry, QString* error);
// Closes every day up to and including the date under the rules in force (ClosedPeriods::close).
ClosedPeriods::Outcome closePeriod(const QDate& through, QString* message);

// Removes the employee's entries of the day (of one kind when kind is not empty). Refused as setPaidTimeOff.
bool removePaidTimeOff(const QString& empId, const QDate& day, const QString& kind, QString* error);

} // namespace Pay

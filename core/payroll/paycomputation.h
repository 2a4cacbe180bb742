#pragma once

#include "core/payroll/payrules.h"

#include <QDateTime>
#include <QHash>
#include <QTime>
#include <QVariant>
#include <array>
#include <functional>
#include <optional>
#include <vector>

// The arithmetic that turns in/out pairs into worked, regular and overtime hours and earnings. With the pay
// rules at their defaults, overtime is decided per pair: up to 4 hours of a pair are regular, the rest is
// overtime, in the 4-decimal hours below. Under other rules, compute() further down does the work in exact
// minutes and integer cents. Reports, exports, exceptions and the hours shown at terminals all use it.
namespace Pay {

inline constexpr double kRegularHoursPerPair = 4.0;

// Rounds hours to 4 decimals the way the reports always have: through the text form "####.####".
double round4(double hours);

struct PairHours
{
    double raw = 0;      // whole minutes of the span, as hours
    double hours = 0;    // raw rounded to 4 decimals
    double regular = 0;  // at most 4
    double overtime = 0; // what lies beyond 4, rounded to 4 decimals
};

// Hours of one pair. Seconds are dropped from the span, not from the punches. A pair without an out time,
// or whose out time is earlier than its in time, counts 0 hours, so it shows up for correction instead of
// being paid by guesswork.
PairHours pairHours(const QVariant& in, const QVariant& out);
PairHours pairHours(const QTime& in, const QTime& out);

// Whether a pair takes part at all: only its in time decides, by being there.
bool pairCounts(bool inStored);
inline bool pairCounts(const QVariant& in)
{
    return pairCounts(!in.isNull());
}

struct Totals
{
    double work = 0;
    double regular = 0;
    double overtime = 0;

    void add(const PairHours& pair);
};

struct Earnings
{
    double regular = 0;
    double overtime = 0;
    double total = 0;
};

// A wage as stored; a missing wage counts as 0.
double wage(const QVariant& stored);

// Earnings of the full detail report: the totals as summed, never rounded to cents.
Earnings detailEarnings(const Totals& totals, double regWage, double otWage);
// Earnings of the summary report: from the totals rounded to 4 decimals, the values it stores.
Earnings summaryEarnings(const Totals& totals, double regWage, double otWage);

// ---- The pay computation under the rules -------------------------------------------------------------------
//
// How callers use it:
//   - one employee and range from the store: Pay::computeFor(id, from, to, &result, &error, options);
//     many employees: one Pay::Calculator, load() once, then compute() per employee.
//   - hours per day and hour type: result.days[i].minutes[Pay::HourType::Overtime]; the range's totals:
//     result.totals; earnings in cents: result.earnings (by hour type and total).
//   - hours so far (a terminal): options.openUntil = now(), so a pair still open counts up to now.
//   - pairs across midnight: counted when rules.nightShiftHours > 0 (PairResult::acrossMidnight).
//   - rows already in hand (tests, previews): fill an Input and call Pay::compute(input).

enum class HourType { Regular, Overtime, DoubleTime, Holiday, PaidTimeOff };
inline constexpr int kHourTypes = 5;

// Whole minutes per hour type.
struct Minutes
{
    std::array<qint64, kHourTypes> by{};

    qint64& operator[](HourType type) { return by[std::size_t(type)]; }
    qint64 operator[](HourType type) const { return by[std::size_t(type)]; }
    qint64 worked() const; // all but paid time off
    qint64 paid() const;   // all of them
    Minutes& operator+=(const Minutes& other);
};

// Decimal hours of whole minutes, to 4 decimals as the reports show hours.
double hoursOf(qint64 minutes);

// An employee's wages as stored (a missing wage is 0).
struct Wages
{
    double regular = 0;
    double overtime = 0;
};

// One timesheet row as stored: the day, the site of its first punch and its three pairs (an invalid time is a
// Null slot). A pair takes part when its in time is stored: hasIn, or a valid in time; a stored in time that
// does not read as a time takes part and counts 0. The stored values are kept for the detail report's listing
// when asked for.
struct SheetRow
{
    QDate day;
    QString site;
    std::array<bool, 3> hasIn{};
    std::array<QTime, 3> in;
    std::array<QTime, 3> out;
    std::array<QVariant, 3> inStored;
    std::array<QVariant, 3> outStored;
    QVariant dayStored;
};

struct PairResult
{
    QDate day;
    int slot = 0;                // 0, 1, 2: pair 1, 2, 3 of the row
    int row = -1;                // index of its timesheet row in Input::rows (and Result::rows)
    int countedIn = -1;          // minute of the day the computation counted from, after rounding; -1 without one
    int countedOut = -1;         // may be 1440 (24:00) or beyond (across midnight); -1 when the pair counts 0
    bool open = false;           // an in without an out
    bool acrossMidnight = false; // counted across midnight (night shifts)
    bool countedToNow = false;   // an open pair counted up to Options::openUntil
    qint64 minutes = 0;          // worked minutes counted, after a meal deduction
    qint64 mealMinutes = 0;      // deducted from this pair
    Minutes split;               // regular, overtime, double time or holiday minutes of this pair
    PairHours legacy;            // the pair's 4-decimal hours as the per-pair rule has always shown them
};

struct DayResult
{
    QDate day;
    bool holiday = false;
    Minutes minutes; // the day's pairs, and its paid time off
    std::vector<PaidTimeOff> paidTimeOff;
};

// Cents of each hour type and their sum.
struct Money
{
    std::array<qint64, kHourTypes> by{};
    qint64 total = 0;

    qint64 operator[](HourType type) const { return by[std::size_t(type)]; }
    Money& operator+=(const Money& other);
};

// Exact minutes times a wage (times a multiplier), rounded half away from zero once, in cents:
// 1802 minutes at 11.25 give 33788 cents. Wages and multipliers count to 4 decimals.
qint64 centsOf(qint64 minutes, double wage, double multiplier = 1.0);
// Earnings of minutes under the rules and wages: each hour type at its wage, rounded once.
Money earningsOf(const Minutes& minutes, const Rules& rules, const Wages& wages);

struct Result
{
    // Listed pairs (the range's days, of the site when one is chosen), in the order they are counted: by day,
    // then by in time (by row and slot under the per-pair rule, as the reports always listed them).
    std::vector<PairResult> pairs;
    std::vector<DayResult> days; // listed days that have pairs or paid time off, in order
    Minutes totals;              // of the listed pairs and days
    QMap<QString, qint64> paidTimeOffByKind;
    Money earnings;               // of the totals, at the wages of each day's pay period
    Totals legacyTotals;          // the listed pairs' 4-decimal hours summed as the per-pair rule always did
    bool readEarlierDays = false; // days of the week before the range were read for a weekly threshold
    std::vector<SheetRow> rows;   // the rows Calculator::compute read, which the pairs index
    Wages wages;                  // of the range's first day (Calculator::compute)
    bool wagesFound = false;      // the employee had wages then
    bool mixedWages = false;      // the range crosses pay periods closed at other wages
};

struct Input
{
    Rules rules;
    Wages wages;
    bool exempt = false;        // paid every hour as regular
    std::vector<SheetRow> rows; // in day order; days before `from` count toward the week's threshold only
    std::vector<PaidTimeOff> paidTimeOff;
    QDate from;
    QDate to;
    QString site;                       // list only the days whose first punch was at this site; empty for all
    std::optional<QDateTime> openUntil; // count open pairs up to this moment ("still at work")
};

// The one computation: plain data in, plain data out, nothing read from the store.
Result compute(const Input& input);

// What compute() needs from the store, read once for any number of employees: the rules in force and those of
// each closed pay period with its wages.
// Employee IDs compare case-blind, by the store's lower(), so the rows of "e1" are those of "E1": the form each ID
// compares by. Forms added by the caller (read with the employees) are kept; any other is asked of the store
// once.
class IdForms
{
public:
    void add(const QString& id, const QString& form) { m_forms.insert(id.toUtf8(), form); }
    bool formOf(QByteArrayView id, QString* form, QString* error);

private:
    QHash<QByteArray, QString> m_forms;
};

class Calculator
{
public:
    struct Options
    {
        QString site;
        std::optional<QDateTime> openUntil;
        bool keepStored = false; // fill SheetRow::inStored/outStored (the detail report lists them)
        bool keepPairs = true;   // false: only the totals and days are kept (a summary of many employees)
        // The employee's own wages when the caller has read them already; otherwise they are read.
        std::optional<Wages> wages;
        bool wagesFound = true;
        // The employee's timesheet rows when the caller has read them already (readSheets), otherwise they are
        // read.
        const std::vector<SheetRow>* rows = nullptr;
    };

    bool load(QString* error);
    const Rules& current() const { return m_current; }
    // Whether any rule that applies from `from` to `to` (closed periods included) changes pay.
    bool changesPay(const QDate& from, const QDate& to) const;
    // The rules that apply to a day (those of its closed pay period, or those in force).
    const Rules& rulesOn(const QDate& day) const;

    // One employee from the first day to the last: reads the timesheet rows (from the start of the first
    // week under a weekly rule), the paid time off and the wages, and computes each closed pay period's days
    // under its own rules and wages, the others under those in force.
    bool compute(const QString& empId, const QDate& from, const QDate& to, Result* result, QString* error,
                 const Options& options) const;
    bool compute(const QString& empId, const QDate& from, const QDate& to, Result* result, QString* error) const
    {
        return compute(empId, from, to, result, error, Options());
    }

    // Every employee's timesheet rows that compute() would read from `from` to `to`, with one statement in
    // employee order, handed to `each` an employee at a time (in the order of the store's IDs, each by the form
    // `ids` gives it). For a store where
    // each statement is a round trip: a report of many employees then makes one instead of one each. Stops at
    // the first false from `each` (and is false then, with the reason `each` gave), or false with the reason
    // when the rows cannot be read.
    using EmployeeRows = std::function<bool(const QString& empId, const std::vector<SheetRow>& rows)>;
    bool readSheets(const QDate& from, const QDate& to, const Options& options, IdForms& ids,
                    const EmployeeRows& each, QString* error) const;

    // The wages that apply to a day: those kept with its closed pay period, or the employee's own.
    bool wagesOn(const QString& empId, const QDate& day, Wages* wages, bool* found, QString* error) const;
    // Whether any paid time off is kept at all (otherwise none is read per employee).
    bool anyPaidTimeOff() const { return m_anyPaidTimeOff; }

private:
    struct Closed
    {
        QDate from; // day after the close before it (invalid for the first)
        QDate through;
        Rules rules;
        QHash<QString, Wages> wages;
    };
    const Closed* closedOn(const QDate& day) const;
    // The stretches of a range under one set of rules and wages: each closed period, then the open days.
    struct Stretch
    {
        QDate from, to;
        const Closed* closed;
        QDate readFrom; // the first day whose rows it reads (the start of its first week under a weekly rule)
    };
    std::vector<Stretch> stretchesOf(const QDate& from, const QDate& to) const;

    Rules m_current;
    std::vector<Closed> m_closed; // in order of their days
    bool m_anyPaidTimeOff = false;
};

// One employee at once, with a calculator of its own.
bool computeFor(const QString& empId, const QDate& from, const QDate& to, Result* result, QString* error,
                const Calculator::Options& options = {});

} // namespace Pay

#pragma once

#include <QTime>
#include <QVariant>

// The arithmetic that turns in/out pairs into worked, regular and overtime hours and earnings.
// Overtime is decided per pair: up to 4 hours of a pair are regular, the rest is overtime.
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

} // namespace Pay

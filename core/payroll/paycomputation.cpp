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
    pair.raw = minutes / 60 + (minutes % 60) / 60.0;
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

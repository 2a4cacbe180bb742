#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace Pay {

// An employee's worked time today and this week (the week of the pay rules in force), in whole minutes, by
// the one pay computation: rounding and meal deductions apply, and pairs still open count up to `now`.
struct WorkedToNow
{
    qint64 todayMinutes = 0;
    qint64 weekMinutes = 0;
};

std::optional<WorkedToNow> workedToNow(const QString& empId, const QDateTime& now, QString* error);

// "Today 7:45, this week 31:10" (h:mm each, as ValueForms::showDuration gives them): the line the punch stations show.
QString workedText(const QString& today, const QString& week);

} // namespace Pay

#include "core/payroll/hourstonow.h"

#include "core/payroll/paycomputation.h"

#include <QCoreApplication>
#include <algorithm>

namespace Pay {

std::optional<WorkedToNow> workedToNow(const QString& empId, const QDateTime& now, QString* error)
{
    Calculator calculator;
    if (!calculator.load(error))
        return std::nullopt;
    const QDate today = now.date();
    Calculator::Options options;
    options.openUntil = now;
    options.keepPairs = false;
    Result result;
    if (!calculator.compute(empId, calculator.current().weekOf(today), today, &result, error, options))
        return std::nullopt;
    WorkedToNow worked;
    worked.weekMinutes = result.totals.worked();
    for (const DayResult& day : result.days) {
        if (day.day == today)
            worked.todayMinutes = day.minutes.worked();
    }
    return worked;
}

QString workedText(const QString& today, const QString& week)
{
    return QCoreApplication::translate("Pay", "Today %1, this week %2").arg(today, week);
}

} // namespace Pay

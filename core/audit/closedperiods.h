#pragma once

#include "core/store/database.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>

// Closed pay periods: every day up to a date, once paid, is closed, and time records of a closed day can no
// longer be added, changed or deleted by hand. Each close is a row of closed_period; the last day closed is
// the latest of them, and reopening takes the latest one back. Only days before today can be closed; a punch
// whose clock says a closed day (a computer's clock set back) is refused, so a paid record never changes.
namespace ClosedPeriods {

// The title of the boxes that say a period is closed.
QString title();

// The last closed day, or an invalid date when no day is closed; false with the reason when it cannot be read.
bool closedThrough(QDate* through, QString* error, const QSqlDatabase& db = gConn);

// Whether the day lies in a closed pay period, with the last closed day in `through`. False also when the
// closes cannot be read: the write itself checks again and says why.
bool isClosed(const QDate& day, QDate* through);

// Why a change of a time record of a closed day is refused, naming the period.
QString refusal(const QDate& through);

enum class Outcome {
    Done,
    Refused, // a rule said no; nothing was written, and the message says why
    Failed,  // the store failed; nothing was written
};

// Closes every day up to and including the date, keeping the pay rules in force (as text) and every employee's
// wages with it. Pay::closePeriod passes the rules.
Outcome close(const QDate& through, const QString& payRules, QString* message);
// With the administrator password, opens again the days the latest close closed; `through` becomes the
// last day that stays closed (invalid when none).
Outcome reopen(const QString& password, QDate* through, QString* message);

// A change by hand to time records of these days (dates, or date texts as typed): refused when one of
// them is closed, otherwise made by `write` in one transaction with the check.
Outcome changeTimeRecords(const QVariantList& days, const std::function<bool(QString* error)>& write, QString* message);

} // namespace ClosedPeriods

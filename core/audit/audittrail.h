#pragma once

#include "core/store/trailwriter.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

// The reading half of the audit trail: the changes the store's triggers recorded (core/store/trailwriter.h), a
// page at a time, and how they are shown and exported.
namespace AuditTrail {

// Who is changing, and the punches left out: the store's writing half of the trail.
inline void setAdministratorLoggedIn(bool loggedIn)
{
    TrailWriter::setAdministratorLoggedIn(loggedIn);
}
inline void setProgram(const QString& program)
{
    TrailWriter::setProgram(program);
}
using PunchWrites = TrailWriter::PunchWrites;
inline const QString& kOutside = TrailWriter::kOutside;

// One changed column of a change: the values as stored (Null where there was none).
struct Value
{
    QString column;
    QVariant oldValue;
    QVariant newValue;
};

// One insert, update or delete of a row, with the columns it changed.
struct Change
{
    qint64 id = 0;
    QDateTime at;  // UTC
    QString stamp; // the time as stored, where the next page starts
    QString table;
    QString action; // insert, update or delete
    QVariant rowId;
    QVariant empId; // the row's employee (after the change; before it for a delete)
    QVariant day;   // the row's day, as stored
    QString administrator;
    QString osUser;
    QString host;
    QString program;
    std::vector<Value> values;
};

// Changes made from the first day to the last one, in local time; of one employee when empId is set.
struct Filter
{
    QDate from;
    QDate to;
    std::optional<QString> empId;
};

// The changes a window reads at a time.
inline constexpr int kPageSize = 200;

// Up to `count` changes of the filter, newest first, starting after the change `after` (the last one read,
// or nullptr for the newest). Only these changes and their columns are read.
bool read(const Filter& filter, const Change* after, int count, std::vector<Change>* changes, QString* error);
// Every change of the filter, newest first, a page at a time; stops when `take` returns false.
bool readAll(const Filter& filter, const std::function<bool(const Change&)>& take, QString* error);

// How a change is shown: "Time record changed", who made it, the caption of a column, a stored value.
QString describe(const Change& change);
QString who(const Change& change);
QString caption(const Change& change, const QString& column);
QString shownValue(const QString& column, const QVariant& stored);

// The columns of the lines a change is shown in, and its lines: one per changed column (one without a
// column for a change that records no values), the change itself named on the first.
QStringList lineHeadings();
std::vector<QStringList> shownLines(const Change& change);
// The same as CSV: every line complete, local and UTC times, values in their stored forms.
QString csvHeader();
QString csvLines(const Change& change);
// Every change of the filter as CSV into the file (written whole or not at all).
bool exportCsv(const Filter& filter, const QString& path, int* written, QString* error);

// The check of the trail's hash chain (TrailChain): the first entry, in order, that was changed or removed by a
// tool that did not recompute the chain, or whose hash disagrees with the chain head kept with a closed period.
struct ChainCheck
{
    bool intact = true;
    qint64 entry = 0;     // the first entry changed or removed
    QString problem;      // what happened to it, in words
    qint64 checked = 0;   // entries whose hash was checked
    qint64 last = 0;      // the newest of them
    qint64 unchained = 0; // the newest entries, by other tools, that no program has chained yet
};
bool verifyChain(ChainCheck* check, QString* error);
// One line for the window and the report tool: "Audit trail chain intact ..." or the problem.
QString chainLine(const ChainCheck& check);

} // namespace AuditTrail

#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

// The audit trail: every insert, update and delete of a time record, an employee record, the administrator
// password and the closed pay periods, kept in the same file and written by triggers in the same statement
// as the change, so a crash keeps both or neither.
//
// Two sets of triggers write it. The file's own triggers catch changes made with other tools (sqlite3, a
// script) and record them as made outside Qorvil. A Qorvil program puts temporary triggers of its own on its
// connection, which read who is changing through a function of the program (the administrator when logged
// in, the operating-system user, the host and the program), and marks the connection with a temporary table,
// before which the file's triggers stand aside. Punches are the record itself, not changes to it, so the
// punch rules write with the trail paused (PunchWrites).
namespace AuditTrail {

// The tables and triggers of the trail, as the file keeps them (a schema migration).
bool createSchema(QSqlDatabase& db, QString* error);
// The file's triggers on the followed tables it has; a migration that adds a followed table calls it.
bool followTables(QSqlDatabase& db, QString* error);

// Puts this program's triggers on a connection to a file that keeps the trail, in place of the file's own.
// A file without the trail is left as it is. When this fails, the file's triggers go on, and the
// connection's changes are still recorded, as made outside Qorvil.
bool attach(QSqlDatabase& db, QString* error);

// Whether the administrator is logged in to this program (the server's lock).
void setAdministratorLoggedIn(bool loggedIn);
// The program's name in the trail. The programs are known by their application names ("desktop server",
// "service", "report tool"); anything else is recorded under its own application name unless set here.
void setProgram(const QString& program);

// While one exists, the changes to time records that this thread makes through the connection are punches and
// are not recorded.
class PunchWrites
{
public:
    explicit PunchWrites(const QSqlDatabase& db);
    ~PunchWrites();
    PunchWrites(const PunchWrites&) = delete;
    PunchWrites& operator=(const PunchWrites&) = delete;

private:
    QSqlDatabase m_db;
};

// What the file's triggers record as the program of a change made with another tool.
inline const QString kOutside = QStringLiteral("outside Qorvil");

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

} // namespace AuditTrail

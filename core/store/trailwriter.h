#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

struct TrailTable;

// The writing half of the audit trail: every insert, update and delete of a time record, an employee record, the
// administrator password and the closed pay periods is recorded by triggers in the same statement as the change,
// so a crash keeps both or neither (the reading half is core/audit/).
//
// Two sets of triggers write it. The database's own catch changes made with other tools (sqlite3, a script) and
// record them as made outside Qorvil. A Qorvil program records its own changes with who made them: the
// administrator when logged in, the operating-system user, the host and the program. Punches are the record
// itself, not changes to it, so the punch rules write with the trail paused (PunchWrites).
namespace TrailWriter {

// What the database's triggers record as the program of a change made with another tool.
inline const QString kOutside = QStringLiteral("outside Qorvil");
// How the trail stores the time of a change: UTC to the millisecond, so the text sorts as the time does.
inline const QString kTimeForm = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ");

// The tables the trail follows.
const std::vector<TrailTable>& tables();

// The tables and triggers of the trail, as the database keeps them (a schema step).
bool createSchema(QSqlDatabase& db, QString* error);

// The database's triggers on the followed tables it has; a schema step that adds a followed table calls it.
bool followTables(QSqlDatabase& db, QString* error);

// Makes again the database's triggers that are missing or differ from what followTables makes now (a schema
// step that changes them calls it); their names go to `restored`.
bool restoreTriggers(QSqlDatabase& db, QStringList* restored, QString* error);

// Puts this program's recording on a connection to a database that keeps the trail. A database without the
// trail is left as it is. When this fails, the database's triggers go on, and the connection's changes are
// still recorded, as made outside Qorvil.
bool attach(QSqlDatabase& db, QString* error);

// What a program found of the trail when it opened the database: the file's triggers it put back ("name
// (missing)" or "name (altered)"), and the chain's head once the entries of other tools were chained.
struct Start
{
    QStringList restored;
    qint64 headId = 0;
    QString headHash;
    QString problem; // why the check could not be made; empty when it was
};

// At the start of a program that keeps the file: puts back the file's triggers that another tool dropped or
// altered, records that in the trail, and chains the entries that lack a hash, in one transaction.
Start start(QSqlDatabase& db);
// The last start's result on this program's connection, and its log line(s).
const Start& lastStart();
QStringList startLines(const Start& start);

// Whether the administrator is logged in to this program (the server's lock).
void setAdministratorLoggedIn(bool loggedIn);
// The program's name in the trail. The programs are known by their application names ("desktop server",
// "service", "report tool"); anything else is recorded under its own application name unless set here.
void setProgram(const QString& program);
// The site this program works for, recorded with each of its changes (empty: none).
void setSite(const QString& site);

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

} // namespace TrailWriter

#pragma once

#include <QSqlDatabase>
#include <QString>
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

// Puts this program's recording on a connection to a database that keeps the trail. A database without the
// trail is left as it is. When this fails, the database's triggers go on, and the connection's changes are
// still recorded, as made outside Qorvil.
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

} // namespace TrailWriter

#include "core/store/trailwriter.h"

#include "core/clock.h"
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/store/trailchain.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace TrailWriter {

namespace {

const QString kChangeTable = QStringLiteral("audit_change");
// The table name of the entries that say which of the file's triggers a program put back.
const QString kTriggerTable = QStringLiteral("audit_trigger");

struct State
{
    bool administrator = false;
    QString program;
    QString site;
    Start start;
};

State& state()
{
    static State s;
    return s;
}

// Punches are stored on a thread of their own while the windows change records on theirs: a pause of the trail
// holds for the thread that punches only.
struct Punching
{
    int writes = 0;
    bool serverTold = false; // the database server's session was told of the punches under way
};

Punching& punching()
{
    thread_local Punching p;
    return p;
}

QString osUser()
{
    static const QString user = [] {
#ifdef Q_OS_UNIX
        if (const passwd* entry = getpwuid(geteuid()))
            return QString::fromLocal8Bit(entry->pw_name);
#endif
        const QString named = qEnvironmentVariable("USER");
        return named.isEmpty() ? qEnvironmentVariable("USERNAME") : named;
    }();
    return user;
}

QString programName()
{
    if (!state().program.isEmpty())
        return state().program;
    static const QHash<QString, QString> known = {
        {QStringLiteral("Qorvil Clock System"), QStringLiteral("desktop server")},
        {QStringLiteral("qorvil-service"), QStringLiteral("service")},
        {QStringLiteral("qorvil-report"), QStringLiteral("report tool")},
    };
    const QString application = QCoreApplication::applicationName();
    return known.value(application, application);
}

// What the program's recording asks: whether to record, the time, and who is changing.
QVariant who(const QVariantList& arguments)
{
    const QString key = arguments.value(0).toString();
    if (key == QLatin1String("on"))
        return punching().writes == 0;
    if (key == QLatin1String("paused"))
        return punching().writes > 0 ? QStringLiteral("1") : QStringLiteral("0");
    if (key == QLatin1String("now"))
        return now().toUTC().toString(kTimeForm);
    if (key == QLatin1String("administrator"))
        return state().administrator ? QVariant(QStringLiteral("Administrator")) : QVariant();
    if (key == QLatin1String("os_user"))
        return osUser();
    if (key == QLatin1String("host"))
        return QSysInfo::machineHostName();
    if (key == QLatin1String("program"))
        return programName();
    if (key == QLatin1String("site"))
        return state().site.isEmpty() ? QVariant() : QVariant(state().site);
    return {};
}

// A change of who is changing reaches the connection's session at once.
void tell(const QSqlDatabase& db, const QString& key)
{
    if (db.isValid() && db.isOpen())
        (void)StoreDrivers::of(db).trailChanged(db, key, who, nullptr);
}

// The followed tables the database has: tables of later releases are followed once it has them.
std::vector<TrailTable> present(const QSqlDatabase& db)
{
    const QStringList have = db.tables();
    std::vector<TrailTable> found;
    for (const TrailTable& table : tables()) {
        if (have.contains(table.table, Qt::CaseInsensitive))
            found.push_back(table);
    }
    return found;
}

bool exec(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    *error = query.lastError().text();
    return false;
}

} // namespace

const std::vector<TrailTable>& tables()
{
    static const std::vector<TrailTable> audited = {
        {QStringLiteral("timesheet"), QStringLiteral("emp_id"), QStringLiteral("rsdate"), true},
        {QStringLiteral("Employee"), QStringLiteral("emp_id"), QString(), true},
        {QStringLiteral("admin"), QString(), QString(), false},
        {QStringLiteral("closed_period"), QString(), QStringLiteral("closed_through"), true},
        {QStringLiteral("pay_rules"), QString(), QString(), true},
        {QStringLiteral("holiday"), QString(), QStringLiteral("day"), true},
        {QStringLiteral("pay_exempt"), QStringLiteral("emp_id"), QString(), true},
        {QStringLiteral("paid_time_off"), QStringLiteral("emp_id"), QStringLiteral("rsdate"), true},
        {QStringLiteral("payroll_export"), QString(), QStringLiteral("from_date"), true},
    };
    return audited;
}

bool createSchema(QSqlDatabase& db, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    // Employee IDs are matched exactly here, as the program compares them; the trail is read newest first,
    // of everyone or of one employee. Values keep the type they had in their own column (as text on a
    // database server).
    const std::vector<SchemaSql> statements = {
        {QStringLiteral("CREATE TABLE IF NOT EXISTS audit_change (id INTEGER PRIMARY KEY, changed_at TEXT NOT NULL, "
                        "table_name TEXT NOT NULL, action TEXT NOT NULL, row_id INTEGER, emp_id TEXT, rsdate DATE, "
                        "administrator TEXT, os_user TEXT, host TEXT, program TEXT)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS audit_change (id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY "
                        "KEY, changed_at TEXT NOT NULL, table_name TEXT NOT NULL, action TEXT NOT NULL, row_id "
                        "INTEGER, emp_id TEXT, rsdate DATE, administrator TEXT, os_user TEXT, host TEXT, program "
                        "TEXT)")},
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_change_changed_at ON audit_change(changed_at)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_change_emp_id ON audit_change(emp_id, changed_at)"),
        {QStringLiteral("CREATE TABLE IF NOT EXISTS audit_value (id INTEGER PRIMARY KEY, change_id INTEGER NOT NULL "
                        "REFERENCES audit_change(id), column_name TEXT NOT NULL, old_value, new_value)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS audit_value (id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY "
                        "KEY, change_id INTEGER NOT NULL REFERENCES audit_change(id), column_name TEXT NOT NULL, "
                        "old_value TEXT, new_value TEXT)")},
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_value_change_id ON audit_value(change_id)"),
    };
    for (const SchemaSql& statement : statements) {
        QString sql;
        if (!driver.schemaText(statement, &sql, error) || !exec(db, sql, error))
            return false;
    }
    // The database's triggers as this step makes them; changing them later is a step of its own.
    return followTables(db, error);
}

bool followTables(QSqlDatabase& db, QString* error)
{
    return StoreDrivers::of(db).installTrail(db, present(db), error);
}

bool restoreTriggers(QSqlDatabase& db, QStringList* restored, QString* error)
{
    return StoreDrivers::of(db).restoreTrail(db, present(db), restored, error);
}

bool attach(QSqlDatabase& db, QString* error)
{
    if (!db.tables().contains(kChangeTable, Qt::CaseInsensitive))
        return true;
    return StoreDrivers::of(db).attachTrail(db, present(db), who, error);
}

void setAdministratorLoggedIn(bool loggedIn)
{
    state().administrator = loggedIn;
    tell(gConn, QStringLiteral("administrator"));
}

void setProgram(const QString& program)
{
    state().program = program;
}

void setSite(const QString& site)
{
    state().site = site;
    tell(gConn, QStringLiteral("site"));
}

namespace {

// One entry of the program's own saying which of the file's triggers it put back.
bool recordRestored(const QSqlDatabase& db, const QStringList& restored, QString* error)
{
    const bool site = db.record(kChangeTable).contains(QStringLiteral("site"));
    Query insert(db);
    QVariantList binds;
    for (const char* key : {"now", "administrator", "os_user", "host", "program"})
        binds << who({QString::fromLatin1(key)});
    if (site)
        binds << who({QStringLiteral("site")});
    if (!insert.exec(QStringLiteral("INSERT INTO audit_change (changed_at, table_name, action, administrator, os_user, "
                                    "host, program%1) VALUES (?, '%2', 'restore', ?, ?, ?, ?%3)")
                         .arg(site ? QStringLiteral(", site") : QString(), kTriggerTable,
                              site ? QStringLiteral(", ?") : QString()),
                     binds)) {
        *error = insert.error();
        return false;
    }
    Query change(db);
    if (!change.exec(QStringLiteral("SELECT max(id) FROM audit_change")) || !change.next()) {
        *error = change.error();
        return false;
    }
    const QVariant id = change.value(0);
    for (const QString& trigger : restored) {
        const qsizetype space = trigger.indexOf(QLatin1Char(' '));
        if (!insert.exec(QStringLiteral("INSERT INTO audit_value (change_id, column_name, old_value, new_value) "
                                        "VALUES (?, ?, ?, 'restored')"),
                         {id, trigger.left(space), trigger.mid(space + 2).chopped(1)})) {
            *error = insert.error();
            return false;
        }
    }
    return true;
}

} // namespace

Start start(QSqlDatabase& db)
{
    Start start;
    if (!db.tables().contains(kChangeTable, Qt::CaseInsensitive))
        return state().start = start;
    QString why;
    Transaction transaction(db);
    bool done = transaction.isActive() && restoreTriggers(db, &start.restored, &why) &&
                (start.restored.isEmpty() || recordRestored(db, start.restored, &why));
    if (done && TrailChain::kept(db)) {
        std::optional<TrailChain::Head> head;
        done = TrailChain::seal(db, &why) && (head = TrailChain::head(db, &why)).has_value();
        if (head) {
            start.headId = head->id;
            start.headHash = head->hash;
        }
    }
    if (!done || !transaction.commit()) {
        start.problem = why.isEmpty() ? transaction.error() : why;
        start.restored.clear();
    }
    return state().start = start;
}

const Start& lastStart()
{
    return state().start;
}

QStringList startLines(const Start& start)
{
    if (!start.problem.isEmpty())
        return {QStringLiteral("The audit trail could not be checked: ") + start.problem};
    QStringList lines;
    if (!start.restored.isEmpty())
        lines << QStringLiteral("Audit trail triggers restored: ") + start.restored.join(QStringLiteral(", "));
    lines << (start.headId == 0 ? QStringLiteral("Audit trail chain head: no entries yet")
                                : QStringLiteral("Audit trail chain head: entry %1, %2").arg(start.headId).arg(start.headHash));
    return lines;
}

// A group of punches from terminals said so when its transaction began (StoreDriver::beginWriting); a lone
// punch tells the database server here.
PunchWrites::PunchWrites(const QSqlDatabase& db) : m_db(db)
{
    if (++punching().writes == 1) {
        punching().serverTold = !(m_db.isValid() && StoreDrivers::of(m_db).vouched(m_db));
        if (punching().serverTold)
            tell(m_db, QStringLiteral("paused"));
    }
}

PunchWrites::~PunchWrites()
{
    if (--punching().writes == 0 && punching().serverTold)
        tell(m_db, QStringLiteral("paused"));
}

} // namespace TrailWriter

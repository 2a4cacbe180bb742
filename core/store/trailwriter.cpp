#include "core/store/trailwriter.h"

#include "core/clock.h"
#include "core/store/database.h"
#include "core/store/storedriver.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace TrailWriter {

namespace {

const QString kChangeTable = QStringLiteral("audit_change");

struct State
{
    bool administrator = false;
    QString program;
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

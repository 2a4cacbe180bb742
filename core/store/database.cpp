#include "core/store/database.h"

#include "core/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <sqlite3.h>

QSqlDatabase gConn;

namespace Database {

namespace {

const QString kConnectionName = QStringLiteral("gConn");
constexpr int kSchemaVersion = 1;
constexpr int kMaxCachedStatements = 64;

QHash<QString, std::shared_ptr<Statement>>& statementCache()
{
    static QHash<QString, std::shared_ptr<Statement>> cache;
    return cache;
}

// Text columns compare case-blind in SQL, as the windows' queries expect.
const QStringList kServerSchema = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS Employee ("
                   "id INTEGER PRIMARY KEY,"
                   "emp_id TEXT COLLATE NOCASE, emp_lname TEXT COLLATE NOCASE, emp_fname TEXT COLLATE NOCASE,"
                   "emp_mname TEXT COLLATE NOCASE, emp_sex TEXT COLLATE NOCASE, emp_dob DATE,"
                   "emp_apt TEXT COLLATE NOCASE, emp_address TEXT COLLATE NOCASE, city TEXT COLLATE NOCASE,"
                   "emp_state TEXT COLLATE NOCASE, zip TEXT COLLATE NOCASE, emp_home_phone TEXT COLLATE NOCASE,"
                   "emp_work_phone TEXT COLLATE NOCASE, emp_cp TEXT COLLATE NOCASE, sss TEXT COLLATE NOCASE,"
                   "Job_Description TEXT COLLATE NOCASE, reg_wage REAL, ot_wage REAL, date_hired DATE,"
                   "status INTEGER, Notes TEXT COLLATE NOCASE)"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS Employee_emp_id ON Employee(emp_id)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS timesheet ("
                   "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE,"
                   "in1 TIME, out1 TIME, in2 TIME, out2 TIME, in3 TIME, out3 TIME)"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS timesheet_emp_id_rsdate ON timesheet(emp_id, rsdate)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS Terminal (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS admin (id INTEGER PRIMARY KEY, password TEXT)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS details ("
                   "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE, in1 TIME, out1 TIME,"
                   "work_hours REAL, regular REAL, rsot REAL)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS summary ("
                   "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, emp_name TEXT COLLATE NOCASE,"
                   "work_hours REAL, regular REAL, ot REAL, wage REAL, ot_wage REAL,"
                   "reg_earnings REAL, ot_earnings REAL, tot_earnings REAL)"),
};

const QStringList kClientSchema = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS server (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)"),
};

bool exec(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

bool tableIsEmpty(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && query.next() && query.value(0).toInt() == 0;
}

// Seeds the one row the programs read and update but never add.
bool seedRows(QSqlDatabase& db, Kind kind, QString* error)
{
    const QString table = kind == Kind::Server ? QStringLiteral("admin") : QStringLiteral("server");
    if (!tableIsEmpty(db, table))
        return true;
    QSqlQuery insert(db);
    if (kind == Kind::Server) {
        insert.prepare(QStringLiteral("INSERT INTO admin (password) VALUES (?)"));
        insert.addBindValue(kInitialAdminPassword);
    } else {
        insert.prepare(QStringLiteral("INSERT INTO server (ip) VALUES (?)"));
        insert.addBindValue(QStringLiteral("127.0.0.1"));
    }
    if (insert.exec())
        return true;
    if (error)
        *error = insert.lastError().text();
    return false;
}

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool hasMoved(sqlite3* handle)
{
    int moved = 0;
    return handle && sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

// The last guard for writes that do not go through a record set: a commit into a file that is no longer
// at its path is turned into a rollback.
int refuseCommitWhenMoved(void* handle)
{
    return hasMoved(static_cast<sqlite3*>(handle)) ? 1 : 0;
}

// What every opening of a connection does after the driver opened the file.
bool configure(QSqlDatabase& db, QString* why)
{
    // Reading the header is what tells a database from random bytes.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !probe.next()) {
        fail(why, probe.lastError().text());
        return false;
    }
    probe.finish();
    QSqlQuery pragma(db);
    if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"))) {
        fail(why, pragma.lastError().text());
        return false;
    }
    if (sqlite3* handle = handleOf(db))
        sqlite3_commit_hook(handle, refuseCommitWhenMoved, handle);
    return true;
}

} // namespace

QString defaultPath(Kind kind)
{
    return DataPaths::locate(kind);
}

bool createSchema(QSqlDatabase& db, Kind kind, QString* error)
{
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
        fail(error, version.lastError().text());
        return false;
    }
    const int current = version.value(0).toInt();
    version.finish();
    if (current >= kSchemaVersion)
        return seedRows(db, kind, error);

    if (!db.transaction()) {
        fail(error, db.lastError().text());
        return false;
    }
    for (const QString& statement : kind == Kind::Server ? kServerSchema : kClientSchema) {
        if (!exec(db, statement, error)) {
            db.rollback();
            return false;
        }
    }
    if (!seedRows(db, kind, error) ||
        !exec(db, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion), error)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        fail(error, db.lastError().text());
        return false;
    }
    return true;
}

bool open(Kind kind, const QString& path, QString* error)
{
    close();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        fail(error, QStringLiteral("%1 is not a database file").arg(path));
        return false;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    bool ok = db.open();
    QString why = ok ? QString() : db.lastError().text();
    if (ok)
        ok = configure(db, &why);
    if (ok)
        ok = createSchema(db, kind, &why);
    if (!ok) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        fail(error, QStringLiteral("Could not open %1: %2").arg(path, why));
        return false;
    }
    gConn = db;
    return true;
}

std::shared_ptr<Statement> prepare(const QSqlDatabase& db, const QString& sql, QString* error)
{
    const bool shared = db.connectionName() == kConnectionName && gConn.isOpen();
    if (shared) {
        if (auto found = statementCache().value(sql))
            return found;
    }
    auto statement = std::make_shared<Statement>(db);
    statement->query.setForwardOnly(true);
    if (!statement->query.prepare(sql)) {
        fail(error, statement->query.lastError().text());
        return nullptr;
    }
    if (shared) {
        if (statementCache().size() >= kMaxCachedStatements)
            statementCache().clear();
        statementCache().insert(sql, statement);
    }
    return statement;
}

bool fileInPlace(const QSqlDatabase& db, QString* error)
{
    sqlite3* handle = handleOf(db);
    if (!hasMoved(handle))
        return true;
    const QString path = db.databaseName();
    // Moving to the file now at the path closes the old one; never in the middle of someone's transaction.
    if (!QFileInfo(path).isFile() || !sqlite3_get_autocommit(handle)) {
        fail(error, QStringLiteral("The database file %1 is no longer where it was opened, so nothing was written. "
                                   "Put the file back; the server uses it again as soon as it is there.")
                        .arg(path));
        return false;
    }
    QSqlDatabase connection = db; // shares the driver with every copy, so all of them follow
    statementCache().clear();     // statements prepared on the old file go with it
    connection.close();
    QString why;
    if (!connection.open())
        why = connection.lastError().text();
    else if (!configure(connection, &why))
        connection.close();
    fail(error, why.isEmpty() ? QStringLiteral("The database file %1 was replaced while the server was running, so "
                                               "nothing was written. Please try again.")
                                    .arg(path)
                              : QStringLiteral("The database file %1 was replaced and cannot be read (%2), so "
                                               "nothing was written.")
                                    .arg(path, why));
    return false;
}

void close()
{
    statementCache().clear();
    if (gConn.isValid())
        gConn.close();
    gConn = QSqlDatabase();
    if (QSqlDatabase::contains(kConnectionName))
        QSqlDatabase::removeDatabase(kConnectionName);
}

} // namespace Database

#include "common/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

QSqlDatabase gConn;

namespace Database {

namespace {

const QString kConnectionName = QStringLiteral("gConn");
constexpr int kSchemaVersion = 1;
constexpr int kMaxCachedStatements = 64;

QHash<QString, std::shared_ptr<QSqlQuery>>& statementCache()
{
    static QHash<QString, std::shared_ptr<QSqlQuery>> cache;
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

} // namespace

QString defaultPath(Kind kind)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(kind == Kind::Server ? QStringLiteral("punched.mdb") : QStringLiteral("client.mdb"));
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
    if (ok) {
        // Reading the header is what tells a database from random bytes.
        QSqlQuery probe(db);
        ok = probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && probe.next();
        if (!ok)
            why = probe.lastError().text();
    }
    if (ok) {
        QSqlQuery pragma(db);
        ok = pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
             pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        if (!ok)
            why = pragma.lastError().text();
    }
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

std::shared_ptr<QSqlQuery> prepare(const QSqlDatabase& db, const QString& sql, QString* error)
{
    const bool shared = db.connectionName() == kConnectionName && gConn.isOpen();
    if (shared) {
        if (auto found = statementCache().value(sql))
            return found;
    }
    auto query = std::make_shared<QSqlQuery>(db);
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        fail(error, query->lastError().text());
        return nullptr;
    }
    if (shared) {
        if (statementCache().size() >= kMaxCachedStatements)
            statementCache().clear();
        statementCache().insert(sql, query);
    }
    return query;
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

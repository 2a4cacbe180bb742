#include "core/store/database.h"

#include "core/datapaths.h"
#include "core/store/migrations.h"
#include "core/store/storedriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QSqlDatabase gConn;

namespace Database {

namespace {

const QString kConnectionName = QStringLiteral("gConn");
constexpr int kMaxCachedStatements = 64;

QHash<QString, std::shared_ptr<Statement>>& statementCache()
{
    static QHash<QString, std::shared_ptr<Statement>> cache;
    return cache;
}

// Never destroyed: at exit the connection may be gone before the statements could be finished on it.
QHash<QString, std::shared_ptr<StepStatement>>& stepCache()
{
    static auto* cache = new QHash<QString, std::shared_ptr<StepStatement>>;
    return *cache;
}

// Statements prepared on a connection go before it closes.
void forgetStatements(const QSqlDatabase& db)
{
    statementCache().clear();
    stepCache().clear();
    if (db.isValid())
        StoreDrivers::of(db).closing(db);
}

QString& lastRefusal()
{
    static QString refusal;
    return refusal;
}

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QString defaultPath(Kind kind)
{
    return DataPaths::locate(kind);
}

bool open(Kind kind, const QString& path, QString* error)
{
    close();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        fail(error, QStringLiteral("%1 is not a database file").arg(path));
        return false;
    }

    const StoreDriver& driver = StoreDrivers::standard();
    QSqlDatabase db = QSqlDatabase::addDatabase(driver.qtDriver(), kConnectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(driver.connectOptions());
    bool ok = db.open();
    QString why = ok ? QString() : db.lastError().text();
    if (ok)
        ok = driver.probe(db, &why);
    if (ok) {
        // The journal setting writes to the file, so it waits until the file passed the schema check.
        const Migrations::Outcome outcome = Migrations::migrate(
            db, Migrations::forKind(kind), &why, [&](QString* error) { return driver.configure(db, error); });
        if (outcome == Migrations::Outcome::Refused)
            lastRefusal() = why;
        ok = outcome == Migrations::Outcome::Ready;
    }
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

QString refusal()
{
    return lastRefusal();
}

std::shared_ptr<Statement> prepare(const QSqlDatabase& db, const QString& sql, QString* error)
{
    bool shared = db.connectionName() == kConnectionName && gConn.isOpen();
    if (shared) {
        // One still stepping through its rows (a Query in use) is left alone; this caller gets its own.
        if (auto found = statementCache().value(sql); found && !found->query.isActive())
            return found;
        if (statementCache().contains(sql))
            shared = false;
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
    const StoreDriver& driver = StoreDrivers::of(db);
    if (!driver.fileMoved(db))
        return true;
    const QString path = db.databaseName();
    // Moving to the file now at the path closes the old one; never in the middle of someone's transaction.
    if (!QFileInfo(path).isFile() || driver.inTransaction(db)) {
        fail(error, QStringLiteral("The database file %1 is no longer where it was opened, so nothing was written. "
                                   "Put the file back; the server uses it again as soon as it is there.")
                        .arg(path));
        return false;
    }
    QSqlDatabase connection = db; // shares the driver with every copy, so all of them follow
    forgetStatements(connection); // statements prepared on the old file go with it
    connection.close();
    QString why;
    if (!connection.open())
        why = connection.lastError().text();
    else if (!driver.probe(connection, &why) || !driver.configure(connection, &why))
        connection.close();
    fail(error, why.isEmpty() ? QStringLiteral("The database file %1 was replaced while the server was running, so "
                                               "nothing was written. Please try again.")
                                    .arg(path)
                              : QStringLiteral("The database file %1 was replaced and cannot be read (%2), so "
                                               "nothing was written.")
                                    .arg(path, why));
    return false;
}

std::shared_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql, QString* error)
{
    bool shared = db.connectionName() == kConnectionName && gConn.isOpen();
    if (shared) {
        if (auto found = stepCache().value(sql); found && !found->isActive())
            return found;
        if (stepCache().contains(sql))
            shared = false;
    }
    std::shared_ptr<StepStatement> statement = StoreDrivers::of(db).prepareStep(db, sql, error);
    if (statement && shared) {
        if (stepCache().size() >= kMaxCachedStatements)
            stepCache().clear();
        stepCache().insert(sql, statement);
    }
    return statement;
}

void close()
{
    forgetStatements(gConn);
    lastRefusal().clear();
    if (gConn.isValid())
        gConn.close();
    gConn = QSqlDatabase();
    if (QSqlDatabase::contains(kConnectionName))
        QSqlDatabase::removeDatabase(kConnectionName);
}

} // namespace Database

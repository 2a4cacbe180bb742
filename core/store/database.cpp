#include "core/store/database.h"

#include "core/audit/audittrail.h"
#include "core/datapaths.h"
#include "core/store/migrations.h"
#include "core/store/pgdriver.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <optional>

QSqlDatabase gConn;

namespace Database {

namespace {

const QString kConnectionName = QStringLiteral("gConn");
constexpr int kMaxCachedStatements = 64;

// Never destroyed: at exit the connection may be gone before the statements could be finished on it.
QHash<QString, std::shared_ptr<StepStatement>>& stepCache()
{
    static auto* cache = new QHash<QString, std::shared_ptr<StepStatement>>;
    return *cache;
}

// Statements prepared on a connection go before it closes.
void forgetStatements(const QSqlDatabase& db)
{
    stepCache().clear();
    if (db.isValid())
        StoreDrivers::of(db).closing(db);
}

QString& lastRefusal()
{
    static QString refusal;
    return refusal;
}

QString& lastOpenFailure()
{
    static QString failure;
    return failure;
}

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// What gConn was opened as, and the schema version last found whole.
struct OpenState
{
    bool known = false;
    Kind kind = Kind::Server;
    bool keepJournal = false;
    qint64 schemaVersion = -1;
};

OpenState& openState()
{
    static OpenState state;
    return state;
}

// The database as messages name it: its file, or where it lives on a server.
QString displayName(const QSqlDatabase& db)
{
    if (StoreDrivers::of(db).engine() == StoreDriver::Engine::PostgreSQL)
        return Postgres::display({db.userName(), db.hostName(), db.port(), db.databaseName()});
    return db.databaseName();
}

bool isShared(const QSqlDatabase& db)
{
    return db.connectionName() == kConnectionName;
}

std::optional<qint64> schemaVersionOf(const QSqlDatabase& db, QString* error)
{
    return StoreDrivers::of(db).schemaVersion(db, error);
}

// Closes the connection and opens it again on whatever file is at its path now: every copy of it follows,
// since they share the driver.
bool reopen(const QSqlDatabase& db, QString* why)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    QSqlDatabase connection = db;
    forgetStatements(connection); // statements prepared on the old file go with it
    connection.close();
    const bool keepJournal = isShared(db) && openState().keepJournal;
    if (!connection.open()) {
        *why = connection.lastError().text();
        return false;
    }
    if (!driver.probe(connection, why) || !driver.configure(connection, why, keepJournal)) {
        connection.close();
        return false;
    }
    if (QString trail; !AuditTrail::attach(connection, &trail))
        qWarning().noquote() << "The audit trail records this program's changes as made outside Qorvil:" << trail;
    driver.rememberFiles(connection);
    if (isShared(db))
        openState().schemaVersion = -1; // checked again before the next write
    return true;
}

Readiness fileMoved(const QSqlDatabase& db, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    const QString path = db.databaseName();
    // Moving to the file now at the path closes the old one; never in the middle of someone's transaction.
    if (!QFileInfo(path).isFile() || driver.inTransaction(db)) {
        fail(error, QStringLiteral("The database file %1 is no longer where it was opened, so nothing was written. "
                                   "Put the file back; Qorvil uses it again as soon as it is there.")
                        .arg(path));
        return Readiness::Refused;
    }
    QString why;
    fail(error,
         reopen(db, &why)
             ? QCoreApplication::translate("Database", "The database file %1 was replaced while Qorvil was running, so "
                                                       "nothing was written. Please try again.")
                   .arg(path)
             : QCoreApplication::translate("Database", "The database file %1 was replaced and cannot be read (%2), so "
                                                       "nothing was written.")
                   .arg(path, why));
    return Readiness::Refused;
}

// The connection still writes into its own log, deleted or not: copying that into the database file and
// opening a new log keeps every write it held.
Readiness logLost(const QSqlDatabase& db, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    const QString path = db.databaseName();
    if (driver.inTransaction(db)) {
        fail(error, QCoreApplication::translate(
                        "Database", "The log file %1-wal was removed or replaced while a change was being written, so "
                                    "nothing was written. Please try again.")
                        .arg(path));
        return Readiness::Refused;
    }
    QString why;
    bool busy = false;
    if (!driver.checkpoint(db, &why, &busy)) {
        fail(error, busy ? QCoreApplication::translate(
                               "Database", "The log file %1-wal was removed or replaced. What it held is being saved "
                                           "into %1, which waits until other programs stop using the database; "
                                           "nothing was written yet.")
                               .arg(path)
                         : QCoreApplication::translate(
                               "Database", "The log file %1-wal was removed or replaced, and what it held could not be "
                                           "saved into %1 (%2), so nothing was written.")
                               .arg(path, why));
        return busy ? Readiness::Busy : Readiness::Refused;
    }
    if (!reopen(db, &why)) {
        fail(error, QCoreApplication::translate(
                        "Database", "The log file %1-wal was removed or replaced. What it held is saved in %1, but the "
                                    "database could not be opened again (%2), so nothing was written.")
                        .arg(path, why));
        return Readiness::Refused;
    }
    return Readiness::Ready;
}

} // namespace

QString defaultPath(Kind kind)
{
    return DataPaths::locate(kind);
}

namespace {

// A named connection to the database at the location, checked to be one the engine reads, and brought to the
// program's schema (or, ExistingOnly, checked to have it); the reason otherwise, with the connection gone.
bool connectTo(const QString& name, Kind kind, const QString& path, OpenMode mode, QSqlDatabase* opened, QString* error)
{
    const StoreDriver& driver = StoreDrivers::forLocation(path);
    std::optional<Postgres::Location> location;
    if (driver.engine() == StoreDriver::Engine::PostgreSQL) {
        QString why;
        location = Postgres::parseLocation(path, &why);
        if (!location) {
            fail(error, why);
            return false;
        }
        if (kind == Kind::Client) {
            fail(error, QCoreApplication::translate(
                            "Database", "The punch terminal keeps its settings in a file of its own, not on a "
                                        "database server."));
            return false;
        }
        if (!QSqlDatabase::isDriverAvailable(driver.qtDriver())) {
            fail(error, QCoreApplication::translate(
                            "Database", "Could not open %1: PostgreSQL support is not installed (the package "
                                        "libqt6sql6-psql).")
                            .arg(path));
            return false;
        }
    } else if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        fail(error, QCoreApplication::translate("Database", "%1 is not a database file").arg(path));
        return false;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(driver.qtDriver(), name);
    if (location) {
        db.setHostName(location->host);
        db.setPort(location->port);
        db.setUserName(location->user);
        db.setDatabaseName(location->database);
    } else {
        db.setDatabaseName(path);
    }
    db.setConnectOptions(driver.connectOptions());
    bool ok = db.open();
    QString why = ok ? QString() : db.lastError().text();
    if (ok)
        ok = driver.probe(db, &why);
    if (ok) {
        // The journal setting writes to the file, so it waits until the file passed the schema check.
        const bool existingOnly = mode == OpenMode::ExistingOnly;
        const Migrations::Outcome outcome = Migrations::migrate(
            db, Migrations::forKind(kind), &why,
            [&](QString* error) { return driver.configure(db, error, existingOnly); },
            existingOnly ? Migrations::Mode::CheckOnly : Migrations::Mode::Apply);
        if (outcome == Migrations::Outcome::Refused)
            lastRefusal() = why;
        ok = outcome == Migrations::Outcome::Ready;
    }
    if (!ok) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        fail(error, QCoreApplication::translate("Database", "Could not open %1: %2").arg(path, why));
        return false;
    }
    *opened = db;
    return true;
}

} // namespace

bool open(Kind kind, const QString& path, QString* error, OpenMode mode)
{
    close();
    QSqlDatabase db;
    QString why;
    lastOpenFailure().clear();
    if (!connectTo(kConnectionName, kind, path, mode, &db, &why)) {
        lastOpenFailure() = why;
        fail(error, why);
        return false;
    }
    const StoreDriver& driver = StoreDrivers::of(db);
    // Without its own triggers the program's changes are still recorded, by the file's, as made outside Qorvil.
    if (QString trail; !AuditTrail::attach(db, &trail))
        qWarning().noquote() << "The audit trail records this program's changes as made outside Qorvil:" << trail;
    gConn = db;
    driver.rememberFiles(db);
    openState() = {true, kind, mode == OpenMode::ExistingOnly, schemaVersionOf(db, nullptr).value_or(-1)};
    return true;
}

QSqlDatabase openAside(const QString& name, Kind kind, const QString& path, QString* error, OpenMode mode)
{
    if (name == kConnectionName) {
        fail(error, QCoreApplication::translate("Database", "The shared connection is opened by Database::open."));
        return {};
    }
    QSqlDatabase db;
    return connectTo(name, kind, path, mode, &db, error) ? db : QSqlDatabase();
}

void closeAside(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid()) {
            StoreDrivers::of(db).closing(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

QString refusal()
{
    return lastRefusal();
}

QString openFailure()
{
    return lastOpenFailure();
}

// The server went away (restarted, the network broke): a new connection is made at once, and the write goes
// on when it is there; the rows the caller read came from the same database.
Readiness connectionLost(const QSqlDatabase& db, QString* error)
{
    QString why;
    if (reopen(db, &why))
        return Readiness::Ready;
    fail(error, QCoreApplication::translate(
                    "Database", "The database server of %1 cannot be reached (%2), so nothing was written. Qorvil "
                                "connects again by itself as soon as it is there.")
                    .arg(displayName(db), why));
    return Readiness::Refused;
}

bool ensureOpen(const QSqlDatabase& db, QString* error)
{
    if (db.isValid() && db.isOpen())
        return true;
    // Only a connection to a database server that went away is made again; a closed file stays closed.
    if (!db.isValid() || StoreDrivers::of(db).engine() != StoreDriver::Engine::PostgreSQL ||
        (isShared(db) && !openState().known)) {
        fail(error, QCoreApplication::translate("Database", "The database is not open."));
        return false;
    }
    return connectionLost(db, error) == Readiness::Ready;
}

Readiness checkFiles(const QSqlDatabase& db, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    if (driver.vouched(db))
        return Readiness::Ready;
    switch (driver.checkFiles(db)) {
    case StoreDriver::Files::InPlace:
        return Readiness::Ready;
    case StoreDriver::Files::Moved:
        return fileMoved(db, error);
    case StoreDriver::Files::LogLost:
        return logLost(db, error);
    case StoreDriver::Files::ConnectionLost:
        return connectionLost(db, error);
    case StoreDriver::Files::ChangedInPlace:
        break;
    }
    fail(error, QCoreApplication::translate(
                    "Database", "The database file %1 was changed by another program while Qorvil was using it, so "
                                "nothing was written. Stop Qorvil, put a sound copy of the file in its place (a "
                                "backup if need be) and start it again.")
                    .arg(db.databaseName()));
    return Readiness::Refused;
}

bool checkSchema(const QSqlDatabase& db, QString* error)
{
    if (!isShared(db) || !openState().known)
        return true;
    const std::optional<qint64> version = schemaVersionOf(db, error);
    if (!version)
        return false;
    if (*version == openState().schemaVersion)
        return true;
    QString why;
    const QStringList missing = Migrations::missing(db, Migrations::forKind(openState().kind), &why);
    if (!why.isEmpty()) {
        fail(error, why);
        return false;
    }
    if (!missing.isEmpty()) {
        fail(error, QStringLiteral("The database %1 no longer has %2, which Qorvil needs, so nothing was written. "
                                   "Put it back (or the file from a backup); Qorvil uses the file again as soon as "
                                   "it is whole.")
                        .arg(db.databaseName(), missing.join(QStringLiteral(", "))));
        return false;
    }
    stepCache().clear(); // their descriptions may name columns that moved
    openState().schemaVersion = *version;
    return true;
}

bool fileInPlace(const QSqlDatabase& db, QString* error)
{
    if (StoreDrivers::of(db).vouched(db))
        return true;
    return checkFiles(db, error) == Readiness::Ready && checkSchema(db, error);
}

QString busyText()
{
    return QCoreApplication::translate(
        "Database", "The database is busy: another program is writing to it, so nothing was saved. Please try "
                    "again in a moment.");
}

QString errorText(const QSqlDatabase& db, const QSqlError& error)
{
    return StoreDrivers::of(db).isBusy(error) ? busyText() : error.text();
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
    openState() = {};
    if (gConn.isValid())
        gConn.close();
    gConn = QSqlDatabase();
    if (QSqlDatabase::contains(kConnectionName))
        QSqlDatabase::removeDatabase(kConnectionName);
}

} // namespace Database

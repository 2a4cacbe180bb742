#include "core/store/database.h"

#include "core/datapaths.h"
#include "core/store/migrations.h"
#include "core/store/pgdriver.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/store/threadmap.h"
#include "core/store/trailwriter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <unistd.h>

QSqlDatabase gConn;

namespace Database {

namespace {

const QString kConnectionName = QStringLiteral("gConn");
constexpr int kMaxCachedStatements = 64;

// What a connection of the program was opened as, the schema version last found whole, and the statements kept
// for reuse on it. Each thread keeps those of the connections it uses (a connection is used by one thread
// only), so none of this is shared between threads. Kept until the thread's last connection closes, never by a
// destructor at exit: the connection may be gone by then, before the statements could be finished on it.
struct OpenState
{
    Kind kind = Kind::Server;
    bool keepJournal = false;
    qint64 schemaVersion = -1;
    QString location;
    QHash<QString, std::shared_ptr<StepStatement>> statements;
};

thread_local ThreadMap<std::map<QString, OpenState>> t_openStates;
std::map<QString, OpenState>& openStates()
{
    return *t_openStates;
}

OpenState* stateOf(const QSqlDatabase& db)
{
    std::map<QString, OpenState>* states = t_openStates.existing();
    if (!states)
        return nullptr;
    const auto found = states->find(db.connectionName());
    return found == states->end() ? nullptr : &found->second;
}

std::atomic<quint64> openings{0};

// Statements prepared on a connection go before it closes.
void forgetStatements(const QSqlDatabase& db)
{
    if (OpenState* state = stateOf(db))
        state->statements.clear();
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

// The database as messages name it: its file, or where it lives on a server.
QString displayName(const QSqlDatabase& db)
{
    return StoreDrivers::of(db).displayName(db);
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
    OpenState* state = stateOf(db);
    const bool keepJournal = state && state->keepJournal;
    if (!connection.open()) {
        *why = connection.lastError().text();
        return false;
    }
    if (!driver.probe(connection, why) || !driver.configure(connection, why, keepJournal)) {
        connection.close();
        return false;
    }
    if (QString trail; !TrailWriter::attach(connection, &trail))
        qWarning().noquote() << "The audit trail records this program's changes as made outside Qorvil:" << trail;
    driver.rememberFiles(connection);
    if (state)
        state->schemaVersion = -1; // checked again before the next write
    return true;
}

QString goneText(const QString& location)
{
    return QCoreApplication::translate("Database",
                                       "The database file %1 is no longer where it was opened, so nothing was written. "
                                       "Put the file back; Qorvil uses it again as soon as it is there.")
        .arg(location);
}

Readiness fileMoved(const QSqlDatabase& db, QString* error)
{
    fail(error, goneText(db.databaseName()));
    return Readiness::Refused;
}

// A file swapped or rewritten under the program (a backup restored while it runs) is never written: what the
// program holds in memory and in its log belongs to the file that was there, and mixing the two corrupts it.
Readiness fileReplaced(const QSqlDatabase& db, QString* error)
{
    // One log line for the file, whichever of the program's connections notices first.
    static std::mutex lock;
    static QSet<QString> told;
    const QString path = db.databaseName();
    const QString text = QCoreApplication::translate(
                             "Database", "The database file %1 was replaced or changed by another program while "
                                         "Qorvil was using it, so nothing was written. Qorvil writes nothing into it "
                                         "until it is started again: restore a backup only while Qorvil is stopped.")
                             .arg(path);
    if (const std::lock_guard<std::mutex> locked(lock); !told.contains(path)) {
        told.insert(path);
        qWarning().noquote() << text;
    }
    fail(error, text);
    return Readiness::Refused;
}

// Emptied in place, the log lost what it held; the engine starts a new one (the driver made it forget the
// frames that are gone), so what is written from now on is kept: writing on behind the missing header would
// have lost it at the next start.
Readiness logEmptied(const QSqlDatabase& db)
{
    qWarning().noquote() << QCoreApplication::translate(
                                "Database",
                                "The log file %1-wal was emptied by another program: what it held since the "
                                "last checkpoint is lost. Qorvil started a new log.")
                                .arg(db.databaseName());
    return Readiness::Ready;
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

bool exists(const QString& location)
{
    return StoreDrivers::forLocation(location).locationExists(location);
}

QStringList filesOf(const QString& location)
{
    return StoreDrivers::forLocation(location).locationFiles(location);
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
    } else if (!info.exists() && mode == OpenMode::CreateOrUpgrade && path != driver.inMemoryName()) {
        // Employees' numbers, wages and addresses, or a terminal's site key: readable by the owner only (SQLite
        // would make the file readable by everyone, and its log and index follow the file's mode). A file made
        // beforehand keeps its mode: the service makes its shared one 0660.
        const int made = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (made >= 0)
            ::close(made);
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

namespace {

// A connection of the program's own: the audit trail's program triggers, the watch of its files, and its state.
void adopt(const QSqlDatabase& connection, Kind kind, const QString& path, OpenMode mode)
{
    QSqlDatabase db = connection;
    // Without its own triggers the program's changes are still recorded, by the file's, as made outside Qorvil.
    if (QString trail; !TrailWriter::attach(db, &trail))
        qWarning().noquote() << "The audit trail records this program's changes as made outside Qorvil:" << trail;
    StoreDrivers::of(db).rememberFiles(db);
    OpenState& state = openStates()[db.connectionName()];
    state = {kind, mode == OpenMode::ExistingOnly, schemaVersionOf(db, nullptr).value_or(-1), path, {}};
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
    gConn = db;
    adopt(db, kind, path, mode);
    // A program that keeps the file checks the trail's triggers and chains other tools' entries at each start.
    if (kind == Kind::Server && mode == OpenMode::CreateOrUpgrade)
        (void)TrailWriter::start(db);
    ++openings;
    return true;
}

bool openExisting(const QString& path, QString* error)
{
    if (!exists(path)) {
        fail(error, QStringLiteral("no database at %1").arg(path));
        return false;
    }
    return open(Kind::Server, path, error, OpenMode::ExistingOnly);
}

bool isOpen()
{
    if (!gConn.isValid())
        return false;
    return gConn.isOpen() || (StoreDrivers::of(gConn).reconnects() && stateOf(gConn));
}

std::optional<Opening> opening()
{
    const OpenState* state = stateOf(gConn);
    if (!state || !isOpen())
        return std::nullopt;
    return Opening{state->location, state->kind, state->keepJournal, openings.load()};
}

QSqlDatabase openOwn(const QString& name, const Opening& opened, QString* error)
{
    closeOwn(name);
    // The database gConn opened, as it is: never a new file where it was.
    const OpenMode mode = OpenMode::ExistingOnly;
    if (StoreDrivers::forLocation(opened.location).engine() == StoreDriver::Engine::SQLite &&
        !QFileInfo(opened.location).isFile()) {
        fail(error, goneText(opened.location));
        return {};
    }
    QSqlDatabase db;
    if (!connectTo(name, opened.kind, opened.location, mode, &db, error))
        return {};
    adopt(db, opened.kind, opened.location, mode);
    // A file taken away while this connection was being made left it nothing to watch: it would write into
    // the file no longer there and never notice.
    if (StoreDrivers::of(db).engine() == StoreDriver::Engine::SQLite && !QFileInfo(opened.location).isFile()) {
        closeOwn(name);
        fail(error, goneText(opened.location));
        return {};
    }
    return db;
}

void closeOwn(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        forgetStatements(db);
        if (db.isValid())
            db.close();
    }
    openStates().erase(name);
    t_openStates.releaseIfEmpty();
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
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

bool mayAnswerLater(const QString& location)
{
    const StoreDriver& driver = StoreDrivers::forLocation(location);
    QString unused;
    return driver.reconnects() && Postgres::parseLocation(location, &unused) &&
           QSqlDatabase::isDriverAvailable(driver.qtDriver()) && refusal().isEmpty();
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
    if (!db.isValid() || !StoreDrivers::of(db).reconnects() ||
        (db.connectionName() == kConnectionName && !stateOf(db))) {
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
    case StoreDriver::Files::LogEmptied:
        return logEmptied(db);
    case StoreDriver::Files::ConnectionLost:
        return connectionLost(db, error);
    case StoreDriver::Files::Replaced:
        break;
    }
    return fileReplaced(db, error);
}

bool checkSchema(const QSqlDatabase& db, QString* error)
{
    OpenState* state = stateOf(db);
    if (!state)
        return true;
    const std::optional<qint64> version = schemaVersionOf(db, error);
    if (!version)
        return false;
    if (*version == state->schemaVersion)
        return true;
    QString why;
    const QStringList missing = Migrations::missing(db, Migrations::forKind(state->kind), &why);
    if (!why.isEmpty()) {
        fail(error, why);
        return false;
    }
    if (!missing.isEmpty()) {
        fail(error, QCoreApplication::translate(
                        "Database", "The database %1 no longer has %2, which Qorvil needs, so nothing was written. "
                                    "Put it back (or the file from a backup); Qorvil uses the file again as soon as "
                                    "it is whole.")
                        .arg(db.databaseName(), missing.join(QStringLiteral(", "))));
        return false;
    }
    state->statements.clear(); // their descriptions may name columns that moved
    state->schemaVersion = *version;
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
    OpenState* state = db.isOpen() ? stateOf(db) : nullptr;
    if (state) {
        if (auto found = state->statements.value(sql); found && !found->isActive())
            return found;
        if (state->statements.contains(sql))
            state = nullptr;
    }
    std::shared_ptr<StepStatement> statement = StoreDrivers::of(db).prepareStep(db, sql, error);
    if (statement && state) {
        if (state->statements.size() >= kMaxCachedStatements)
            state->statements.clear();
        state->statements.insert(sql, statement);
    }
    return statement;
}

std::shared_ptr<StepStatement> prepareBatches(const QSqlDatabase& db, const QString& sql, QString* error)
{
    return StoreDrivers::of(db).prepareBatches(db, sql, error);
}

bool statementIsRoundTrip(const QSqlDatabase& db)
{
    return db.isValid() && StoreDrivers::of(db).statementIsRoundTrip();
}

void close()
{
    forgetStatements(gConn);
    lastRefusal().clear();
    openStates().erase(kConnectionName);
    t_openStates.releaseIfEmpty();
    ++openings;
    if (gConn.isValid())
        gConn.close();
    gConn = QSqlDatabase();
    if (QSqlDatabase::contains(kConnectionName))
        QSqlDatabase::removeDatabase(kConnectionName);
}

} // namespace Database

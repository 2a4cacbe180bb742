#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSqlError;
class QSqlQuery;

// A prepared statement stepped directly on the engine, its values read where the engine keeps them: the
// way of the loops that read or write many values (the reports' pairs, the punch), where a QVariant and a
// string copy for every value cost more than the query itself. One statement steps one set of rows at a time.
class StepStatement
{
public:
    enum class Step { Row, Done, Failed };

    virtual ~StepStatement() = default;

    // Bound values by position, 0-based, in the forms Qt SQL binds them.
    virtual bool bind(int index, const QVariant& value) = 0;
    // The next row; Failed leaves the reason in error().
    virtual Step step() = 0;
    // Back to before the first row, bindings cleared.
    virtual void reset() = 0;
    // Stepped at least once and not reset since.
    virtual bool isActive() const = 0;
    virtual QString error() const = 0;
    virtual bool busy() const = 0;   // the last step failed on another program's lock
    virtual int changes() const = 0; // rows the last write changed

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString declaredType(int column) const = 0;
    // The current row's values. A value as Qt SQL gives it: qlonglong, double, QString, QByteArray, or a null
    // QString for Null.
    virtual QVariant value(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual double real(int column) const = 0;
    // Stored text as UTF-8 bytes, valid until the next step or reset.
    virtual QByteArrayView utf8(int column) const = 0;
};

// A schema statement, written once when both engines read it alike and once per engine where their words differ
// (types, collations, keys): never made from the other's text.
struct SchemaSql
{
    SchemaSql(const QString& both) : sqlite(both), postgresql(both), shared(true) {}
    SchemaSql(const QString& sqlite, const QString& postgresql) : sqlite(sqlite), postgresql(postgresql) {}
    QString sqlite;
    QString postgresql;
    bool shared = false;
};

// A table the audit trail follows: which of its columns name the employee and the day, and whether the values
// of its changes are kept (never those of the administrator password).
struct TrailTable
{
    QString table;
    QString empColumn;
    QString dayColumn;
    bool keepsValues;
};

// What the store needs from a database engine beyond Qt SQL's common interface. Everything that talks to an
// engine's own API sits behind this, one implementation per engine: SQLite, the file each program keeps, and
// PostgreSQL, one database that the services of several sites share.
class StoreDriver
{
public:
    virtual ~StoreDriver() = default;

    enum class Engine { SQLite, PostgreSQL };
    virtual Engine engine() const = 0;

    // The Qt SQL driver and the connect options every connection of this engine uses.
    virtual QString qtDriver() const = 0;
    virtual QString connectOptions() const = 0;
    // The database name of a scratch database that lives in memory only.
    virtual QString inMemoryName() const = 0;
    // Whether what the connection opened is a database the engine can read. Reads only.
    virtual bool probe(QSqlDatabase& db, QString* why) const = 0;
    // The journal and durability settings and the guards every connection runs with. May write the file,
    // unless keepJournal leaves the file's journal mode as it is (a program that only reads and reports).
    virtual bool configure(QSqlDatabase& db, QString* why, bool keepJournal = false) const = 0;
    // Whether a transaction is open on the connection.
    virtual bool inTransaction(const QSqlDatabase& db) const = 0;

    // A function of the program that the connection's SQL, its temporary triggers included, can call.
    using Function = std::function<QVariant(const QVariantList& arguments)>;
    virtual bool defineFunction(QSqlDatabase& db, const QString& name, int argumentCount, Function function,
                                QString* why) const = 0;
    // A statement of one SQL text on the connection; null with the reason when it cannot be prepared.
    virtual std::unique_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql,
                                                       QString* why) const = 0;
    // A statement whose rows may be more than fit in memory at once. A driver whose statement holds its whole
    // result gives them in batches instead; the others give prepareStep's.
    virtual std::unique_ptr<StepStatement> prepareBatches(const QSqlDatabase& db, const QString& sql,
                                                          QString* why) const
    {
        return prepareStep(db, sql, why);
    }
    // Whether every statement is a round trip to a server: then many small reads cost more than one large one.
    virtual bool statementIsRoundTrip() const { return false; }
    // The connection is about to close: its step statements are finished and fail from now on.
    virtual void closing(const QSqlDatabase& db) const = 0;

    // What became of the files the connection opened since rememberFiles().
    enum class Files {
        InPlace,        // the database file and its write-ahead log are the ones opened
        Moved,          // no file at the database's path (deleted or renamed away)
        LogLost,        // the write-ahead log at the path is not the one the connection writes into
        LogEmptied,     // the connection's write-ahead log was cut short in place: what it held is gone
        Replaced,       // another file at the path, or this one rewritten by something other than the engine:
                        // from now on every check answers Replaced (the connection's log was set aside)
        ConnectionLost, // the connection to the database server broke
    };
    virtual Files checkFiles(const QSqlDatabase& db) const = 0;
    // Takes the files the connection has open now as the ones checkFiles() compares with.
    virtual void rememberFiles(const QSqlDatabase& db) const = 0;
    // Copies everything the connection's write-ahead log holds into the database file and empties the log.
    // False with the reason when not all of it could be copied; busy when another program is in the way.
    virtual bool checkpoint(const QSqlDatabase& db, QString* why, bool* busy) const = 0;

    // How long a statement waits for another program's lock before it fails as busy; the connect options
    // set the windows' short wait, and groups of punches set none.
    virtual void setBusyWait(const QSqlDatabase& db, int milliseconds) const = 0;
    virtual int windowBusyWait() const = 0;
    virtual bool isBusy(const QSqlError& error) const = 0;
    // Starts a transaction holding the punches' write lock from its start, without waiting for it: busy when
    // another program holds it (then no transaction is open).
    virtual bool beginWriting(const QSqlDatabase& db, bool* busy, QString* why) const = 0;
    // Commits the transaction beginWriting started; busy when another program's lock stopped it.
    virtual bool commitWriting(const QSqlDatabase& db, bool* busy, QString* why) const;
    // While vouched for, the files and the schema were checked for the whole group of writes under way, and
    // the guard at each commit trusts that check.
    virtual void setVouched(const QSqlDatabase& db, bool vouched) const = 0;
    virtual bool vouched(const QSqlDatabase& db) const = 0;

    // A number that changes whenever the schema does, so it is checked again only then.
    virtual std::optional<qint64> schemaVersion(const QSqlDatabase& db, QString* why) const = 0;
    // A schema statement in this engine's words; false with the reason when it has none (a statement given once
    // for both engines that carries words of the other). Empty text: nothing to run on this engine.
    virtual bool schemaText(const SchemaSql& sql, QString* text, QString* why) const = 0;

    // Whether there is a database at the location that can be opened without creating one (a server location
    // always: the server says so when connecting), and the files that hold it (none on a server).
    virtual bool locationExists(const QString& location) const = 0;
    virtual QStringList locationFiles(const QString& location) const = 0;
    // The database as messages name it: its file, or where it lives on a server (never with a password).
    virtual QString displayName(const QSqlDatabase& db) const = 0;
    // Whether a connection that closed is one to make again by itself (a server that went away).
    virtual bool reconnects() const = 0;

    // The audit trail's triggers, as the database keeps them: every change to the tables is recorded with who
    // made it, in the same statement as the change. Changes by other tools are recorded as made outside Qorvil.
    virtual bool installTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why) const = 0;
    // This program's own recording on a connection: who is changing is asked of `who` (keys "on", "now",
    // "administrator", "os_user", "host", "program", "site", "paused").
    virtual bool attachTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, const Function& who,
                             QString* why) const = 0;
    // Puts back the database's trail triggers that are missing or were altered (dropped, disabled, rewritten by
    // another tool); their names go to `restored`.
    virtual bool restoreTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored,
                              QString* why) const = 0;
    // What a change's chain hash covers besides the hash before it, as an SQL expression over the audit_change
    // row named `change` (see TrailChain).
    virtual QString trailChainText(const QString& change) const = 0;
    // Chains the entries after the newest chained one (TrailChain::seal); by default the program computes it.
    virtual bool sealTrail(const QSqlDatabase& db, QString* why) const;
    // An answer of `who` changed (the administrator logged in, punches began).
    virtual bool trailChanged(const QSqlDatabase& db, const QString& key, const Function& who, QString* why) const = 0;
};

namespace StoreDrivers {

// The engine of the files the programs keep.
const StoreDriver& standard();
// The engine of a database given by its location: PostgreSQL for postgresql://..., a file otherwise.
const StoreDriver& forLocation(const QString& location);
// The engine of an open connection (the standard one for a connection it does not know).
const StoreDriver& of(const QSqlDatabase& db);

} // namespace StoreDrivers

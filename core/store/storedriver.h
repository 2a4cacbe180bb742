#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

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

// What the store needs from a database engine beyond Qt SQL's common interface. Everything that talks to an
// engine's own API sits behind this, one implementation per engine; SQLite is the one there is.
class StoreDriver
{
public:
    virtual ~StoreDriver() = default;

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
    // The declared types of a prepared statement's result columns (empty where the engine knows none).
    virtual QStringList declaredTypes(const QSqlQuery& query, int count) const = 0;
    // Whether a transaction is open on the connection.
    virtual bool inTransaction(const QSqlDatabase& db) const = 0;

    // A function of the program that the connection's SQL, its temporary triggers included, can call.
    using Function = std::function<QVariant(const QVariantList& arguments)>;
    virtual bool defineFunction(QSqlDatabase& db, const QString& name, int argumentCount, Function function,
                                QString* why) const = 0;
    // A statement of one SQL text on the connection; null with the reason when it cannot be prepared.
    virtual std::unique_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql,
                                                       QString* why) const = 0;
    // The connection is about to close: its step statements are finished and fail from now on.
    virtual void closing(const QSqlDatabase& db) const = 0;

    // What became of the files the connection opened since rememberFiles().
    enum class Files {
        InPlace,        // the database file and its write-ahead log are the ones opened
        Moved,          // the database file is no longer the one at its path (deleted, renamed, replaced)
        LogLost,        // the write-ahead log at the path is not the one the connection writes into
        ChangedInPlace, // the database file was written by something other than the engine
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
    // The statement that starts a transaction holding the write lock from its start.
    virtual QString beginWriting() const = 0;
    // While vouched for, the files and the schema were checked for the whole group of writes under way, and
    // the guard at each commit trusts that check.
    virtual void setVouched(const QSqlDatabase& db, bool vouched) const = 0;
    virtual bool vouched(const QSqlDatabase& db) const = 0;
};

namespace StoreDrivers {

// The engine of the files the programs keep.
const StoreDriver& standard();
// The engine of an open connection (the standard one for a connection it does not know).
const StoreDriver& of(const QSqlDatabase& db);

} // namespace StoreDrivers

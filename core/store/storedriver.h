#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QSqlQuery;

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
    // The journal and durability settings and the guards every connection runs with. May write the file.
    virtual bool configure(QSqlDatabase& db, QString* why) const = 0;
    // The declared types of a prepared statement's result columns (empty where the engine knows none).
    virtual QStringList declaredTypes(const QSqlQuery& query, int count) const = 0;
    // Whether the file the connection opened is no longer the one at its path.
    virtual bool fileMoved(const QSqlDatabase& db) const = 0;
    // Whether a transaction is open on the connection.
    virtual bool inTransaction(const QSqlDatabase& db) const = 0;
};

namespace StoreDrivers {

// The engine of the files the programs keep.
const StoreDriver& standard();
// The engine of an open connection (the standard one for a connection it does not know).
const StoreDriver& of(const QSqlDatabase& db);

} // namespace StoreDrivers

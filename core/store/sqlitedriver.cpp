#include "core/store/sqlitedriver.h"

#include "core/store/sqlitestatement.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>
#include <sqlite3.h>

namespace {

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

class SqliteDriver final : public StoreDriver
{
public:
    QString qtDriver() const override { return QStringLiteral("QSQLITE"); }

    QString connectOptions() const override { return QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"); }

    QString inMemoryName() const override { return QStringLiteral(":memory:"); }

    bool probe(QSqlDatabase& db, QString* why) const override
    {
        // Reading the header is what tells a database from random bytes.
        QSqlQuery probe(db);
        if (probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && probe.next())
            return true;
        if (why)
            *why = probe.lastError().text();
        return false;
    }

    bool configure(QSqlDatabase& db, QString* why) const override
    {
        QSqlQuery pragma(db);
        // The page cache is 64 MiB rather than SQLite's 2 MB: a report over ten thousand employees reads every
        // page of a day's rows once for each employee on it, and a cache that cannot hold them turns each
        // row into a read from the file. Pages are taken only as they are read.
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")) ||
            !pragma.exec(QStringLiteral("PRAGMA cache_size=-65536"))) {
            if (why)
                *why = pragma.lastError().text();
            return false;
        }
        if (sqlite3* handle = handleOf(db))
            sqlite3_commit_hook(handle, refuseCommitWhenMoved, handle);
        return true;
    }

    // Read from the prepared statement, so aliased columns keep the type of the column they come from.
    QStringList declaredTypes(const QSqlQuery& query, int count) const override
    {
        QStringList types;
        const QVariant handle = query.result() ? query.result()->handle() : QVariant();
        sqlite3_stmt* stmt = nullptr;
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
            stmt = *static_cast<sqlite3_stmt* const*>(handle.constData());
        for (int i = 0; i < count; ++i) {
            const char* type = stmt ? sqlite3_column_decltype(stmt, i) : nullptr;
            types << (type ? QString::fromUtf8(type) : QString());
        }
        return types;
    }

    bool fileMoved(const QSqlDatabase& db) const override { return hasMoved(handleOf(db)); }

    bool inTransaction(const QSqlDatabase& db) const override
    {
        sqlite3* handle = handleOf(db);
        return handle && !sqlite3_get_autocommit(handle);
    }

    std::unique_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql, QString* why) const override
    {
        return SqliteStatements::prepare(handleOf(db), sql, why);
    }

    void closing(const QSqlDatabase& db) const override { SqliteStatements::finalizeAll(handleOf(db)); }
};

} // namespace

const StoreDriver& sqliteDriver()
{
    static const SqliteDriver driver;
    return driver;
}

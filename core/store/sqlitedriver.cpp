#include "core/store/sqlitedriver.h"

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

// Runs a program function for SQL: the arguments as Qt values, the result as SQLite's.
void callFunction(sqlite3_context* context, int count, sqlite3_value** values)
{
    const auto* function = static_cast<const StoreDriver::Function*>(sqlite3_user_data(context));
    QVariantList arguments;
    for (int i = 0; i < count; ++i) {
        switch (sqlite3_value_type(values[i])) {
        case SQLITE_NULL:
            arguments << QVariant();
            break;
        case SQLITE_INTEGER:
            arguments << qlonglong(sqlite3_value_int64(values[i]));
            break;
        case SQLITE_FLOAT:
            arguments << sqlite3_value_double(values[i]);
            break;
        default:
            arguments << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(values[i])),
                                           sqlite3_value_bytes(values[i]));
        }
    }
    const QVariant result = (*function)(arguments);
    switch (result.isNull() ? QMetaType::UnknownType : result.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_result_null(context);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
        sqlite3_result_int64(context, result.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_result_double(context, result.toDouble());
        break;
    default: {
        const QByteArray text = result.toString().toUtf8();
        sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

void releaseFunction(void* function)
{
    delete static_cast<StoreDriver::Function*>(function);
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
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"))) {
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

    bool defineFunction(QSqlDatabase& db, const QString& name, int argumentCount, Function function,
                        QString* why) const override
    {
        sqlite3* handle = handleOf(db);
        if (!handle) {
            if (why)
                *why = QStringLiteral("The database is not open.");
            return false;
        }
        // SQLite owns the copy from here on, and releases it also when the definition fails.
        const int result = sqlite3_create_function_v2(handle, name.toUtf8().constData(), argumentCount, SQLITE_UTF8,
                                                      new Function(std::move(function)), callFunction, nullptr, nullptr,
                                                      releaseFunction);
        if (result != SQLITE_OK && why)
            *why = QString::fromUtf8(sqlite3_errstr(result));
        return result == SQLITE_OK;
    }
};

} // namespace

const StoreDriver& sqliteDriver()
{
    static const SqliteDriver driver;
    return driver;
}

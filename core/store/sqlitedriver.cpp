#include "core/store/sqlitedriver.h"

#include "core/store/sqlitestatement.h"
#include "core/store/trailtriggers.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>
#include <cstring>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// A window that saves while another program writes waits this long for it, then says the database is busy.
constexpr int kWindowBusyWaitMs = 1000;
// The header every database file starts with, and how much of it describes the file.
constexpr char kMagic[] = "SQLite format 3";
constexpr int kHeaderSize = 100;
// The first region of the write-ahead log's shared index and, in it, the salt of the log's current run and
// the count of frames already copied into the database file (the documented wal-index layout).
constexpr int kIndexRegionSize = 32768;
constexpr int kIndexSaltOffset = 32;
constexpr int kIndexBackfillOffset = 96;

sqlite3* handleOf(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The files one connection opened, as they were when last seen in order.
struct Watch
{
    sqlite3* handle = nullptr;
    bool known = false;
    QByteArray path;
    QByteArray logPath;
    struct stat file = {};
    QByteArray header;
    int pageSize = 0;
    bool logKnown = false; // the connection writes a write-ahead log, and this is its file
    struct stat log = {};
    std::optional<quint64> progress; // how far checkpoints have come, to tell their writes from others'
    bool vouched = false;
};

// One per named connection of the program; a connection that reopens keeps its entry.
std::map<QString, Watch>& watches()
{
    static std::map<QString, Watch> all;
    return all;
}

Watch* watchOf(const QSqlDatabase& db)
{
    const auto found = watches().find(db.connectionName());
    return found == watches().end() ? nullptr : &found->second;
}

sqlite3_file* mainFile(sqlite3* handle)
{
    sqlite3_file* file = nullptr;
    if (!handle || sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return nullptr;
    return file;
}

// Read through the connection's own descriptor: what the engine would read.
bool readHeader(sqlite3* handle, QByteArray* header)
{
    sqlite3_file* file = mainFile(handle);
    QByteArray bytes(kHeaderSize, '\0');
    if (!file || file->pMethods->xRead(file, bytes.data(), kHeaderSize, 0) != SQLITE_OK)
        return false;
    *header = bytes;
    return true;
}

quint32 bigEndian32(const QByteArray& bytes, int at)
{
    return quint32(uchar(bytes[at])) << 24 | quint32(uchar(bytes[at + 1])) << 16 | quint32(uchar(bytes[at + 2])) << 8 |
           quint32(uchar(bytes[at + 3]));
}

int pageSizeOf(const QByteArray& header)
{
    const int size = int(uchar(header[16])) << 8 | int(uchar(header[17]));
    return size == 1 ? 65536 : size;
}

// Whether the header still describes a database in write-ahead-log mode with the connection's page size
// that the file is long enough to hold.
bool plausible(const QByteArray& header, qint64 fileSize, int pageSize)
{
    if (header.size() < kHeaderSize || std::memcmp(header.constData(), kMagic, sizeof kMagic) != 0)
        return false;
    if (pageSizeOf(header) != pageSize || uchar(header[18]) != 2 || uchar(header[19]) != 2 || fileSize % pageSize != 0)
        return false;
    // The page count in the header counts only when it was written with the change counter beside it.
    const bool countValid = bigEndian32(header, 24) == bigEndian32(header, 92);
    return !countValid || qint64(bigEndian32(header, 28)) * pageSize <= fileSize;
}

// The salt of the log's current run and the frames copied back so far, read from the shared index the engine
// keeps; both move only when a checkpoint writes the database file.
std::optional<quint64> checkpointProgress(sqlite3* handle)
{
    sqlite3_file* file = mainFile(handle);
    if (!file || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
        return std::nullopt;
    void volatile* region = nullptr;
    if (file->pMethods->xShmMap(file, 0, kIndexRegionSize, 0, &region) != SQLITE_OK || !region)
        return std::nullopt;
    const auto* bytes = static_cast<const volatile unsigned char*>(region);
    auto native32 = [bytes](int at) {
        unsigned char copy[4];
        for (int i = 0; i < 4; ++i)
            copy[i] = bytes[at + i];
        quint32 value = 0;
        std::memcpy(&value, copy, sizeof value);
        return value;
    };
    return quint64(native32(kIndexSaltOffset)) << 32 | native32(kIndexBackfillOffset);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameContentStamp(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Two calls to stat in the usual case; the header and the index are read only when the file was written.
StoreDriver::Files check(Watch& watch)
{
    using Files = StoreDriver::Files;
    if (!watch.known)
        return Files::InPlace;
    struct stat now = {};
    if (::stat(watch.path.constData(), &now) != 0 || !sameFile(now, watch.file))
        return Files::Moved;
    if (!watch.logKnown)
        return Files::InPlace;
    struct stat log = {};
    if (::stat(watch.logPath.constData(), &log) != 0 || !sameFile(log, watch.log))
        return Files::LogLost;
    if (sameContentStamp(now, watch.file))
        return Files::InPlace;
    // In write-ahead-log mode only a checkpoint writes the database file, and it moves the index on.
    QByteArray header;
    if (!readHeader(watch.handle, &header) || !plausible(header, now.st_size, watch.pageSize))
        return Files::ChangedInPlace;
    const std::optional<quint64> progress = checkpointProgress(watch.handle);
    const bool checkpointed = progress && progress != watch.progress;
    if (!checkpointed && header != watch.header)
        return Files::ChangedInPlace;
    watch.file = now;
    watch.header = header;
    watch.progress = progress;
    return Files::InPlace;
}

// The last guard for writes that do not go through a checked group: a commit into a file that is no longer
// the one opened is turned into a rollback.
int refuseCommitWhenChanged(void* data)
{
    Watch& watch = *static_cast<Watch*>(data);
    return watch.vouched || check(watch) == StoreDriver::Files::InPlace ? 0 : 1;
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
    Engine engine() const override { return Engine::SQLite; }
    QString qtDriver() const override { return QStringLiteral("QSQLITE"); }

    QString connectOptions() const override { return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kWindowBusyWaitMs); }

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

    bool configure(QSqlDatabase& db, QString* why, bool keepJournal) const override
    {
        QSqlQuery pragma(db);
        // The page cache is 64 MiB rather than SQLite's 2 MB: a report over ten thousand employees reads every
        // page of a day's rows once for each employee on it, and a cache that cannot hold them turns each
        // row into a read from the file. Pages are taken only as they are read.
        if ((!keepJournal && !pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) ||
            !pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")) ||
            !pragma.exec(QStringLiteral("PRAGMA cache_size=-65536"))) {
            if (why)
                *why = pragma.lastError().text();
            return false;
        }
        if (sqlite3* handle = handleOf(db)) {
            // A connection being set up knows nothing of its files until rememberFiles().
            Watch& watch = watches()[db.connectionName()];
            watch = Watch();
            watch.handle = handle;
            sqlite3_commit_hook(handle, refuseCommitWhenChanged, &watch);
        }
        return true;
    }

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

    Files checkFiles(const QSqlDatabase& db) const override
    {
        Watch* watch = watchOf(db);
        if (!watch || watch->handle != handleOf(db))
            return Files::InPlace;
        return check(*watch);
    }

    void rememberFiles(const QSqlDatabase& db) const override
    {
        sqlite3* handle = handleOf(db);
        if (!handle)
            return;
        Watch& watch = watches()[db.connectionName()];
        const bool vouched = watch.vouched;
        watch = Watch();
        watch.handle = handle;
        watch.vouched = vouched;
        const char* name = sqlite3_db_filename(handle, "main");
        if (!name || !*name) // a database in memory has no files
            return;
        watch.path = name;
        watch.logPath = watch.path + "-wal";
        if (::stat(watch.path.constData(), &watch.file) != 0 || !readHeader(handle, &watch.header))
            return;
        watch.pageSize = pageSizeOf(watch.header);
        watch.known = true;
        // The engine opens the log at the first read in write-ahead-log mode and keeps it open until the end.
        watch.logKnown = uchar(watch.header[18]) == 2 && ::stat(watch.logPath.constData(), &watch.log) == 0;
        if (watch.logKnown)
            watch.progress = checkpointProgress(handle);
    }

    bool checkpoint(const QSqlDatabase& db, QString* why, bool* busy) const override
    {
        sqlite3* handle = handleOf(db);
        *busy = false;
        if (!handle) {
            *why = QStringLiteral("The database is not open.");
            return false;
        }
        const int result = sqlite3_wal_checkpoint_v2(handle, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        if (result == SQLITE_OK)
            return true;
        *busy = (result & 0xff) == SQLITE_BUSY;
        *why = QString::fromUtf8(sqlite3_errmsg(handle));
        return false;
    }

    void setBusyWait(const QSqlDatabase& db, int milliseconds) const override
    {
        if (sqlite3* handle = handleOf(db))
            sqlite3_busy_timeout(handle, milliseconds);
    }

    int windowBusyWait() const override { return kWindowBusyWaitMs; }

    bool isBusy(const QSqlError& error) const override
    {
        return error.isValid() && (error.nativeErrorCode().toInt() & 0xff) == SQLITE_BUSY;
    }

    bool beginWriting(const QSqlDatabase& db, bool* busy, QString* why) const override
    {
        *busy = false;
        sqlite3* handle = handleOf(db);
        if (!handle) {
            *why = QStringLiteral("The database is not open.");
            return false;
        }
        const int result = sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (result == SQLITE_OK)
            return true;
        *busy = (result & 0xff) == SQLITE_BUSY;
        *why = QString::fromUtf8(sqlite3_errmsg(handle));
        return false;
    }

    void setVouched(const QSqlDatabase& db, bool vouched) const override
    {
        if (Watch* watch = watchOf(db))
            watch->vouched = vouched;
    }

    bool vouched(const QSqlDatabase& db) const override
    {
        const Watch* watch = watchOf(db);
        return watch && watch->vouched && watch->handle == handleOf(db);
    }

    std::unique_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql, QString* why) const override
    {
        return SqliteStatements::prepare(handleOf(db), sql, why);
    }

    void closing(const QSqlDatabase& db) const override { SqliteStatements::finalizeAll(handleOf(db)); }

    std::optional<qint64> schemaVersion(const QSqlDatabase& db, QString* why) const override
    {
        sqlite3* handle = handleOf(db);
        sqlite3_stmt* stmt = nullptr;
        if (!handle || sqlite3_prepare_v2(handle, "PRAGMA schema_version", -1, &stmt, nullptr) != SQLITE_OK ||
            sqlite3_step(stmt) != SQLITE_ROW) {
            if (why)
                *why = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("The database is not open.");
            sqlite3_finalize(stmt);
            return std::nullopt;
        }
        const qint64 version = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return version;
    }

    bool schemaText(const SchemaSql& sql, QString* text, QString*) const override
    {
        *text = sql.sqlite;
        return true;
    }

    bool locationExists(const QString& location) const override { return QFileInfo(location).isFile(); }

    // The file, its write-ahead log and shared index, and the rollback journal of a file not in WAL mode.
    QStringList locationFiles(const QString& location) const override
    {
        QStringList files;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            files << location + QLatin1String(suffix);
        return files;
    }

    QString displayName(const QSqlDatabase& db) const override { return db.databaseName(); }
    bool reconnects() const override { return false; }

    bool installTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why) const override
    {
        return SqliteTrail::install(db, tables, why);
    }

    bool attachTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, const Function& who,
                     QString* why) const override
    {
        return SqliteTrail::attach(db, tables, who, why);
    }

    // The program's triggers ask the program itself each time; there is nothing to keep in the session.
    bool trailChanged(const QSqlDatabase&, const QString&, const Function&, QString*) const override { return true; }
};

} // namespace

const StoreDriver& sqliteDriver()
{
    static const SqliteDriver driver;
    return driver;
}

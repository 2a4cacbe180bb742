#include "core/store/sqlitedriver.h"

#include "core/store/sqlitestatement.h"
#include "core/store/trailtriggers.h"

#include <QByteArray>
#include <QDebug>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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
constexpr int kIndexHeaderSize = 48;
constexpr int kIndexInitOffset = 12;
constexpr int kIndexFramesOffset = 16;
// The log: its header, each frame's header before its page, and the frames the engine lets it hold before a
// checkpoint (SQLite's default).
constexpr qint64 kLogHeaderSize = 32;
constexpr qint64 kFrameHeaderSize = 24;
constexpr int kAutoCheckpointFrames = 1000;

// The order of the audit trail's mark collation (SqliteTrail::attach): plain bytes.
int sameBytes(void*, int leftSize, const void* left, int rightSize, const void* right)
{
    const int common = std::memcmp(left, right, std::size_t(std::min(leftSize, rightSize)));
    return common != 0 ? common : leftSize - rightSize;
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// What a file at a path is, read without its times: reading times is free, but a check that compared them
// would take a checkpoint's write for someone else's.
struct FileSeen
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
};

std::optional<FileSeen> seen(const QByteArray& path)
{
    struct statx found = {};
    if (::statx(AT_FDCWD, path.constData(), AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO | STATX_SIZE, &found) != 0)
        return std::nullopt;
    return FileSeen{quint64(found.stx_dev_major) << 32 | found.stx_dev_minor, found.stx_ino, qint64(found.stx_size)};
}

bool sameFile(const FileSeen& a, const FileSeen& b)
{
    return a.device == b.device && a.inode == b.inode;
}

// The files one connection opened, as they were when last seen in order.
struct Watch
{
    sqlite3* handle = nullptr;
    bool known = false;
    QByteArray path;
    QByteArray logPath;
    FileSeen file;
    QByteArray header;
    int pageSize = 0;
    bool logKnown = false; // the connection writes a write-ahead log, and this is its file
    FileSeen log;
    std::optional<quint64> progress; // how far checkpoints have come, to tell their writes from others'
    bool vouched = false;
    bool replaced = false; // the file was swapped or rewritten under the connection: it writes nothing more
};

// One per named connection of the program; a connection that reopens keeps its entry. Connections of several
// threads watch the same file, and one's checkpoint is news to the others: the watches are read and written
// under this lock.
std::recursive_mutex& watchLock()
{
    static std::recursive_mutex lock;
    return lock;
}

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

// The file change counter: the engine only ever counts it up, so a file whose counter went down is an older
// copy, and a fresh copy (VACUUM INTO) starts low.
quint32 changeCounter(const QByteArray& header)
{
    return bigEndian32(header, 24);
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

// What the shared index the engine keeps says of the log: the salt of its current run and the frames copied
// back so far (both move only when a checkpoint writes the database file), and the frames it holds.
struct IndexState
{
    quint64 progress = 0;
    std::optional<quint32> frames; // none while a writer is updating the index
};

volatile unsigned char* indexRegion(sqlite3* handle)
{
    sqlite3_file* file = mainFile(handle);
    if (!file || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
        return nullptr;
    void volatile* region = nullptr;
    if (file->pMethods->xShmMap(file, 0, kIndexRegionSize, 0, &region) != SQLITE_OK || !region)
        return nullptr;
    return static_cast<volatile unsigned char*>(region);
}

// Marks the shared index as not set up and holding no frames: the next connection to read the database, of
// this program or another, rebuilds it from the log now at the path (the engine's recovery, under its locks),
// and every connection drops the pages it kept from the frames that are gone.
void forgetLoggedFrames(sqlite3* handle)
{
    volatile unsigned char* bytes = indexRegion(handle);
    if (!bytes)
        return;
    for (const int copy : {0, kIndexHeaderSize}) {
        bytes[copy + kIndexInitOffset] = 0;
        for (int i = 0; i < 4; ++i)
            bytes[copy + kIndexFramesOffset + i] = 0;
    }
}

std::optional<IndexState> indexState(sqlite3* handle)
{
    const volatile unsigned char* bytes = indexRegion(handle);
    if (!bytes)
        return std::nullopt;
    auto native32 = [bytes](int at) {
        unsigned char copy[4];
        for (int i = 0; i < 4; ++i)
            copy[i] = bytes[at + i];
        quint32 value = 0;
        std::memcpy(&value, copy, sizeof value);
        return value;
    };
    IndexState state;
    state.progress = quint64(native32(kIndexSaltOffset)) << 32 | native32(kIndexBackfillOffset);
    // The index header is kept twice; the copies differ only in the middle of an update.
    const quint32 frames = native32(kIndexFramesOffset);
    if (frames == native32(kIndexHeaderSize + kIndexFramesOffset))
        state.frames = frames;
    return state;
}

std::optional<quint64> checkpointProgress(sqlite3* handle)
{
    const std::optional<IndexState> state = indexState(handle);
    return state ? std::optional<quint64>(state->progress) : std::nullopt;
}

// A log shorter than the frames the index says it holds was cut in place (emptied with `: > file`): writing
// on would append behind a missing header, and everything after it would be lost at the next start.
bool logCutShort(const Watch& watch, qint64 logSize)
{
    const std::optional<IndexState> state = indexState(watch.handle);
    if (!state || !state->frames || *state->frames == 0)
        return false;
    return logSize < kLogHeaderSize + qint64(*state->frames) * (kFrameHeaderSize + watch.pageSize);
}

// A log that must not be read with the file at its path, kept under another name rather than deleted.
void setAsideLog(const QByteArray& logPath)
{
    QByteArray aside = logPath + ".replaced";
    for (int n = 2; ::access(aside.constData(), F_OK) == 0; ++n)
        aside = logPath + ".replaced." + QByteArray::number(n);
    if (::rename(logPath.constData(), aside.constData()) == 0)
        qWarning().noquote() << "The log" << QString::fromLocal8Bit(logPath)
                             << "does not belong to the database file at its path; it is kept as"
                             << QString::fromLocal8Bit(aside);
}

// The connection's log holds pages of the file it opened; never let them be copied into the file now at the
// path, by this connection's close or by the next program that opens it.
void setAsideLog(Watch& watch, bool sameInode)
{
    if (!watch.logKnown)
        return;
    const std::optional<FileSeen> log = seen(watch.logPath);
    if (!log || !sameFile(*log, watch.log))
        return;
    int disabled = 0;
    sqlite3_db_config(watch.handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &disabled);
    // Swapped: what the log holds belongs in the file the connection still has open, wherever it went.
    if (!sameInode &&
        sqlite3_wal_checkpoint_v2(watch.handle, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) == SQLITE_OK)
        return;
    setAsideLog(watch.logPath);
    forgetLoggedFrames(watch.handle);
}

// Every connection of the program to the file refuses from now on, not only the one that noticed.
StoreDriver::Files replaced(Watch& watch, bool sameInode)
{
    for (auto& [connection, other] : watches()) {
        if (other.known && other.path == watch.path) {
            other.replaced = true;
            // No close of the program's may copy its log into the file now at the path.
            int disabled = 0;
            sqlite3_db_config(other.handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &disabled);
        }
    }
    watch.replaced = true;
    setAsideLog(watch, sameInode);
    return StoreDriver::Files::Replaced;
}

// The file as it is now taken as the one the connection writes into.
void refresh(Watch& watch)
{
    if (const std::optional<FileSeen> now = seen(watch.path); now && readHeader(watch.handle, &watch.header)) {
        watch.file = *now;
        watch.progress = checkpointProgress(watch.handle);
    }
}

// Two statx calls and a read of the header, which the engine's cache keeps in memory.
StoreDriver::Files check(Watch& watch)
{
    using Files = StoreDriver::Files;
    if (!watch.known)
        return Files::InPlace;
    if (watch.replaced)
        return Files::Replaced;
    const std::optional<FileSeen> now = seen(watch.path);
    if (!now)
        return Files::Moved;
    if (!sameFile(*now, watch.file))
        return replaced(watch, false);
    if (!watch.logKnown)
        return Files::InPlace;
    const std::optional<FileSeen> log = seen(watch.logPath);
    if (!log || !sameFile(*log, watch.log))
        return Files::LogLost;
    if (logCutShort(watch, log->size)) {
        forgetLoggedFrames(watch.handle);
        return Files::LogEmptied;
    }
    QByteArray header;
    if (!readHeader(watch.handle, &header))
        return replaced(watch, true);
    if (now->size == watch.file.size && header == watch.header)
        return Files::InPlace;
    // In write-ahead-log mode only a checkpoint writes the database file. The connection's own are taken in
    // as they happen (walCommitted), so what moved the index on since was another program's.
    const std::optional<quint64> progress = checkpointProgress(watch.handle);
    if (!plausible(header, now->size, watch.pageSize) || changeCounter(header) < changeCounter(watch.header) ||
        !progress || progress == watch.progress)
        return replaced(watch, true);
    watch.file = *now;
    watch.header = header;
    watch.progress = progress;
    return Files::InPlace;
}

// The program's other connections to the file saw no write of anybody else's either.
void shareBaseline(const Watch& watch)
{
    for (auto& [connection, other] : watches()) {
        if (&other != &watch && other.known && !other.replaced && sameFile(other.file, watch.file)) {
            other.file = watch.file;
            other.header = watch.header;
            other.progress = watch.progress;
        }
    }
}

// The connection's own commits and checkpoints. Its checkpoints replace the engine's automatic ones at the same
// size: only into the file it opened, and the file they leave is the one expected. A commit that started the
// log anew (a new salt) follows a checkpoint of all of it: the file as it is then is taken when it still looks
// like the one opened (checked before the commit), or left for the next check to refuse.
int walCommitted(void* data, sqlite3* handle, const char* name, int frames)
{
    const std::lock_guard<std::recursive_mutex> locked(watchLock());
    Watch& watch = *static_cast<Watch*>(data);
    if (!watch.known || watch.replaced)
        return SQLITE_OK;
    if (frames >= kAutoCheckpointFrames && check(watch) == StoreDriver::Files::InPlace) {
        sqlite3_wal_checkpoint_v2(handle, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        refresh(watch);
        shareBaseline(watch);
        return SQLITE_OK;
    }
    const std::optional<quint64> progress = checkpointProgress(handle);
    if (!progress || !watch.progress || (*progress >> 32) == (*watch.progress >> 32))
        return SQLITE_OK;
    const std::optional<FileSeen> now = seen(watch.path);
    QByteArray header;
    if (!now || !sameFile(*now, watch.file) || !readHeader(handle, &header) ||
        !plausible(header, now->size, watch.pageSize) || changeCounter(header) < changeCounter(watch.header))
        return SQLITE_OK;
    watch.file = *now;
    watch.header = header;
    watch.progress = progress;
    shareBaseline(watch);
    return SQLITE_OK;
}

// The last guard for writes that do not go through a checked group: a commit into a file that is no longer
// the one opened is turned into a rollback.
int refuseCommitWhenChanged(void* data)
{
    const std::lock_guard<std::recursive_mutex> locked(watchLock());
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
            const std::lock_guard<std::recursive_mutex> locked(watchLock());
            // A connection being set up knows nothing of its files until rememberFiles().
            Watch& watch = watches()[db.connectionName()];
            watch = Watch();
            watch.handle = handle;
            sqlite3_commit_hook(handle, refuseCommitWhenChanged, &watch);
            sqlite3_wal_hook(handle, walCommitted, &watch);
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
        const std::lock_guard<std::recursive_mutex> locked(watchLock());
        Watch* watch = watchOf(db);
        if (!watch || watch->handle != handleOf(db))
            return Files::InPlace;
        return check(*watch);
    }

    void rememberFiles(const QSqlDatabase& db) const override
    {
        const std::lock_guard<std::recursive_mutex> locked(watchLock());
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
        const std::optional<FileSeen> file = seen(watch.path);
        if (!file || !readHeader(handle, &watch.header))
            return;
        watch.file = *file;
        watch.pageSize = pageSizeOf(watch.header);
        watch.known = true;
        // The engine opens the log at the first read in write-ahead-log mode and keeps it open until the end.
        const std::optional<FileSeen> log = uchar(watch.header[18]) == 2 ? seen(watch.logPath) : std::nullopt;
        watch.logKnown = log.has_value();
        if (log) {
            watch.log = *log;
            watch.progress = checkpointProgress(handle);
        }
        // Another connection of the program opened the file earlier: this one writes into that file or not at
        // all, and a change since then is judged against what that one saw.
        for (const auto& [connection, other] : watches()) {
            if (&other == &watch || !other.known || other.path != watch.path)
                continue;
            if (other.replaced || !sameFile(other.file, watch.file)) {
                watch.replaced = true;
            } else {
                watch.header = other.header;
                watch.file.size = other.file.size;
                watch.progress = other.progress;
            }
            break;
        }
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
        if (result == SQLITE_OK) {
            const std::lock_guard<std::recursive_mutex> locked(watchLock());
            // Everything the connection wrote is in the file now; a log at the path that is not its own (an
            // older copy put back) would be read as the file's newest pages when the connection opens again.
            if (Watch* watch = watchOf(db); watch && watch->logKnown) {
                if (const std::optional<FileSeen> log = seen(watch->logPath);
                    log && !sameFile(*log, watch->log) && log->size > 0)
                    setAsideLog(watch->logPath);
            }
            return true;
        }
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
        const int result = SqliteStatements::runKept(handle, "BEGIN IMMEDIATE");
        if (result == SQLITE_OK)
            return true;
        *busy = (result & 0xff) == SQLITE_BUSY;
        *why = QString::fromUtf8(sqlite3_errmsg(handle));
        return false;
    }

    bool commitWriting(const QSqlDatabase& db, bool* busy, QString* why) const override
    {
        *busy = false;
        sqlite3* handle = handleOf(db);
        if (!handle) {
            *why = QStringLiteral("The database is not open.");
            return false;
        }
        const int result = SqliteStatements::runKept(handle, "COMMIT");
        if (result == SQLITE_OK)
            return true;
        *busy = (result & 0xff) == SQLITE_BUSY;
        *why = QString::fromUtf8(sqlite3_errmsg(handle));
        return false;
    }

    void setVouched(const QSqlDatabase& db, bool vouched) const override
    {
        const std::lock_guard<std::recursive_mutex> locked(watchLock());
        if (Watch* watch = watchOf(db))
            watch->vouched = vouched;
    }

    bool vouched(const QSqlDatabase& db) const override
    {
        const std::lock_guard<std::recursive_mutex> locked(watchLock());
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
        const std::optional<qint64> version =
            handle ? SqliteStatements::integerKept(handle, "PRAGMA schema_version") : std::nullopt;
        if (!version && why)
            *why = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("The database is not open.");
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

    bool restoreTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored,
                      QString* why) const override
    {
        return SqliteTrail::restore(db, tables, restored, why);
    }

    QString trailChainText(const QString& change) const override { return SqliteTrail::chainText(change); }

    bool attachTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, const Function& who,
                     QString* why) const override
    {
        const auto mark = [&db](const QString& name, QString* error) {
            sqlite3* handle = handleOf(db);
            const int result =
                handle ? sqlite3_create_collation(handle, name.toUtf8().constData(), SQLITE_UTF8, nullptr, sameBytes)
                       : SQLITE_MISUSE;
            if (result != SQLITE_OK && error)
                *error = QString::fromUtf8(sqlite3_errstr(result));
            return result == SQLITE_OK;
        };
        return SqliteTrail::attach(db, tables, who, mark, why);
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

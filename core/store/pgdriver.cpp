#include "core/store/pgdriver.h"

#include "core/store/threadmap.h"
#include "core/store/trailtriggers.h"

#include <QHash>
#include <QMetaType>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>
#include <atomic>
#include <cstdlib>
#include <libpq-fe.h>
#include <map>
#include <vector>

namespace {

// A window that saves while another connection holds the row waits this long, then says the database is busy.
constexpr int kWindowBusyWaitMs = 1000;
// The advisory lock every program takes for a group of punches, so that punches from several services are
// stored one group at a time, as on a single file: no two services fill the same slot or start the same day.
constexpr qint64 kPunchLockKey = 50505;

// Type identifiers of the built-in types (fixed by the engine; see pg_type).
enum : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestampTz = 1184,
};

const QString kClosed = QStringLiteral("The database connection was closed.");

PGconn* handleOf(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// Another writer is in the way: a serialization failure, a deadlock, or a lock not granted in time. The
// statement changed nothing and may be tried again.
bool isBusyState(const QByteArray& state)
{
    // Serialization failure, deadlock, a lock not granted in time, and a statement cut short by its timeout:
    // all end with nothing written, and the same statements can be tried again.
    return state == "40001" || state == "40P01" || state == "55P03" || state == "57014";
}

QString errorOf(PGconn* conn, const PGresult* result)
{
    if (PQstatus(conn) != CONNECTION_OK)
        return QStringLiteral("The connection to the database server was lost (%1).")
            .arg(QString::fromUtf8(PQerrorMessage(conn)).trimmed());
    // The message itself, as the programs show it, without the engine's "ERROR:" and its context lines.
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
}

// The engine's placeholders are $1, $2...; the programs write ?. Quoted text and names are left alone.
QByteArray numberedPlaceholders(const QString& sql, int* count)
{
    const QByteArray in = sql.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 16);
    char quote = 0;
    *count = 0;
    for (const char c : in) {
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + QByteArray::number(++*count);
        } else {
            out += c;
        }
    }
    return out;
}

QString declaredTypeOf(Oid type)
{
    switch (type) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return QStringLiteral("INTEGER");
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QStringLiteral("REAL");
    case kDate:
        return QStringLiteral("DATE");
    case kTime:
        return QStringLiteral("TIME");
    case kTimestamp:
    case kTimestampTz:
        return QStringLiteral("DATETIME");
    case kBytea:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("TEXT");
    }
}

class PgStatement;

// The statements alive on each connection, so that closing it can finish them first; each thread keeps those
// of the connections it uses (the punches have a thread of their own).
thread_local ThreadMap<QHash<PGconn*, QSet<PgStatement*>>> t_live;
QHash<PGconn*, QSet<PgStatement*>>& live()
{
    return *t_live;
}

// A statement prepared on the server once and run with text values; its rows come back as text in the same
// forms the programs store (dates yyyy-MM-dd, times HH:mm:ss), so every reader takes them alike from either
// engine. The rows of one run are read whole, so several statements may be stepped at once on the connection.
// A statement in batches (a read of more rows than fit in memory) runs through a cursor instead, in a read-only
// transaction of its own when none is open, and holds one batch of its rows at a time.
class PgStatement final : public StepStatement
{
public:
    static constexpr int kBatchRows = 4096;

    PgStatement(PGconn* conn, QByteArray name, const PGresult* description, QByteArray batchedText = {})
        : m_conn(conn), m_name(std::move(name)), m_batchedText(std::move(batchedText))
    {
        const int params = PQnparams(description);
        m_values.resize(std::size_t(params));
        m_nulls.assign(std::size_t(params), true);
        for (int i = 0; i < PQnfields(description); ++i) {
            m_names << QString::fromUtf8(PQfname(description, i));
            m_types.push_back(PQftype(description, i));
        }
        live()[conn].insert(this);
    }

    ~PgStatement() override
    {
        endCursor();
        clearResult();
        if (!m_conn)
            return;
        auto it = live().find(m_conn);
        if (it != live().end()) {
            it->remove(this);
            if (it->isEmpty())
                live().erase(it);
        }
        t_live.releaseIfEmpty();
        // Never in the middle of a failed transaction, where the engine refuses everything but its end.
        if (PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) == PQTRANS_IDLE)
            PQclear(PQexec(m_conn, QByteArray("DEALLOCATE " + m_name).constData()));
    }

    void forget()
    {
        clearResult();
        m_cursorOpen = false;
        m_ownTransaction = false;
        m_conn = nullptr;
        m_active = false;
    }

    bool bind(int index, const QVariant& value) override
    {
        if (!m_conn)
            return fail(kClosed);
        if (index < 0 || std::size_t(index) >= m_values.size())
            return fail(QStringLiteral("The statement has no value %1 to bind.").arg(index + 1));
        const auto at = std::size_t(index);
        m_nulls[at] = value.isNull();
        if (value.isNull())
            return true;
        switch (value.typeId()) {
        case QMetaType::Bool:
            m_values[at] = value.toBool() ? "1" : "0";
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            m_values[at] = QByteArray::number(value.toDouble(), 'g', 17);
            break;
        case QMetaType::QDate:
            m_values[at] = value.toDate().toString(Qt::ISODate).toUtf8();
            break;
        case QMetaType::QTime:
            m_values[at] = value.toTime().toString(u"hh:mm:ss.zzz").toUtf8();
            break;
        case QMetaType::QDateTime:
            m_values[at] = value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
            break;
        case QMetaType::QByteArray: {
            // Bytes go as the engine's hex form of bytea.
            m_values[at] = "\\x" + value.toByteArray().toHex();
            break;
        }
        default:
            m_values[at] = value.toString().toUtf8();
            break;
        }
        return true;
    }

    Step step() override
    {
        if (!m_conn) {
            fail(kClosed);
            return Step::Failed;
        }
        if (!m_active) {
            m_active = true;
            m_busy = false;
            if (!run())
                return Step::Failed;
        }
        if (m_result && ++m_row < m_rows)
            return Step::Row;
        // The next batch, while the last one was full.
        if (!m_cursorOpen || m_rows < kBatchRows)
            return Step::Done;
        if (!fetch())
            return Step::Failed;
        return ++m_row < m_rows ? Step::Row : Step::Done;
    }

    void reset() override
    {
        endCursor();
        clearResult();
        m_active = false;
        std::fill(m_nulls.begin(), m_nulls.end(), true);
    }

    bool isActive() const override { return m_active; }
    QString error() const override { return m_error; }
    bool busy() const override { return m_busy; }
    int changes() const override { return m_changes; }

    int columnCount() const override { return int(m_names.size()); }
    QString columnName(int column) const override { return m_names.value(column); }
    QString declaredType(int column) const override { return declaredTypeOf(typeOf(column)); }

    QVariant value(int column) const override
    {
        if (isNull(column))
            return QVariant(QMetaType::fromType<QString>());
        const char* text = PQgetvalue(m_result, m_row, column);
        switch (typeOf(column)) {
        case kBool:
            return qlonglong(text[0] == 't' ? 1 : 0);
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return qlonglong(std::strtoll(text, nullptr, 10));
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return std::strtod(text, nullptr);
        case kBytea: {
            std::size_t length = 0;
            unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
            QByteArray copy(reinterpret_cast<const char*>(bytes), qsizetype(length));
            PQfreemem(bytes);
            return copy;
        }
        default:
            return QString::fromUtf8(utf8(column));
        }
    }

    bool isNull(int column) const override
    {
        return !onRow() || column < 0 || column >= PQnfields(m_result) || PQgetisnull(m_result, m_row, column);
    }

    double real(int column) const override
    {
        if (isNull(column))
            return 0.0;
        const char* text = PQgetvalue(m_result, m_row, column);
        return typeOf(column) == kBool ? (text[0] == 't' ? 1.0 : 0.0) : std::strtod(text, nullptr);
    }

    QByteArrayView utf8(int column) const override
    {
        if (isNull(column))
            return {};
        return QByteArrayView(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
    }

private:
    bool onRow() const { return m_result && m_row >= 0 && m_row < m_rows; }
    Oid typeOf(int column) const
    {
        return column >= 0 && std::size_t(column) < m_types.size() ? m_types[std::size_t(column)] : 0;
    }

    bool run()
    {
        std::vector<const char*> values(m_values.size());
        for (std::size_t i = 0; i < m_values.size(); ++i)
            values[i] = m_nulls[i] ? nullptr : m_values[i].constData();
        if (!m_batchedText.isEmpty())
            return openCursor(values);
        m_result = PQexecPrepared(m_conn, m_name.constData(), int(values.size()), values.data(), nullptr, nullptr, 0);
        return took();
    }

    QByteArray cursorName() const { return m_name + "_rows"; }

    bool openCursor(const std::vector<const char*>& values)
    {
        if (PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
            m_result = PQexec(m_conn, "BEGIN READ ONLY");
            if (!took())
                return false;
            clearResult();
            m_ownTransaction = true;
        }
        const QByteArray declare = "DECLARE " + cursorName() + " NO SCROLL CURSOR FOR " + m_batchedText;
        m_result = PQexecParams(m_conn, declare.constData(), int(values.size()), nullptr, values.data(), nullptr,
                                nullptr, 0);
        if (!took()) {
            endCursor();
            return false;
        }
        clearResult();
        m_cursorOpen = true;
        if (fetch())
            return true;
        endCursor();
        return false;
    }

    bool fetch()
    {
        clearResult();
        const QByteArray sql = "FETCH FORWARD " + QByteArray::number(kBatchRows) + " FROM " + cursorName();
        m_result = PQexec(m_conn, sql.constData());
        return took();
    }

    // The cursor goes, and the transaction opened for it ends (rolled back after a failure, which is all the
    // engine takes then; it read only).
    void endCursor()
    {
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
            m_cursorOpen = m_ownTransaction = false;
            return;
        }
        const bool failed = PQtransactionStatus(m_conn) == PQTRANS_INERROR;
        if (m_cursorOpen && !failed)
            PQclear(PQexec(m_conn, QByteArray("CLOSE " + cursorName()).constData()));
        if (m_ownTransaction)
            PQclear(PQexec(m_conn, failed ? "ROLLBACK" : "COMMIT"));
        m_cursorOpen = m_ownTransaction = false;
    }

    // Takes the result just run: its rows, or its failure.
    bool took()
    {
        const ExecStatusType status = m_result ? PQresultStatus(m_result) : PGRES_FATAL_ERROR;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
            m_rows = PQntuples(m_result);
            m_row = -1;
            m_changes = std::atoi(PQcmdTuples(m_result));
            return true;
        }
        const char* state = m_result ? PQresultErrorField(m_result, PG_DIAG_SQLSTATE) : nullptr;
        m_busy = state && isBusyState(state);
        m_error = errorOf(m_conn, m_result);
        clearResult();
        return false;
    }

    void clearResult()
    {
        if (m_result)
            PQclear(m_result);
        m_result = nullptr;
        m_rows = 0;
        m_row = -1;
    }

    bool fail(const QString& why)
    {
        m_error = why;
        return false;
    }

    PGconn* m_conn;
    QByteArray m_name;
    QByteArray m_batchedText; // the SQL, with the engine's placeholders, of a statement in batches
    bool m_cursorOpen = false;
    bool m_ownTransaction = false;
    QStringList m_names;
    std::vector<Oid> m_types;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_nulls;
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
    int m_changes = 0;
    bool m_active = false;
    bool m_busy = false;
    QString m_error;
};

// Runs SQL without values on the connection; the text of the last result's first value when it has one.
bool execute(PGconn* conn, const QByteArray& sql, QString* why, QByteArray* firstValue = nullptr)
{
    PGresult* result = PQexec(conn, sql.constData());
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (ok && firstValue)
        *firstValue = PQntuples(result) > 0 ? QByteArray(PQgetvalue(result, 0, 0)) : QByteArray();
    if (!ok && why)
        *why = errorOf(conn, result);
    PQclear(result);
    return ok;
}

// By connection name; each thread keeps those of the connections it uses.
std::map<QString, bool>& vouchedConnections()
{
    thread_local std::map<QString, bool> vouched;
    return vouched;
}

class PostgresDriver final : public StoreDriver
{
public:
    Engine engine() const override { return Engine::PostgreSQL; }
    QString qtDriver() const override { return QStringLiteral("QPSQL"); }
    // Bounded waits on the link: a server that does not answer the connection in 2 s, a link silent for 10 s
    // that three probes 5 s apart find dead, or data unacknowledged for 20 s (a cut cable) ends the connection,
    // which is then made again, rather than holding the punches for the kernel's retransmission limit.
    QString connectOptions() const override
    {
        return QStringLiteral("connect_timeout=2;application_name=qorvil;keepalives=1;keepalives_idle=10;"
                              "keepalives_interval=5;keepalives_count=3;tcp_user_timeout=20000");
    }
    QString inMemoryName() const override { return QString(); }

    bool probe(QSqlDatabase& db, QString* why) const override
    {
        PGconn* conn = handleOf(db);
        if (!conn) {
            if (why)
                *why = QStringLiteral("The database server could not be reached.");
            return false;
        }
        return execute(conn, "SELECT 1", why);
    }

    bool configure(QSqlDatabase& db, QString* why, bool) const override
    {
        PGconn* conn = handleOf(db);
        if (!conn) {
            if (why)
                *why = QStringLiteral("The database server could not be reached.");
            return false;
        }
        // A punch is answered only after its commit reached the server's disk. Dates are read and written
        // as yyyy-MM-dd whatever the server's own style; notices (an extension already there) stay quiet.
        return execute(conn,
                       "SET synchronous_commit TO on; SET DateStyle TO 'ISO, MDY'; "
                       "SET client_min_messages TO warning; SET default_transaction_isolation TO 'read committed'; "
                       "SET lock_timeout TO '" +
                           QByteArray::number(kWindowBusyWaitMs) + "ms'",
                       why);
    }

    bool inTransaction(const QSqlDatabase& db) const override
    {
        PGconn* conn = handleOf(db);
        return conn && PQtransactionStatus(conn) != PQTRANS_IDLE;
    }

    bool defineFunction(QSqlDatabase&, const QString&, int, Function, QString* why) const override
    {
        if (why)
            *why = QStringLiteral("The database server cannot call functions of the program.");
        return false;
    }

    std::unique_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql, QString* why) const override
    {
        return prepare(db, sql, false, why);
    }

    std::unique_ptr<StepStatement> prepareBatches(const QSqlDatabase& db, const QString& sql,
                                                  QString* why) const override
    {
        return prepare(db, sql, true, why);
    }

    bool statementIsRoundTrip() const override { return true; }

    // Prepared on the server even in batches, where it runs through a cursor: so its columns are known, and
    // a fault in the SQL shows here.
    static std::unique_ptr<StepStatement> prepare(const QSqlDatabase& db, const QString& sql, bool inBatches,
                                                  QString* why)
    {
        PGconn* conn = handleOf(db);
        if (!conn) {
            if (why)
                *why = QStringLiteral("The database is not open.");
            return nullptr;
        }
        static std::atomic<int> serial = 0;
        const QByteArray name = "qorvil_" + QByteArray::number(++serial);
        int params = 0;
        const QByteArray text = numberedPlaceholders(sql, &params);
        PGresult* prepared = PQprepare(conn, name.constData(), text.constData(), 0, nullptr);
        const bool ok = prepared && PQresultStatus(prepared) == PGRES_COMMAND_OK;
        if (!ok && why)
            *why = errorOf(conn, prepared);
        PQclear(prepared);
        if (!ok)
            return nullptr;
        PGresult* description = PQdescribePrepared(conn, name.constData());
        if (!description || PQresultStatus(description) != PGRES_COMMAND_OK) {
            if (why)
                *why = errorOf(conn, description);
            PQclear(description);
            return nullptr;
        }
        auto statement = std::make_unique<PgStatement>(conn, name, description, inBatches ? text : QByteArray());
        PQclear(description);
        return statement;
    }

    void closing(const QSqlDatabase& db) const override
    {
        const QSet<PgStatement*> statements = live().take(handleOf(db));
        for (PgStatement* statement : statements)
            statement->forget();
        t_live.releaseIfEmpty();
    }

    // There are no files here; what can be lost is the connection to the server.
    Files checkFiles(const QSqlDatabase& db) const override
    {
        PGconn* conn = handleOf(db);
        return conn && PQstatus(conn) == CONNECTION_OK ? Files::InPlace : Files::ConnectionLost;
    }

    void rememberFiles(const QSqlDatabase&) const override {}

    bool checkpoint(const QSqlDatabase&, QString*, bool* busy) const override
    {
        *busy = false;
        return true;
    }

    void setBusyWait(const QSqlDatabase&, int) const override {}
    int windowBusyWait() const override { return kWindowBusyWaitMs; }

    bool isBusy(const QSqlError& error) const override
    {
        return error.isValid() && isBusyState(error.nativeErrorCode().toLatin1());
    }

    bool beginWriting(const QSqlDatabase& db, bool* busy, QString* why) const override
    {
        *busy = false;
        PGconn* conn = handleOf(db);
        if (!conn) {
            *why = QStringLiteral("The database is not open.");
            return false;
        }
        QByteArray granted;
        // The group's writes are punches, which the audit trail leaves out: said for this transaction only, in
        // the same round trip.
        if (!execute(conn,
                     "BEGIN; SELECT pg_try_advisory_xact_lock(" + QByteArray::number(kPunchLockKey) +
                         ") AND set_config('qorvil.paused', '1', true) = '1'",
                     why, &granted)) {
            if (PQtransactionStatus(conn) != PQTRANS_IDLE)
                execute(conn, "ROLLBACK", nullptr);
            return false;
        }
        if (granted == "t")
            return true;
        // Another service is storing its group; this one waits its turn without blocking.
        execute(conn, "ROLLBACK", nullptr);
        *busy = true;
        *why = QStringLiteral("Another program is storing punches.");
        return false;
    }

    void setVouched(const QSqlDatabase& db, bool vouched) const override
    {
        vouchedConnections()[db.connectionName()] = vouched;
    }

    bool vouched(const QSqlDatabase& db) const override
    {
        const auto found = vouchedConnections().find(db.connectionName());
        return found != vouchedConnections().end() && found->second;
    }

    // The schema is not watched between writes here: it changes only by the migrations.
    std::optional<qint64> schemaVersion(const QSqlDatabase&, QString*) const override { return 0; }

    // Statements given once for both engines must not carry SQLite's own words: read by PostgreSQL they would
    // make a column of another type (REAL is single precision here) or a key without numbering.
    bool schemaText(const SchemaSql& sql, QString* text, QString* why) const override
    {
        static const QRegularExpression sqliteWords(
            QStringLiteral("\\bCOLLATE\\s+NOCASE\\b|\\bINTEGER\\s+PRIMARY\\s+KEY\\b|\\bREAL\\b"),
            QRegularExpression::CaseInsensitiveOption);
        if (sql.shared && sql.postgresql.contains(sqliteWords)) {
            if (why)
                *why = QStringLiteral("A schema statement is written in SQLite's words only; write it for "
                                      "PostgreSQL too: %1")
                           .arg(sql.postgresql);
            return false;
        }
        *text = sql.postgresql;
        return true;
    }

    bool locationExists(const QString&) const override { return true; }
    QStringList locationFiles(const QString&) const override { return {}; }

    QString displayName(const QSqlDatabase& db) const override
    {
        return Postgres::display({db.userName(), db.hostName(), db.port(), db.databaseName()});
    }

    bool reconnects() const override { return true; }

    bool installTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why) const override
    {
        return PgTrail::install(db, tables, why);
    }

    bool restoreTrail(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored,
                      QString* why) const override
    {
        return PgTrail::restore(db, tables, restored, why);
    }

    QString trailChainText(const QString& change) const override { return PgTrail::chainText(change); }

    bool sealTrail(const QSqlDatabase& db, QString* why) const override
    {
        QSqlDatabase connection = db;
        return PgTrail::seal(connection, why);
    }

    // The database's function reads who is changing from the session.
    bool attachTrail(QSqlDatabase& db, const std::vector<TrailTable>&, const Function& who, QString* why) const override
    {
        for (const QString& key : PgTrail::sessionKeys()) {
            if (!trailChanged(db, key, who, why))
                return false;
        }
        return true;
    }

    bool trailChanged(const QSqlDatabase& db, const QString& key, const Function& who, QString* why) const override
    {
        const QVariant value = who({key});
        return setSessionValue(db, QStringLiteral("qorvil.") + key, value.isNull() ? QString() : value.toString(), why);
    }

private:
    bool setSessionValue(const QSqlDatabase& db, const QString& name, const QString& value, QString* why) const
    {
        PGconn* conn = handleOf(db);
        if (!conn) {
            if (why)
                *why = QStringLiteral("The database is not open.");
            return false;
        }
        const QByteArray key = name.toUtf8();
        const QByteArray text = value.toUtf8();
        const char* values[] = {key.constData(), text.constData()};
        PGresult* result =
            PQexecParams(conn, "SELECT set_config($1, $2, false)", 2, nullptr, values, nullptr, nullptr, 0);
        const bool ok = result && PQresultStatus(result) == PGRES_TUPLES_OK;
        if (!ok && why)
            *why = errorOf(conn, result);
        PQclear(result);
        return ok;
    }
};

} // namespace

const StoreDriver& postgresDriver()
{
    static const PostgresDriver driver;
    return driver;
}

namespace Postgres {

bool isLocation(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
}

std::optional<Location> parseLocation(const QString& text, QString* why)
{
    const QUrl url(text, QUrl::StrictMode);
    const auto refuse = [&](const QString& reason) -> std::optional<Location> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (!url.isValid() || !isLocation(text))
        return refuse(QStringLiteral("%1 is not a database location of the form "
                                     "postgresql://USER@HOST:PORT/DBNAME.")
                          .arg(text));
    if (!url.password().isEmpty())
        return refuse(QStringLiteral("A password is never given on the command line: put it in ~/.pgpass or "
                                     "PGPASSWORD."));
    Location location;
    location.user = url.userName();
    location.host = url.host();
    location.port = url.port(5432);
    location.database = url.path().mid(1);
    if (location.host.isEmpty() || location.database.isEmpty() || location.database.contains(QLatin1Char('/')))
        return refuse(QStringLiteral("%1 names no host or no database; the form is "
                                     "postgresql://USER@HOST:PORT/DBNAME.")
                          .arg(text));
    if (url.hasQuery() || url.hasFragment())
        return refuse(QStringLiteral("%1 has options this program does not take.").arg(text));
    return location;
}

QString display(const Location& location)
{
    return QStringLiteral("postgresql://%1%2:%3/%4")
        .arg(location.user.isEmpty() ? QString() : location.user + QLatin1Char('@'), location.host)
        .arg(location.port)
        .arg(location.database);
}

} // namespace Postgres

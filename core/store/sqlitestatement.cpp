#include "core/store/sqlitestatement.h"

#include "core/store/threadmap.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <sqlite3.h>

namespace {

class SqliteStatement;

// The statements alive on each connection, so that closing it can finish them first. A connection and its
// statements are used by one thread only (the punches have a thread of their own), so each thread keeps its own.
thread_local ThreadMap<QHash<sqlite3*, QSet<SqliteStatement*>>> t_live;
QHash<sqlite3*, QSet<SqliteStatement*>>& live()
{
    return *t_live;
}

// Statements of fixed text kept per handle, finalized with the handle's others.
thread_local ThreadMap<QHash<sqlite3*, QHash<const char*, sqlite3_stmt*>>> t_kept;
QHash<sqlite3*, QHash<const char*, sqlite3_stmt*>>& kept()
{
    return *t_kept;
}

sqlite3_stmt* keptStatement(sqlite3* handle, const char* sql)
{
    sqlite3_stmt*& stmt = kept()[handle][sql];
    if (!stmt && sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    return stmt;
}

const QString kClosed = QStringLiteral("The database was closed.");

class SqliteStatement final : public StepStatement
{
public:
    SqliteStatement(sqlite3* handle, sqlite3_stmt* stmt) : m_handle(handle), m_stmt(stmt)
    {
        live()[handle].insert(this);
    }

    ~SqliteStatement() override
    {
        if (m_stmt) {
            sqlite3_finalize(m_stmt);
            auto it = live().find(m_handle);
            if (it != live().end()) {
                it->remove(this);
                if (it->isEmpty())
                    live().erase(it);
            }
            t_live.releaseIfEmpty();
        }
    }

    void finalize()
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_active = false;
    }

    bool bind(int index, const QVariant& value) override
    {
        if (!m_stmt)
            return fail(kClosed);
        const int at = index + 1;
        int rc = SQLITE_OK;
        // The same forms as Qt's SQLite driver, so a value is stored alike on either road.
        if (value.isNull()) {
            rc = sqlite3_bind_null(m_stmt, at);
        } else {
            switch (value.typeId()) {
            case QMetaType::QByteArray: {
                const QByteArray bytes = value.toByteArray();
                rc = sqlite3_bind_blob(m_stmt, at, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::Int:
            case QMetaType::Bool:
                rc = sqlite3_bind_int(m_stmt, at, value.toInt());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(m_stmt, at, value.toDouble());
                break;
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Long:
            case QMetaType::ULong:
                rc = sqlite3_bind_int64(m_stmt, at, value.toLongLong());
                break;
            case QMetaType::QDateTime:
                rc = bindText(at, value.toDateTime().toString(Qt::ISODateWithMs));
                break;
            case QMetaType::QTime:
                rc = bindText(at, value.toTime().toString(u"hh:mm:ss.zzz"));
                break;
            default:
                rc = bindText(at, value.toString());
                break;
            }
        }
        return rc == SQLITE_OK || fail(QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

    Step step() override
    {
        if (!m_stmt) {
            fail(kClosed);
            return Step::Failed;
        }
        m_active = true;
        m_busy = false;
        switch (const int result = sqlite3_step(m_stmt)) {
        case SQLITE_ROW:
            return Step::Row;
        case SQLITE_DONE:
            return Step::Done;
        default:
            // The statement's own code and text; the reset below would otherwise lose them.
            m_busy = (result & 0xff) == SQLITE_BUSY;
            m_error = QString::fromUtf8(sqlite3_errmsg(m_handle));
            sqlite3_reset(m_stmt);
            return Step::Failed;
        }
    }

    void reset() override
    {
        if (!m_stmt)
            return;
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_active = false;
    }

    bool isActive() const override { return m_active; }
    QString error() const override { return m_error; }
    bool busy() const override { return m_busy; }
    int changes() const override { return m_stmt ? sqlite3_changes(m_handle) : 0; }

    int columnCount() const override { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }

    QString columnName(int column) const override
    {
        return m_stmt ? QString::fromUtf8(sqlite3_column_name(m_stmt, column)) : QString();
    }

    QString declaredType(int column) const override
    {
        const char* type = m_stmt ? sqlite3_column_decltype(m_stmt, column) : nullptr;
        return type ? QString::fromUtf8(type) : QString();
    }

    QVariant value(int column) const override
    {
        if (!m_stmt)
            return QVariant(QMetaType::fromType<QString>());
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(m_stmt, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, column);
        case SQLITE_NULL:
            return QVariant(QMetaType::fromType<QString>());
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                              sqlite3_column_bytes(m_stmt, column));
        default:
            return QString::fromUtf8(utf8(column));
        }
    }

    bool isNull(int column) const override { return !m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

    double real(int column) const override { return m_stmt ? sqlite3_column_double(m_stmt, column) : 0.0; }

    QByteArrayView utf8(int column) const override
    {
        if (!m_stmt)
            return {};
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QByteArrayView(text, text ? sqlite3_column_bytes(m_stmt, column) : 0);
    }

private:
    int bindText(int at, const QString& text)
    {
        return sqlite3_bind_text16(m_stmt, at, text.utf16(), int(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
    }

    bool fail(const QString& why)
    {
        m_error = why;
        return false;
    }

    sqlite3* m_handle;
    sqlite3_stmt* m_stmt;
    bool m_active = false;
    QString m_error;
    bool m_busy = false;
};

} // namespace

namespace SqliteStatements {

std::unique_ptr<StepStatement> prepare(sqlite3* handle, const QString& sql, QString* why)
{
    auto refuse = [&](const QString& text) {
        if (why)
            *why = text;
        return nullptr;
    };
    if (!handle)
        return refuse(QStringLiteral("The database is not open."));
    sqlite3_stmt* stmt = nullptr;
    const void* tail = nullptr;
    const int rc = sqlite3_prepare16_v2(handle, sql.utf16(), int(sql.size() * sizeof(QChar)), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return refuse(QString::fromUtf8(sqlite3_errmsg(handle)));
    }
    if (!stmt)
        return refuse(QStringLiteral("There is no statement in \"%1\".").arg(sql));
    // One statement per text, as Qt's driver takes them: the rest would be silently left out.
    const QString rest = QString::fromUtf16(static_cast<const char16_t*>(tail),
                                            sql.size() - (static_cast<const QChar*>(tail) - sql.constData()))
                             .trimmed();
    if (!rest.isEmpty() && rest != QLatin1String(";")) {
        sqlite3_finalize(stmt);
        return refuse(QStringLiteral("Unable to execute multiple statements at a time"));
    }
    return std::make_unique<SqliteStatement>(handle, stmt);
}

int runKept(sqlite3* handle, const char* sql)
{
    sqlite3_stmt* stmt = keptStatement(handle, sql);
    if (!stmt)
        return sqlite3_errcode(handle) == SQLITE_OK ? SQLITE_ERROR : sqlite3_errcode(handle);
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

std::optional<qint64> integerKept(sqlite3* handle, const char* sql)
{
    sqlite3_stmt* stmt = keptStatement(handle, sql);
    if (!stmt)
        return std::nullopt;
    std::optional<qint64> value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    return value;
}

void finalizeAll(sqlite3* handle)
{
    for (sqlite3_stmt* stmt : kept().take(handle))
        sqlite3_finalize(stmt);
    const QSet<SqliteStatement*> statements = live().take(handle);
    for (SqliteStatement* statement : statements)
        statement->finalize();
    t_kept.releaseIfEmpty();
    t_live.releaseIfEmpty();
}

} // namespace SqliteStatements

#include "core/store/query.h"

#include <QSqlError>
#include <QSqlQuery>

Transaction::Transaction(const QSqlDatabase& db) : m_db(db)
{
    if (!m_db.isValid() || !m_db.isOpen()) {
        m_error = QStringLiteral("The database is not open.");
        return;
    }
    m_active = m_db.transaction();
    if (!m_active)
        m_error = m_db.lastError().text();
}

Transaction::~Transaction()
{
    if (m_active)
        m_db.rollback();
}

bool Transaction::commit()
{
    if (!m_active) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("There is no transaction to commit.");
        return false;
    }
    if (!m_db.commit()) {
        // A refused commit may leave the transaction open; the destructor rolls it back.
        m_error = m_db.lastError().text();
        return false;
    }
    m_active = false;
    return true;
}

Query::Query(const QSqlDatabase& db) : m_db(db) {}

Query::~Query()
{
    finish();
}

void Query::finish()
{
    if (m_statement)
        m_statement->query.finish();
    m_statement.reset();
    m_onRow = false;
}

bool Query::exec(const QString& sql, const QVariantList& binds)
{
    finish();
    m_error.clear();
    m_rowsAffected = -1;
    if (!m_db.isValid() || !m_db.isOpen()) {
        m_error = QStringLiteral("The database is not open.");
        return false;
    }
    QString why;
    auto statement = Database::prepare(m_db, sql, &why);
    if (!statement) {
        m_error = why;
        return false;
    }
    QSqlQuery& query = statement->query;
    for (const QVariant& bind : binds)
        query.addBindValue(bind);
    if (!query.exec()) {
        m_error = query.lastError().text();
        query.finish();
        return false;
    }
    m_rowsAffected = query.numRowsAffected();
    m_statement = std::move(statement);
    return true;
}

bool Query::next()
{
    m_onRow = false;
    if (!m_statement)
        return false;
    QSqlQuery& query = m_statement->query;
    if (query.next()) {
        m_onRow = true;
        return true;
    }
    if (const QSqlError error = query.lastError(); error.isValid())
        m_error = error.text();
    // Done with the rows: the statement goes back to the cache for its next user.
    finish();
    return false;
}

QVariant Query::value(int column) const
{
    return m_onRow ? m_statement->query.value(column) : QVariant();
}

QString Query::text(int column) const
{
    return value(column).toString();
}

double Query::number(int column) const
{
    return value(column).toDouble();
}

bool Query::isNull(int column) const
{
    return !m_onRow || m_statement->query.isNull(column);
}

#include "core/store/query.h"

#include "core/store/storedriver.h"

#include <QSqlError>
#include <QSqlQuery>

Transaction::Transaction(const QSqlDatabase& db) : m_db(db)
{
    if (!Database::ensureOpen(m_db, &m_error))
        return;
    if (!Database::fileInPlace(m_db, &m_error))
        return;
    m_active = m_db.transaction();
    // A connection to a database server found broken only now is made again, once.
    if (!m_active && StoreDrivers::of(m_db).checkFiles(m_db) == StoreDriver::Files::ConnectionLost) {
        if (Database::checkFiles(m_db, &m_error) != Database::Readiness::Ready)
            return;
        m_active = m_db.transaction();
    }
    if (!m_active)
        m_error = Database::errorText(m_db, m_db.lastError());
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
        m_error = Database::errorText(m_db, m_db.lastError());
        return false;
    }
    m_active = false;
    return true;
}

WriteBatch::WriteBatch(const QSqlDatabase& db) : m_db(db)
{
    if (!Database::ensureOpen(m_db, &m_error))
        return;
    const StoreDriver& driver = StoreDrivers::of(m_db);
    driver.setBusyWait(m_db, 0);
    switch (Database::checkFiles(m_db, &m_error)) {
    case Database::Readiness::Ready:
        break;
    case Database::Readiness::Busy:
        m_busy = true;
        return;
    case Database::Readiness::Refused:
        return;
    }
    driver.setBusyWait(m_db, 0); // again: a connection opened anew by the check waits as windows do
    bool begun = driver.beginWriting(m_db, &m_busy, &m_error);
    // A connection to a database server found broken only now is made again, once, before the group gives up.
    if (!begun && !m_busy && driver.checkFiles(m_db) == StoreDriver::Files::ConnectionLost &&
        Database::checkFiles(m_db, &m_error) == Database::Readiness::Ready)
        begun = driver.beginWriting(m_db, &m_busy, &m_error);
    if (!begun) {
        if (m_busy)
            m_error = Database::busyText();
        return;
    }
    m_active = true;
    // Checked inside the transaction, so the schema cannot change between the check and the writes.
    if (!Database::checkSchema(m_db, &m_error)) {
        end();
        return;
    }
    driver.setVouched(m_db, true);
}

WriteBatch::~WriteBatch()
{
    end();
    if (m_db.isValid() && m_db.isOpen())
        StoreDrivers::of(m_db).setBusyWait(m_db, StoreDrivers::of(m_db).windowBusyWait());
}

void WriteBatch::end()
{
    if (m_active)
        m_db.rollback();
    m_active = false;
    StoreDrivers::of(m_db).setVouched(m_db, false);
}

bool WriteBatch::commit()
{
    if (!m_active) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("There is no transaction to commit.");
        return false;
    }
    const StoreDriver& driver = StoreDrivers::of(m_db);
    if (QString why; !driver.commitWriting(m_db, &m_busy, &why)) {
        m_error = m_busy ? Database::busyText() : why;
        end();
        return false;
    }
    m_active = false;
    driver.setVouched(m_db, false);
    return true;
}

Query::Query(const QSqlDatabase& db) : m_db(db) {}

Query::~Query()
{
    finish();
}

void Query::finish()
{
    // Done with the rows: the statement goes back to the cache for its next user.
    if (m_statement)
        m_statement->reset();
    m_statement.reset();
    m_onRow = false;
    m_firstRowWaiting = false;
}

bool Query::exec(const QString& sql, const QVariantList& binds)
{
    return run(sql, binds, false);
}

bool Query::execInBatches(const QString& sql, const QVariantList& binds)
{
    return run(sql, binds, true);
}

bool Query::run(const QString& sql, const QVariantList& binds, bool inBatches)
{
    finish();
    m_error.clear();
    m_busy = false;
    m_rowsAffected = -1;
    if (!Database::ensureOpen(m_db, &m_error))
        return false;
    QString why;
    auto statement =
        inBatches ? Database::prepareBatches(m_db, sql, &why) : Database::prepareStep(m_db, sql, &why);
    if (!statement) {
        m_error = why;
        return false;
    }
    for (int i = 0; i < binds.size(); ++i) {
        if (!statement->bind(i, binds.at(i))) {
            m_error = statement->error();
            statement->reset();
            return false;
        }
    }
    // Run now, as Qt SQL does: a failure shows at exec, and a write is done when exec returns.
    switch (statement->step()) {
    case StepStatement::Step::Failed:
        m_busy = statement->busy();
        m_error = m_busy ? Database::busyText() : statement->error();
        statement->reset();
        return false;
    case StepStatement::Step::Done:
        m_rowsAffected = statement->changes();
        statement->reset();
        return true;
    case StepStatement::Step::Row:
        m_firstRowWaiting = true;
        m_statement = std::move(statement);
        return true;
    }
    return false;
}

bool Query::next()
{
    m_onRow = false;
    if (!m_statement)
        return false;
    if (m_firstRowWaiting) {
        m_firstRowWaiting = false;
        m_onRow = true;
        return true;
    }
    switch (m_statement->step()) {
    case StepStatement::Step::Row:
        m_onRow = true;
        return true;
    case StepStatement::Step::Failed:
        m_busy = m_statement->busy();
        m_error = m_busy ? Database::busyText() : m_statement->error();
        break;
    case StepStatement::Step::Done:
        break;
    }
    finish();
    return false;
}

QVariant Query::value(int column) const
{
    return m_onRow ? m_statement->value(column) : QVariant();
}

QString Query::text(int column) const
{
    return m_onRow ? QString::fromUtf8(m_statement->utf8(column)) : QString();
}

double Query::number(int column) const
{
    return m_onRow ? m_statement->real(column) : 0.0;
}

bool Query::isNull(int column) const
{
    return !m_onRow || m_statement->isNull(column);
}

QByteArrayView Query::utf8(int column) const
{
    return m_onRow ? m_statement->utf8(column) : QByteArrayView();
}

int Query::columnCount() const
{
    return m_onRow ? m_statement->columnCount() : 0;
}

QString Query::columnName(int column) const
{
    return m_onRow ? m_statement->columnName(column) : QString();
}

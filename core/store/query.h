#pragma once

#include "core/store/database.h"
#include "core/store/storedriver.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

// Scoped transaction on a connection: rolls back when it goes out of scope uncommitted. It does not begin on
// files that are no longer the ones opened, or on a schema that lacks what the program needs
// (Database::fileInPlace).
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase& db = gConn);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; } // begin succeeded
    QString error() const { return m_error; }  // why begin or commit failed
    [[nodiscard]] bool commit();

private:
    QSqlDatabase m_db;
    bool m_active = false;
    QString m_error;
};

// The write of a group of punches. The files and the schema are checked once for the whole group, the
// write lock is taken at its start (so nothing it reads can change before it writes), and it never waits for
// another program's lock: when one is held, it is busy at once and nothing was written. Every write in it
// goes without a check of its own. Rolls back unless committed.
class WriteBatch
{
public:
    explicit WriteBatch(const QSqlDatabase& db = gConn);
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    bool isActive() const { return m_active; } // ready for the writes
    bool busy() const { return m_busy; }       // another program holds the lock; try again later
    QString error() const { return m_error; }  // why it is not active, or why the commit failed
    [[nodiscard]] bool commit();

private:
    void end();

    QSqlDatabase m_db;
    bool m_active = false;
    bool m_busy = false;
    QString m_error;
};

// Forward-only query: steps rows as the statement yields them (no snapshot), for reports, cursors and the
// punch. It steps the engine's statement directly; values are read where the engine keeps them, so a loop
// over many rows pays for no QVariant or string it does not ask for.
class Query
{
public:
    explicit Query(const QSqlDatabase& db = gConn);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    [[nodiscard]] bool exec(const QString& sql, const QVariantList& binds = {});
    // The same for a read of more rows than fit in memory at once: a database server sends them in batches.
    [[nodiscard]] bool execInBatches(const QString& sql, const QVariantList& binds = {});
    bool next();                      // false at the end or on failure (then error() is not empty)
    QVariant value(int column) const; // the stored value as the driver gives it
    QString text(int column) const;
    double number(int column) const;
    bool isNull(int column) const;
    // The stored text's UTF-8 bytes, valid until the next row; for the readers of many values.
    QByteArrayView utf8(int column) const;
    QString error() const { return m_error; }
    bool busy() const { return m_busy; } // the failure was another program's lock (or a lock wait cut short)
    int rowsAffected() const { return m_rowsAffected; }
    // The result's columns, while on a row.
    int columnCount() const;
    QString columnName(int column) const;

private:
    void finish();
    bool run(const QString& sql, const QVariantList& binds, bool inBatches);

    QSqlDatabase m_db;
    std::shared_ptr<StepStatement> m_statement;
    bool m_onRow = false;
    bool m_firstRowWaiting = false; // exec stepped to the first row; next() hands it out
    int m_rowsAffected = -1;
    QString m_error;
    bool m_busy = false;
};

#pragma once

#include "core/store/database.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTime>
#include <QVariant>
#include <QVariantMap>

// A fresh server (or client) database in a temporary folder, opened as gConn for the test's life. When the
// test runs against a database server (QORVIL_TEST_POSTGRES names the file holding the throwaway cluster's
// location), a server database is an empty schema in a database of the test program's own instead.
class TempDatabase
{
public:
    explicit TempDatabase(Database::Kind kind = Database::Kind::Server);
    ~TempDatabase();

    // Whether server databases live on the test's database server.
    static bool onServer();
    // A database of that name on the test's server, made if need be and emptied; its location.
    static QString emptyServerDatabase(const QString& name);
    // Runs SQL as the server's administrator, outside any test database.
    static bool serverAdmin(const QString& sql);

    // The file, or the server database's location: what a program is given as its database.
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    bool isOpen() const { return m_open; }

    // Seed rows through plain SQL, independent of the code under test.
    void addEmployee(const QString& id, const QString& first, const QString& last, const QVariant& regWage = 10.0,
                     const QVariant& otWage = 15.0, const QString& middle = QString());
    void addTimesheet(const QString& id, const QDate& day, const QVariantList& slots = {});
    // Runs SQL with bound values; fails the test on error.
    void exec(const QString& sql, const QVariantList& binds = {});
    // Refuses every write on gConn from now on, or allows them again.
    void setReadOnly(bool readOnly);
    // Makes the store refuse, with the message, every insert into the table for which the condition (on the
    // new row, as new.column) holds.
    void refuseInserts(const QString& table, const QString& condition, const QString& message);
    // Every row of a query, each value as the store gives it.
    static QList<QVariantList> rows(const QString& sql, const QVariantList& binds = {});
    // The first row of a query by lower-case column name; empty when there is none.
    static QVariantMap row(const QString& sql, const QVariantList& binds = {});
    // First column of the first row of a query.
    QVariant scalar(const QString& sql, const QVariantList& binds = {});

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_open = false;
};

// A time value for seeding slots.
inline QVariant t(const char* text)
{
    return QString::fromLatin1(text);
}

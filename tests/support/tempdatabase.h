#pragma once

#include "core/store/database.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTime>
#include <QVariant>

// A fresh server (or client) database in a temporary folder, opened as gConn for the test's life.
class TempDatabase
{
public:
    explicit TempDatabase(Database::Kind kind = Database::Kind::Server);
    ~TempDatabase();

    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    bool isOpen() const { return m_open; }

    // Seed rows through plain SQL, independent of the code under test.
    void addEmployee(const QString& id, const QString& first, const QString& last, const QVariant& regWage = 10.0,
                     const QVariant& otWage = 15.0, const QString& middle = QString());
    void addTimesheet(const QString& id, const QDate& day, const QVariantList& slots = {});
    // Runs SQL with bound values; fails the test on error.
    void exec(const QString& sql, const QVariantList& binds = {});
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

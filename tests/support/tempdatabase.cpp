#include "tests/support/tempdatabase.h"

#include "core/store/query.h"
#include "core/store/storedriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>

namespace {

// The throwaway cluster's location, ending in a slash; empty when the tests use files only.
QString serverBase()
{
    static const QString base = [] {
        const QString file = qEnvironmentVariable("QORVIL_TEST_POSTGRES");
        if (file.isEmpty())
            return QString();
        QFile url(file);
        if (!url.open(QIODevice::ReadOnly))
            qFatal("TempDatabase: the test database server's location %s cannot be read", qPrintable(file));
        return QString::fromUtf8(url.readAll()).trimmed();
    }();
    return base;
}

bool run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    qWarning("TempDatabase: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return false;
}

QSqlDatabase serverConnection(const QString& name, const QString& database)
{
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    const QUrl url(serverBase());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port());
    db.setUserName(url.userName());
    db.setDatabaseName(database);
    if (!db.open())
        qFatal("TempDatabase: %s", qPrintable(db.lastError().text()));
    run(db, QStringLiteral("SET client_min_messages TO warning"));
    return db;
}

} // namespace

QString TempDatabase::emptyServerDatabase(const QString& name)
{
    static QSet<QString> made;
    if (!made.contains(name)) {
        QSqlDatabase admin = serverConnection(QStringLiteral("tempdatabase-admin"), QStringLiteral("postgres"));
        run(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        if (!run(admin, QStringLiteral("CREATE DATABASE %1").arg(name)))
            qFatal("TempDatabase: the test database could not be made");
        made.insert(name);
    }
    QSqlDatabase own = serverConnection(QStringLiteral("tempdatabase-reset-") + name, name);
    if (!run(own, QStringLiteral("DROP SCHEMA public CASCADE")) || !run(own, QStringLiteral("CREATE SCHEMA public")))
        qFatal("TempDatabase: the test database could not be emptied");
    return serverBase() + name;
}

bool TempDatabase::serverAdmin(const QString& sql)
{
    QSqlDatabase admin = serverConnection(QStringLiteral("tempdatabase-admin"), QStringLiteral("postgres"));
    return run(admin, sql);
}

bool TempDatabase::onServer()
{
    return !serverBase().isEmpty();
}

TempDatabase::TempDatabase(Database::Kind kind)
{
    m_path =
        m_dir.filePath(kind == Database::Kind::Server ? QStringLiteral("punched.mdb") : QStringLiteral("client.mdb"));
    if (kind == Database::Kind::Server && onServer())
        m_path = emptyServerDatabase(QStringLiteral("qorvil_test_%1").arg(QCoreApplication::applicationPid()));
    QString error;
    m_open = Database::open(kind, m_path, &error);
    if (!m_open)
        qWarning("TempDatabase: %s", qPrintable(error));
}

TempDatabase::~TempDatabase()
{
    Database::close();
}

void TempDatabase::exec(const QString& sql, const QVariantList& binds)
{
    Query query(gConn);
    if (!query.exec(sql, binds))
        qFatal("TempDatabase: %s: %s", qPrintable(sql), qPrintable(query.error()));
}

void TempDatabase::setReadOnly(bool readOnly)
{
    const bool server = StoreDrivers::of(gConn).engine() == StoreDriver::Engine::PostgreSQL;
    exec(server ? QStringLiteral("SET default_transaction_read_only TO %1").arg(QLatin1String(readOnly ? "on" : "off"))
                : QStringLiteral("PRAGMA query_only = %1").arg(QLatin1String(readOnly ? "ON" : "OFF")));
}

void TempDatabase::refuseInserts(const QString& table, const QString& condition, const QString& message)
{
    const QString name = QStringLiteral("refuse_") + table;
    if (StoreDrivers::of(gConn).engine() == StoreDriver::Engine::PostgreSQL) {
        exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF %2 THEN RAISE "
                            "EXCEPTION '%3'; END IF; RETURN NEW; END $$")
                 .arg(name, condition, message));
        exec(QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2 FOR EACH ROW EXECUTE FUNCTION %1()")
                 .arg(name, table));
    } else {
        exec(QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2 WHEN %3 BEGIN SELECT raise(abort, '%4'); END")
                 .arg(name, table, condition, message));
    }
}

QList<QVariantList> TempDatabase::rows(const QString& sql, const QVariantList& binds)
{
    QList<QVariantList> all;
    Query query(gConn);
    if (!query.exec(sql, binds))
        qFatal("TempDatabase: %s: %s", qPrintable(sql), qPrintable(query.error()));
    while (query.next()) {
        QVariantList values;
        for (int i = 0; i < query.columnCount(); ++i)
            values << query.value(i);
        all << values;
    }
    return all;
}

QVariantMap TempDatabase::row(const QString& sql, const QVariantList& binds)
{
    QVariantMap first;
    Query query(gConn);
    if (query.exec(sql, binds) && query.next()) {
        for (int i = 0; i < query.columnCount(); ++i)
            first.insert(query.columnName(i).toLower(), query.value(i));
    }
    return first;
}

QVariant TempDatabase::scalar(const QString& sql, const QVariantList& binds)
{
    Query query(gConn);
    if (!query.exec(sql, binds) || !query.next())
        return {};
    return query.value(0);
}

void TempDatabase::addEmployee(const QString& id, const QString& first, const QString& last, const QVariant& regWage,
                               const QVariant& otWage, const QString& middle)
{
    exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname, emp_mname, reg_wage, ot_wage, status) "
                        "VALUES (?, ?, ?, ?, ?, ?, 1)"),
         {id, first, last, middle.isNull() ? QVariant() : QVariant(middle), regWage, otWage});
}

void TempDatabase::addTimesheet(const QString& id, const QDate& day, const QVariantList& slots)
{
    QVariantList values = {id, day.toString(Qt::ISODate)};
    for (int i = 0; i < 6; ++i)
        values << (i < slots.size() ? slots.at(i) : QVariant());
    exec(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1, out1, in2, out2, in3, out3) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
         values);
}

#include "tests/support/tempdatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

TempDatabase::TempDatabase(Database::Kind kind)
{
    m_path =
        m_dir.filePath(kind == Database::Kind::Server ? QStringLiteral("punched.mdb") : QStringLiteral("client.mdb"));
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
    QSqlQuery query(gConn);
    if (!query.prepare(sql))
        qFatal("TempDatabase: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    for (const QVariant& bind : binds)
        query.addBindValue(bind);
    if (!query.exec())
        qFatal("TempDatabase: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

QVariant TempDatabase::scalar(const QString& sql, const QVariantList& binds)
{
    QSqlQuery query(gConn);
    query.prepare(sql);
    for (const QVariant& bind : binds)
        query.addBindValue(bind);
    if (!query.exec() || !query.next())
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

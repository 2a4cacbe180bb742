#include "tests/support/outsideconnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtGlobal>

OutsideConnection::OutsideConnection(const QString& path)
{
    static int serial = 0;
    m_name = QStringLiteral("outside-%1").arg(++serial);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    if (!db.open())
        qFatal("OutsideConnection: %s", qPrintable(db.lastError().text()));
}

OutsideConnection::~OutsideConnection()
{
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

void OutsideConnection::exec(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    if (!query.exec(sql))
        qFatal("OutsideConnection: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

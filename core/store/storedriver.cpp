#include "core/store/storedriver.h"

#include "core/store/pgdriver.h"
#include "core/store/sqlitedriver.h"
#include "core/store/trailchain.h"

#include <QSqlError>

bool StoreDriver::sealTrail(const QSqlDatabase& db, QString* why) const
{
    return TrailChain::chainHere(db, why);
}

bool StoreDriver::commitWriting(const QSqlDatabase& db, bool* busy, QString* why) const
{
    QSqlDatabase connection = db;
    *busy = false;
    if (connection.commit())
        return true;
    *busy = isBusy(connection.lastError());
    *why = connection.lastError().text();
    return false;
}

namespace StoreDrivers {

const StoreDriver& standard()
{
    return sqliteDriver();
}

const StoreDriver& forLocation(const QString& location)
{
    return Postgres::isLocation(location) ? postgresDriver() : standard();
}

const StoreDriver& of(const QSqlDatabase& db)
{
    for (const StoreDriver* driver : {&sqliteDriver(), &postgresDriver()}) {
        if (db.driverName() == driver->qtDriver())
            return *driver;
    }
    return standard();
}

} // namespace StoreDrivers

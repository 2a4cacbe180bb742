#include "core/store/storedriver.h"

#include "core/store/pgdriver.h"
#include "core/store/sqlitedriver.h"

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

#include "core/store/storedriver.h"

#include "core/store/sqlitedriver.h"

namespace StoreDrivers {

const StoreDriver& standard()
{
    return sqliteDriver();
}

const StoreDriver& of(const QSqlDatabase& db)
{
    for (const StoreDriver* driver : {&sqliteDriver()}) {
        if (db.driverName() == driver->qtDriver())
            return *driver;
    }
    return standard();
}

} // namespace StoreDrivers

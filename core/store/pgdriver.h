#pragma once

#include "core/store/storedriver.h"

#include <QString>
#include <optional>

// The PostgreSQL engine: one database shared by the services of several sites and the office.
const StoreDriver& postgresDriver();

namespace Postgres {

// Where a database given as postgresql://USER@HOST:PORT/DBNAME lives. The password never travels on the
// command line: the engine's client library reads it from ~/.pgpass or PGPASSWORD.
struct Location
{
    QString user;
    QString host;
    int port = 5432;
    QString database;
};

// Whether the text names a PostgreSQL database rather than a file.
bool isLocation(const QString& text);
// The parts of a location; nullopt with the reason when it is not one this program takes.
std::optional<Location> parseLocation(const QString& text, QString* why);
// The location as the programs show it (never with a password).
QString display(const Location& location);

} // namespace Postgres

#pragma once

#include "core/store/database.h"

#include <QCommandLineOption>
#include <QString>
#include <functional>

// Where the programs find their database files and the manual. A source build or a portable folder keeps
// everything beside the programs; an installed one keeps the shared database in the system's state folder
// and everything else in the user's data folder.
namespace DataPaths {

// The places a file may live, as seen by this process.
struct Places
{
    QString programFolder;  // the folder of the running program
    QString sharedDatabase; // the database of the packaged terminal service
    QString userFolder;     // the per-user data folder, created when a file goes there
    // Whether this process may write the file or create files in the folder.
    std::function<bool(const QString& path)> writable;

    static Places ofThisProcess();
};

// The file's name: punched.mdb or client.mdb.
QString fileName(Database::Kind kind);

// The database file a program uses: `given` (from --database or --config) when not empty; else the file
// beside the program when it is there, or when that folder is writable and not an installed program folder;
// else, for the server's database, the shared one when it exists and may be written; else the one in the
// user's folder, which is created.
QString locate(Database::Kind kind, const QString& given = QString(), const Places& places = Places::ofThisProcess());

// A document delivered with the programs: beside the program, else in the installed data folder. A missing
// document gives the path beside the program.
QString document(const QString& fileName, const QString& programFolder = QString());

// The --database option of the programs that keep punched.mdb: a file or a PostgreSQL location.
QCommandLineOption databaseOption();

} // namespace DataPaths

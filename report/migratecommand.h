#pragma once

#include <QStringList>

class QTextStream;

// qorvil-report migrate: copies a Qorvil file into an empty PostgreSQL database, when a business moves to one
// shared database for several sites.
//   qorvil-report migrate --from punched.mdb --to postgresql://USER@HOST:PORT/DBNAME
// The target gets the schema by the migrations and then every row of the file, ids included, in one
// transaction. Afterwards the row counts of both and the summary report over every employee and every day are
// compared; the command says whether they match. Values the database server cannot keep in their column's
// type (a time that is not one) stop the copy before anything is written, each named, so they can be mended.
namespace MigrateCommand {

// The arguments after "migrate"; returns the exit status (0 copied and matching, 1 failed or not matching,
// 2 bad arguments).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace MigrateCommand

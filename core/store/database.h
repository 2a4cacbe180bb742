#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class StepStatement;

// The program's one shared connection, opened at start-up and kept for the life of the process.
extern QSqlDatabase gConn;

namespace Database {

enum class Kind { Server, Client };

// The database file of each program when no option names one (see DataPaths::locate).
QString defaultPath(Kind kind);

// Whether there is a database at the location that a program can open without creating one: a file that exists,
// or a database server's location (the server says whether it is there when connecting).
bool exists(const QString& location);
// The files that hold the database at the location, whether they exist yet or not (none for a server).
QStringList filesOf(const QString& location);

// How open treats a file that is missing something: a program that keeps the file creates and upgrades it;
// one that only reads and reports takes a Qorvil file as it finds it and writes nothing but its own rows.
enum class OpenMode { CreateOrUpgrade, ExistingOnly };

// Opens gConn on the file, creating it with the full schema when it is missing or empty, and bringing an
// existing one up to the current schema. A file that is not a readable database, or not one of this program
// (see refusal()), leaves gConn closed; the text says why. ExistingOnly refuses an empty file and one that
// would need an upgrade, and leaves the file's journal mode as it is.
[[nodiscard]] bool open(Kind kind, const QString& path, QString* error = nullptr,
                        OpenMode mode = OpenMode::CreateOrUpgrade);

// Opens gConn, ExistingOnly, on the server database a command reads: "no database at PATH" when nothing is
// there, since opening would create it.
[[nodiscard]] bool openExisting(const QString& path, QString* error);

// A second connection of the program, by name, to another database (a copy's target): opened, checked and
// brought to the schema as open() does, without the audit trail's program triggers or the shared connection's
// watch. Invalid, with the reason, when it cannot be opened. closeAside() lets it go.
QSqlDatabase openAside(const QString& name, Kind kind, const QString& path, QString* error = nullptr,
                       OpenMode mode = OpenMode::CreateOrUpgrade);
void closeAside(const QString& name);

// Where gConn was opened, and which opening it is: a count that moves at each open and close, so that a
// connection of another thread can follow gConn to another file. Nothing when gConn is not open.
struct Opening
{
    QString location;
    Kind kind = Kind::Server;
    bool keepJournal = false;
    quint64 generation = 0;
};
std::optional<Opening> opening();

// A connection of the program's own, by name, for a thread that stores on its own (the punches): opened on
// the thread that will use it, to the database gConn was opened on, with the audit trail's program triggers,
// the watch of its files and the statements kept for reuse, like gConn. Invalid, with the reason, when it
// cannot be opened. closeOwn() lets it go, on the same thread.
QSqlDatabase openOwn(const QString& name, const Opening& opened, QString* error = nullptr);
void closeOwn(const QString& name);

// Why the last open refused its file as not this program's or lacking something it needs, naming what
// is missing; empty when it did not.
QString refusal();

// Whether a database the last open could not reach may answer later: a database server, named right and with
// its driver installed, that was not reached (still starting, the network not up), where a file is there or not.
bool mayAnswerLater(const QString& location);

// Why the last open of gConn failed, naming the file ("Could not open FILE: REASON"); empty after a
// successful open.
QString openFailure();

// Closes gConn and releases the driver's connection (tests and orderly shutdown).
void close();

// Whether gConn is open: a file opened and not closed, or a database server's connection, also while the server
// cannot be reached (the next use connects again).
bool isOpen();

// A prepared statement for the SQL text on the connection, stepped directly on the engine (the road of Query
// and RecordSet). Statements on gConn are kept and reused, so the punch path and the reports do not compile the
// same SQL again and again; one that is still stepping is left alone and the caller gets its own.
// Null with the reason on failure.
[[nodiscard]] std::shared_ptr<StepStatement> prepareStep(const QSqlDatabase& db, const QString& sql,
                                                         QString* error = nullptr);
// A statement for a read of more rows than fit in memory at once (StoreDriver::prepareBatches); never kept.
[[nodiscard]] std::shared_ptr<StepStatement> prepareBatches(const QSqlDatabase& db, const QString& sql,
                                                            QString* error = nullptr);
// Whether a statement on the connection is a round trip to a server, so that one read of many rows costs less
// than many reads of a few.
bool statementIsRoundTrip(const QSqlDatabase& db = gConn);

// Whether the connection may write: the files it opened are still the ones at its path and the schema
// still has what the program needs. Every write is refused while this is false:
// - a database file deleted or moved away keeps taking writes that are gone at the next start: refused until
//   the same file is back at its path.
// - another file put at the path, or this one rewritten by something other than the engine (a backup restored
//   while the program runs): refused, with one message and a log line, until the program is started again.
//   The connection's log, which holds pages of the file that was there, is never read with the new file.
// - a write-ahead log deleted or replaced would lose every write it holds at the next start: what the
//   connection's own log holds is copied into the database file and the connection reopened, then the write
//   goes on (busy, and refused for now, while another program's reading keeps the copy from finishing).
//   A log emptied in place has lost what it held; a new one is started, and the write goes on.
// - when the schema changed, it is checked again; a missing table or column is refused, and the statements
//   kept for reuse are described afresh.
[[nodiscard]] bool fileInPlace(const QSqlDatabase& db = gConn, QString* error = nullptr);

// Whether the connection is open; a connection to a database server that was lost is made again first.
[[nodiscard]] bool ensureOpen(const QSqlDatabase& db, QString* error = nullptr);

enum class Readiness { Ready, Busy, Refused };
// The files part of fileInPlace, telling a wait for another program from a refusal.
Readiness checkFiles(const QSqlDatabase& db, QString* error = nullptr);
// The schema part of fileInPlace.
[[nodiscard]] bool checkSchema(const QSqlDatabase& db, QString* error = nullptr);

// The text a window shows for a store error: another program's lock is named as such.
QString errorText(const QSqlDatabase& db, const QSqlError& error);
// The same text for a lock held by another program, for callers that learn of it without a QSqlError.
QString busyText();

// The administrator password of a new database (never written into an existing one).
inline const QString kInitialAdminPassword = QStringLiteral("admin");

} // namespace Database

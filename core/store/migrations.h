#pragma once

#include "core/store/database.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <vector>

// The history of each program's file: numbered steps, recorded in its schema_migrations table
// (version, description, applied_at in UTC). Each step runs in one transaction together with the row that
// records it, so a file is always at one whole step.
namespace Migrations {

struct Migration
{
    int version;
    QString description;
    // Changes the schema (and seeds what a new file needs); false with the reason when it cannot. It touches
    // nothing but the database it is given: it also runs on an empty one in memory, where the steps up to a
    // version tell which tables and columns a file at that version must have.
    std::function<bool(QSqlDatabase& db, QString* error)> apply;
};

// The steps of each program's file, oldest first. A change to the schema is one more entry at the end.
const std::vector<Migration>& forKind(Database::Kind kind);

enum class Outcome {
    Ready,   // the file holds every step
    Refused, // not this program's file, or it lacks a table or column it needs: nothing was written
    Failed,  // a step could not be made: the file stays at the last whole step
};

enum class Mode {
    Apply,     // brings the file to the last step
    CheckOnly, // takes the file as it is: refused when it is empty or lacks what the last step needs
};

// Brings the file to the last step. What the file holds is checked first, before anything is written:
// the tables and columns its recorded version needs. A file without tables is new and gets every step;
// a file of the release before this history (the first step's tables, no schema_migrations) keeps its rows
// and is recorded as at the first step. Once the file passed, beforeWriting (the connection's settings)
// runs before the first step. CheckOnly writes nothing but what beforeWriting does.
Outcome migrate(QSqlDatabase& db, const std::vector<Migration>& steps, QString* error,
                const std::function<bool(QString* error)>& beforeWriting = {}, Mode mode = Mode::Apply);

// What an open file lacks of the tables and columns the last step needs, in words ("column timesheet.out1");
// empty when nothing is missing or when it cannot be told (then the error says why).
QStringList missing(const QSqlDatabase& db, const std::vector<Migration>& steps, QString* error);

} // namespace Migrations

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
    // Changes the schema (and seeds what a new file needs); false with the reason when it cannot.
    std::function<bool(QSqlDatabase& db, QString* error)> apply;
};

// The steps of each program's file, oldest first. A change to the schema is one more entry at the end.
const std::vector<Migration>& forKind(Database::Kind kind);

enum class Outcome {
    Ready,   // the file holds every step
    Refused, // not this program's file, or it lacks a table or column it needs: nothing was written
    Failed,  // a step could not be made: the file stays at the last whole step
};

// Brings the file to the last step. What the file holds is checked first, before anything is written:
// the tables and columns its recorded version needs. A file without tables is new and gets every step;
// a file of the release before this history (the first step's tables, no schema_migrations) keeps its rows
// and is recorded as at the first step. Once the file passed, beforeWriting (the connection's settings)
// runs before the first step.
Outcome migrate(QSqlDatabase& db, const std::vector<Migration>& steps, QString* error,
                const std::function<bool(QString* error)>& beforeWriting = {});

} // namespace Migrations

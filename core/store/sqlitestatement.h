#pragma once

#include "core/store/storedriver.h"

struct sqlite3;

// The SQLite side of StepStatement.
namespace SqliteStatements {

std::unique_ptr<StepStatement> prepare(sqlite3* handle, const QString& sql, QString* why);
// Finishes every statement still alive on the handle; they fail from now on.
void finalizeAll(sqlite3* handle);

} // namespace SqliteStatements

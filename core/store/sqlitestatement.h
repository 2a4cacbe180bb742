#pragma once

#include "core/store/storedriver.h"

#include <optional>

struct sqlite3;

// The SQLite side of StepStatement.
namespace SqliteStatements {

std::unique_ptr<StepStatement> prepare(sqlite3* handle, const QString& sql, QString* why);
// Finishes every statement still alive on the handle; they fail from now on.
void finalizeAll(sqlite3* handle);
// Steps a statement without values or rows (BEGIN IMMEDIATE, COMMIT) that the handle keeps prepared, since
// every group of punches runs it; SQLite's result code.
int runKept(sqlite3* handle, const char* sql);
// The first column of a one-row statement kept prepared (PRAGMA schema_version); nullopt when it fails.
std::optional<qint64> integerKept(sqlite3* handle, const char* sql);

} // namespace SqliteStatements

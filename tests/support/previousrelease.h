#pragma once

#include <QSqlDatabase>
#include <QStringList>

// The schema files of the release before the version history, as that release created them, with a few rows.
extern const QStringList kPreviousServerSchema;
extern const QStringList kPreviousClientSchema;

// Writes a database file with plain SQL, independent of the code under test.
void makeFile(const QString& path, const QStringList& statements);

// Every row of every table but the version history and the default pay rules (the upgrade's own rows), as
// sorted text, each starting with its table's name. Empty values at the end of a row are left out, so a row
// reads the same before and after a later step added columns to its table.
QStringList everyRowOf(const QSqlDatabase& db);

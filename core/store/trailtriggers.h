#pragma once

#include "core/store/storedriver.h"
#include "core/store/trailwriter.h"

// The audit trail's triggers in each engine's words (the drivers' installTrail and attachTrail).
namespace SqliteTrail {

// The file's own triggers, which record a change made with another tool as made outside Qorvil.
bool install(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why);
// Temporary triggers on the connection that ask the program through an SQL function who is changing, and the
// mark before which the file's triggers stand aside (`mark` defines a collating sequence of that name).
bool attach(QSqlDatabase& db, const std::vector<TrailTable>& tables, const StoreDriver::Function& who,
            const std::function<bool(const QString& name, QString* why)>& mark, QString* why);
// Makes again the file's triggers that are missing or differ from what install() makes; their names, each with
// "(missing)" or "(altered)", go to `restored`.
bool restore(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored, QString* why);
// The text a change's chain hash covers besides the hash before it, as an SQL expression over the audit_change
// row named `change`: its own fields and its values in order.
QString chainText(const QString& change);

} // namespace SqliteTrail

namespace PgTrail {

// One function of the database's own for every audited table; it reads who is changing from the session.
bool install(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why);
// The session values the function reads, named qorvil.KEY.
QStringList sessionKeys();
bool restore(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored, QString* why);
QString chainText(const QString& change);
// Chains the new entries through the database's own function, which may write the trail where the role may not.
bool seal(QSqlDatabase& db, QString* error);

} // namespace PgTrail

namespace TrailSql {

QString identifier(const QString& name);
QString literal(const QString& text);
bool exec(QSqlDatabase& db, const QString& sql, QString* why);

} // namespace TrailSql

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The audit trail's hash chain: each change's chain_hash covers the hash of the change before it (kept beside it
// as chain_prev), its own fields and its values, so an entry edited or removed by a tool that does not recompute
// the chain shows. A program chains its own changes as it records them; the entries the file's triggers record
// for other tools are chained by the next program that opens the file (seal). The reading half checks it
// (AuditTrail::verify).
namespace TrailChain {

// The hash of a chain text: SHA-256 of its UTF-8 bytes, in hex.
QString hash(const QString& text);
// What an entry's hash is made of: the hash before it and the entry's own text.
QString link(const QString& previous, const QString& text);

// The newest chained entry: its number and hash (number 0 for a trail with none).
struct Head
{
    qint64 id = 0;
    QString hash;
};
std::optional<Head> head(const QSqlDatabase& db, QString* error);

// Whether the database's trail keeps a chain (from schema version 8 on).
bool kept(const QSqlDatabase& db);

// Chains the entries after the newest chained one, in order, on the connection's open transaction. Entries
// before it that lack a hash are left alone: they were chained once, and the check names them.
bool seal(const QSqlDatabase& db, QString* error);
// The same computed here, entry by entry; what seal does unless the engine chains the trail itself.
bool chainHere(const QSqlDatabase& db, QString* error);

} // namespace TrailChain

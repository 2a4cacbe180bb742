#include "core/store/trailchain.h"

#include "core/store/query.h"
#include "core/store/storedriver.h"

#include <QCryptographicHash>
#include <QSqlRecord>

namespace TrailChain {

QString hash(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString link(const QString& previous, const QString& text)
{
    return hash(previous + QLatin1Char('|') + text);
}

bool kept(const QSqlDatabase& db)
{
    return db.record(QStringLiteral("audit_change")).contains(QStringLiteral("chain_hash"));
}

std::optional<Head> head(const QSqlDatabase& db, QString* error)
{
    Query query(db);
    // From the newest entry back to the first chained one: the key's order, no scan of the whole trail.
    if (!query.exec(QStringLiteral("SELECT id, chain_hash FROM audit_change WHERE chain_hash IS NOT NULL "
                                   "ORDER BY id DESC LIMIT 1"))) {
        *error = query.error();
        return std::nullopt;
    }
    if (query.next())
        return Head{query.value(0).toLongLong(), query.text(1)};
    if (!query.error().isEmpty()) {
        *error = query.error();
        return std::nullopt;
    }
    return Head{};
}

bool seal(const QSqlDatabase& db, QString* error)
{
    return StoreDrivers::of(db).sealTrail(db, error);
}

bool chainHere(const QSqlDatabase& db, QString* error)
{
    const std::optional<Head> last = head(db, error);
    if (!last)
        return false;
    struct Entry
    {
        qint64 id;
        QString text;
    };
    std::vector<Entry> entries;
    {
        Query read(db);
        if (!read.exec(QStringLiteral("SELECT id, %1 FROM audit_change WHERE id > ? ORDER BY id")
                           .arg(StoreDrivers::of(db).trailChainText(QStringLiteral("audit_change"))),
                       {last->id})) {
            *error = read.error();
            return false;
        }
        while (read.next())
            entries.push_back({read.value(0).toLongLong(), read.text(1)});
        if (!read.error().isEmpty()) {
            *error = read.error();
            return false;
        }
    }
    QString previous = last->hash;
    Query write(db);
    for (const Entry& entry : entries) {
        const QString own = link(previous, entry.text);
        if (!write.exec(QStringLiteral("UPDATE audit_change SET chain_prev = ?, chain_hash = ? WHERE id = ?"),
                        {previous, own, entry.id})) {
            *error = write.error();
            return false;
        }
        previous = own;
    }
    return true;
}

} // namespace TrailChain

#include "core/settings.h"

#include "core/store/database.h"
#include "core/store/query.h"

#include <QCoreApplication>

namespace Settings {

std::optional<QString> value(const QString& name)
{
    if (!Database::isOpen())
        return std::nullopt;
    Query query;
    if (!query.exec(QStringLiteral("SELECT value FROM settings WHERE name = ?"), {name}) || !query.next())
        return std::nullopt;
    return query.text(0);
}

bool setValue(const QString& name, const QString& value, QString* error)
{
    QString why;
    if (!Database::isOpen()) {
        why = QCoreApplication::translate("Settings", "No database is open");
    } else if (Database::fileInPlace(gConn, &why)) {
        Query query;
        if (query.exec(QStringLiteral("INSERT INTO settings (name, value) VALUES (?, ?) "
                                      "ON CONFLICT(name) DO UPDATE SET value = excluded.value"),
                       {name, value}))
            return true;
        why = query.error();
    }
    if (error)
        *error = why;
    return false;
}

} // namespace Settings

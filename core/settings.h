#pragma once

#include <QString>
#include <optional>

// Named settings kept in the database (table `settings`), shared by every program that opens it.
namespace Settings {

// Who serves the terminals: kService once the terminal service has started on this database; the desktop
// server then administers the database without listening.
inline const QString kTerminalsServedBy = QStringLiteral("terminals_served_by");
inline const QString kService = QStringLiteral("service");

// The value on gConn, or nothing when it is not set or cannot be read.
std::optional<QString> value(const QString& name);
bool setValue(const QString& name, const QString& value, QString* error = nullptr);

} // namespace Settings

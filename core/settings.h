#pragma once

#include <QString>
#include <optional>

// Named settings kept in the database (table `settings`), shared by every program that opens it.
namespace Settings {

// Who serves the terminals: kService once the terminal service has started on this database; the desktop
// server then administers the database without listening.
inline const QString kTerminalsServedBy = QStringLiteral("terminals_served_by");
inline const QString kService = QStringLiteral("service");

// Which terminals the server takes ("1" on, "0" off; on while not set): those not in the allowed list, and
// those that connect without encryption.
inline const QString kAcceptUnknownTerminals = QStringLiteral("accept_unknown_terminals");
inline const QString kAcceptPlainTerminals = QStringLiteral("accept_plain_terminals");
// Whether the clock window shows the employee's hours today and this week after a punch ("1" on; off while
// not set).
inline const QString kShowHoursAfterPunch = QStringLiteral("show_hours_after_punch");
// The key terminals encrypt their connection with, in the form SiteKey::format gives.
inline const QString kTerminalSiteKey = QStringLiteral("terminal_site_key");

// The value on gConn, or nothing when it is not set or cannot be read.
std::optional<QString> value(const QString& name);
bool setValue(const QString& name, const QString& value, QString* error = nullptr);

} // namespace Settings

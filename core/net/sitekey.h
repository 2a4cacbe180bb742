#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>
#include <optional>

// The site key: a secret shared by the server and its terminals, with which a terminal's connection is
// encrypted and authenticated (TLS with a pre-shared key, so there are no certificates to manage).
namespace SiteKey {

constexpr int kBytes = 16;

// A new key from the system's cryptographic random source, in the written form.
QString generate();
// The written form: lower-case hex digits in groups of four joined by '-'.
QString format(const QByteArray& key);
// The key in a typed or stored text; blanks and dashes are ignored, letter case too. Nothing when the text
// is not a whole key.
std::optional<QByteArray> parse(const QString& text);

// The TLS settings of each side: TLS 1.2 with pre-shared-key cipher suites whose key exchange is ephemeral
// (a recorded session cannot be read later even with the key). Qt asks for the key through
// QSslSocket::preSharedKeyAuthenticationRequired.
QSslConfiguration serverConfiguration();
QSslConfiguration clientConfiguration();
// What the terminal calls itself and what the server hints; one key serves the whole site.
inline const QByteArray kIdentity = QByteArrayLiteral("qorvil-terminal");
inline const QByteArray kIdentityHint = QByteArrayLiteral("qorvil");

} // namespace SiteKey

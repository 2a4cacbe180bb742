#pragma once

#include <QString>

// The terminal protocol: plain text over one TCP connection per terminal, no framing.
namespace Protocol {

constexpr quint16 kPort = 50505;

inline const QString kAccepted = QStringLiteral("CRA");
inline const QString kNotFound = QStringLiteral("NRF");
inline const QString kSignedIn = QStringLiteral("RIN");
inline const QString kSignedOut = QStringLiteral("OUT");

} // namespace Protocol

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

struct PunchResult;

// The terminal protocol: plain text over one TCP connection per terminal, no framing.
namespace Protocol {

constexpr quint16 kPort = 50505;

inline const QString kAccepted = QStringLiteral("CRA");
inline const QString kNotFound = QStringLiteral("NRF");
inline const QString kSignedIn = QStringLiteral("RIN");
inline const QString kSignedOut = QStringLiteral("OUT");

// Text travels as UTF-8 with nothing appended: ASCII IDs and names are their own bytes.
QByteArray toWire(const QString& text);
// Bytes that are not UTF-8 become replacement characters, so they can never equal a stored ID.
QString fromWire(const QByteArray& bytes);

// The reply a terminal gets for a punch, or nothing (a full day, a case-only match, a punch not stored).
std::optional<QString> replyFor(const PunchResult& result);

// What a terminal makes of one block received from the server.
struct ServerReply
{
    enum class Kind {
        Accepted,  // "CRA"
        NotFound,  // "NRF"
        SignedIn,  // "RIN" + name
        SignedOut, // "OUT" + name
        Ignored,   // anything else, including two messages run together
    };

    Kind kind = Kind::Ignored;
    QString name;
};

// The whole block is one message: it is compared as a whole, then split after its third character.
ServerReply decodeServerReply(const QString& block);

} // namespace Protocol

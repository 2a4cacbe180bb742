#include "core/protocol.h"

#include "core/punch/punchrules.h"

namespace Protocol {

QByteArray toWire(const QString& text)
{
    return text.toUtf8();
}

QString fromWire(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

ServerReply decodeServerReply(const QString& block)
{
    using Kind = ServerReply::Kind;
    if (block == kAccepted)
        return {Kind::Accepted, {}};
    if (block == kNotFound)
        return {Kind::NotFound, {}};
    const QString code = block.left(3);
    if (code == kSignedIn)
        return {Kind::SignedIn, block.mid(3)};
    if (code == kSignedOut)
        return {Kind::SignedOut, block.mid(3)};
    return {};
}

} // namespace Protocol

std::optional<QString> Protocol::replyFor(const PunchResult& result)
{
    using Outcome = PunchResult::Outcome;
    switch (result.outcome) {
    case Outcome::NotFound:
        return kNotFound;
    case Outcome::SignedIn:
        return kSignedIn + result.name;
    case Outcome::SignedOut:
        return kSignedOut + result.name;
    case Outcome::NoFreeSlot:
    case Outcome::CaseOnly:
    case Outcome::StoreFailed:
        break;
    }
    return std::nullopt;
}

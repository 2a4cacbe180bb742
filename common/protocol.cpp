#include "common/protocol.h"

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

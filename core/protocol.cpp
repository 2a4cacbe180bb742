#include "core/protocol.h"

#include "core/valueforms.h"

#include "core/punch/punchrules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace Protocol {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
// Room beyond the longest ID for what is not part of it: a byte-order mark and the CR of a CR LF.
constexpr qsizetype kIdSlack = 4;

// The codes as they travel.
constexpr QByteArrayView wire(QLatin1String code)
{
    return QByteArrayView(code.data(), code.size());
}
constexpr QByteArrayView kCra = wire(kAccepted);
constexpr QByteArrayView kNrf = wire(kNotFound);
constexpr QByteArrayView kRin = wire(kSignedIn);
constexpr QByteArrayView kOut = wire(kSignedOut);

constexpr QByteArrayView kHrs("HRS");

// The codes a name can be cut at; hours come only as asked for, never right behind a name.
constexpr std::array<QByteArrayView, 4> kCodes = {kCra, kNrf, kRin, kOut};
constexpr std::array<QByteArrayView, 5> kReplyStarts = {kCra, kNrf, kRin, kOut, kHrs};

bool isCodePrefix(QByteArrayView bytes)
{
    return std::any_of(kCodes.begin(), kCodes.end(), [bytes](QByteArrayView code) { return code.startsWith(bytes); });
}

bool isReplyPrefix(QByteArrayView bytes)
{
    return std::any_of(kReplyStarts.begin(), kReplyStarts.end(),
                       [bytes](QByteArrayView code) { return code.startsWith(bytes); });
}

bool startsWithCode(QByteArrayView bytes)
{
    return std::any_of(kCodes.begin(), kCodes.end(), [bytes](QByteArrayView code) { return bytes.startsWith(code); });
}

// What nameEnd() says when no reply begins in the held text, and when that depends on bytes still to come.
constexpr qsizetype kNoEnd = -1;
constexpr qsizetype kWait = -2;

} // namespace

QByteArray toWire(const QString& text)
{
    return text.toUtf8();
}

QString fromWire(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QByteArray idToWire(const QString& id)
{
    return toWire(id) + '\n';
}

QByteArray hoursRequestToWire()
{
    return idToWire(kHoursRequest);
}

QByteArray hoursToWire(qint64 todayMinutes, qint64 weekMinutes)
{
    return kHrs.toByteArray() + toWire(ValueForms::showDuration(todayMinutes)) + ' ' +
           toWire(ValueForms::showDuration(weekMinutes)) + '\n';
}

QList<IdSplitter::Id> IdSplitter::feed(QByteArrayView bytes)
{
    QList<Id> ids;
    while (!bytes.isEmpty()) {
        const auto lineFeed = std::find(bytes.begin(), bytes.end(), '\n');
        const QByteArrayView part = bytes.first(lineFeed - bytes.begin());
        const qsizetype room = kMaxIdBytes + kIdSlack - m_held.size();
        if (part.size() > room) {
            m_held.append(part.first(room));
            m_overlong = true;
        } else {
            m_held.append(part);
        }
        if (lineFeed == bytes.end())
            break;
        if (auto id = finish())
            ids.append(std::move(*id));
        bytes = bytes.sliced(part.size() + 1);
    }
    return ids;
}

std::optional<IdSplitter::Id> IdSplitter::takeHeld()
{
    return finish();
}

std::optional<IdSplitter::Id> IdSplitter::finish()
{
    QByteArray line = std::exchange(m_held, {});
    bool overlong = std::exchange(m_overlong, false);
    // A carriage return ends an ID whether its line feed came with it, comes late, or never comes (readers
    // that end each scan with a carriage return alone).
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith(kByteOrderMark))
        line.remove(0, kByteOrderMark.size());
    if (line.size() > kMaxIdBytes) {
        line.truncate(kMaxIdBytes);
        overlong = true;
    }
    if (line.isEmpty() && !overlong)
        return std::nullopt;
    return Id{fromWire(line), overlong};
}

void ReplyDecoder::expectReply()
{
    ++m_unanswered;
}

void ReplyDecoder::answered()
{
    m_unanswered = std::max(0, m_unanswered - 1);
}

QList<ServerReply> ReplyDecoder::feed(QByteArrayView bytes)
{
    // In slices, so what is held never grows beyond one slice and the longest name.
    QList<ServerReply> replies;
    while (!bytes.isEmpty()) {
        const qsizetype slice = std::min(bytes.size(), kMaxNameBytes);
        m_held.append(bytes.first(slice));
        bytes = bytes.sliced(slice);
        replies.append(decode(false));
    }
    return replies;
}

QList<ServerReply> ReplyDecoder::flush()
{
    return decode(true);
}

qsizetype ReplyDecoder::nameEnd(qsizetype from, bool quiet) const
{
    // Every name the server sends is a first name, a blank and a last name.
    const qsizetype blank = m_held.indexOf(' ', from);
    if (blank < 0)
        return kNoEnd;
    const QByteArrayView held(m_held);
    for (qsizetype at = blank + 1; at + 3 <= held.size(); ++at) {
        const QByteArrayView code = held.sliced(at, 3);
        const bool named = code == kRin || code == kOut;
        if (!(code == kCra && !m_greeted) && !((named || code == kNrf) && m_unanswered > 1))
            continue;
        const QByteArrayView after = held.sliced(at + 3);
        if (named) {
            if (after.contains(' '))
                return at;
        } else if (after.size() >= 3 ? startsWithCode(after) : (after.isEmpty() || isCodePrefix(after))) {
            if (after.size() >= 3 || quiet)
                return at;
        } else {
            continue;
        }
        // Whether another reply begins here depends on bytes still to come.
        if (!quiet)
            return kWait;
    }
    return kNoEnd;
}

QList<ServerReply> ReplyDecoder::decode(bool quiet)
{
    using Kind = ServerReply::Kind;
    QList<ServerReply> replies;
    const qsizetype size = m_held.size();
    qsizetype pos = 0;
    if (m_dropping) {
        // The rest of a name that was too long goes until the server falls quiet.
        m_dropping = !quiet;
        m_held.clear();
        return replies;
    }
    while (pos < size) {
        const QByteArrayView rest = QByteArrayView(m_held).sliced(pos);
        if (rest.size() < 3) {
            if (!quiet && isReplyPrefix(rest))
                break;
            pos = size;
            break;
        }
        const QByteArrayView code = rest.first(3);
        if (code == kCra) {
            replies.append({Kind::Accepted, {}});
            m_greeted = true;
            pos += 3;
        } else if (code == kNrf) {
            replies.append({Kind::NotFound, {}});
            answered();
            pos += 3;
        } else if (code == kRin || code == kOut) {
            qsizetype end = nameEnd(pos + 3, quiet);
            const bool tooLong = end < 0 && rest.size() - 3 > kMaxNameBytes;
            if (end < 0 && !quiet && !tooLong)
                break; // more of the name may follow
            if (end < 0)
                end = size;
            const QByteArray name = m_held.sliced(pos + 3, std::min(end - pos - 3, kMaxNameBytes));
            replies.append({code == kRin ? Kind::SignedIn : Kind::SignedOut, fromWire(name)});
            answered();
            pos = end;
            if (tooLong && !quiet) {
                m_dropping = true;
                pos = size;
            }
        } else if (code == kHrs) {
            const qsizetype lineFeed = rest.first(std::min(rest.size(), kMaxHoursBytes + 1)).indexOf('\n');
            if (lineFeed < 0 && !quiet && rest.size() <= kMaxHoursBytes)
                break; // the rest of the line is on its way
            if (lineFeed < 0) {
                pos += 3; // no answer of ours
                continue;
            }
            replies.append({Kind::Hours, fromWire(rest.sliced(3, lineFeed - 3).toByteArray())});
            answered();
            pos += lineFeed + 1;
        } else {
            // Bytes that begin no reply: skip to where one could begin.
            qsizetype next = -1;
            for (const QByteArrayView candidate : kReplyStarts) {
                const qsizetype at = m_held.indexOf(candidate, pos + 1);
                if (at >= 0 && (next < 0 || at < next))
                    next = at;
            }
            pos = next >= 0 ? next : quiet ? size : std::max(pos + 1, size - 2);
        }
    }
    m_held.remove(0, pos);
    return replies;
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

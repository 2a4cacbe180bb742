#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

struct PunchResult;

// The terminal protocol: plain text over one TCP connection per terminal. A terminal ends each ID with a line
// feed; the server's replies carry no end of their own, so the terminal cuts them out of the stream.
namespace Protocol {

constexpr quint16 kPort = 50505;

// The server's reply codes. They are ASCII, so a code can never start inside a UTF-8 sequence.
inline constexpr QLatin1String kAccepted("CRA");
inline constexpr QLatin1String kNotFound("NRF");
inline constexpr QLatin1String kSignedIn("RIN");
inline constexpr QLatin1String kSignedOut("OUT");

// After a punch's answer a terminal that shows hours asks for them with this line. It begins with a control
// character no ID typed at a terminal can hold, so a server that does not know it looks it up as an ID and
// answers "NRF", and the punch answers stay as they are. A server that knows it answers "HRS", the worked time
// today, a blank, the worked time this week (h:mm each), and a line feed: only terminals that ask ever get it.
inline const QString kHoursRequest = QStringLiteral("\x05HRS");
inline const QString kHours = QStringLiteral("HRS");
QByteArray hoursRequestToWire();
QByteArray hoursToWire(qint64 todayMinutes, qint64 weekMinutes);

// Text held without an end is taken as complete once the sender has been quiet this long.
constexpr int kQuietMs = 100;

// Text travels as UTF-8: ASCII IDs and names are their own bytes.
QByteArray toWire(const QString& text);
// Bytes that are not UTF-8 become replacement characters, so they can never equal a stored ID.
QString fromWire(const QByteArray& bytes);
// What a terminal sends for one ID: the text and a line feed.
QByteArray idToWire(const QString& id);

// The reply a terminal gets for a punch, or nothing (a full day, a case-only match, a punch not stored).
std::optional<QString> replyFor(const PunchResult& result);

// The server's side: what one terminal sends, cut into IDs. Each line (LF or CR LF) is one ID; text without
// a line end is held until the rest arrives, or taken whole once the terminal falls quiet or leaves, so
// terminals that send bare IDs keep working and an ID split by the network is joined. A blank line is no
// ID, and a leading UTF-8 byte-order mark is not part of one.
class IdSplitter
{
public:
    // The longest ID taken from the wire, in bytes. A longer line is nobody's ID: it is cut here, the rest
    // of it is dropped as it arrives, and it is marked overlong. This is all a connection ever holds.
    static constexpr qsizetype kMaxIdBytes = 4096;

    struct Id
    {
        QString text;
        bool overlong = false;
    };

    // The IDs completed by these bytes, in order.
    QList<Id> feed(QByteArrayView bytes);
    // The text held without a line end, as one ID; nothing when nothing is held.
    std::optional<Id> takeHeld();
    bool holding() const { return !m_held.isEmpty() || m_overlong; }

private:
    std::optional<Id> finish();

    QByteArray m_held;
    bool m_overlong = false;
};

// One message from the server.
struct ServerReply
{
    enum class Kind {
        Accepted,  // "CRA"
        NotFound,  // "NRF"
        SignedIn,  // "RIN" + name
        SignedOut, // "OUT" + name
        Hours,     // "HRS" + today and this week, h:mm each
    };

    Kind kind = Kind::NotFound;
    QString name; // of a punch; for hours the two times, "7:45 31:10"
};

// The terminal's side: the server's replies cut out of the received stream. "CRA" and "NRF" are complete as
// they arrive; a name runs until the next reply begins or the server falls quiet. Since a name may itself
// contain a code ("TROUT"), a name is only cut where another reply can really follow: at "CRA" until the
// greeting came, at "NRF", "RIN" or "OUT" only while more than one sent ID is still unanswered.
class ReplyDecoder
{
public:
    // The longest name kept; the rest of a longer one is dropped. With it, this is all the decoder holds.
    static constexpr qsizetype kMaxNameBytes = 1024;
    // The longest hours answer; a longer one is no answer.
    static constexpr qsizetype kMaxHoursBytes = 32;

    // An ID was sent: one more reply may come.
    void expectReply();
    // The replies completed by these bytes, in order. Bytes that begin no reply are dropped.
    QList<ServerReply> feed(QByteArrayView bytes);
    // The server fell quiet (or left): a name held so far is complete; a code cut short is dropped.
    QList<ServerReply> flush();
    bool holding() const { return !m_held.isEmpty(); }

private:
    QList<ServerReply> decode(bool quiet);
    qsizetype nameEnd(qsizetype from, bool quiet) const;
    void answered();

    QByteArray m_held;
    int m_unanswered = 0;
    bool m_greeted = false;
    bool m_dropping = false; // the rest of a name that was too long
};

} // namespace Protocol

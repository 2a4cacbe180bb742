#pragma once

#include "core/net/terminalaccess.h"
#include "core/protocol.h"
#include "core/punch/punchqueue.h"
#include "core/punch/punchrules.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

class QSocketNotifier;
class QSslPreSharedKeyAuthenticator;
class QTcpServer;
class QTcpSocket;
class QTimer;
class TerminalNotices;

// A peer address in dotted form: an IPv4 terminal reached over a dual-stack listener shows as 192.0.2.7.
QString dottedAddress(const QHostAddress& address);

// The server's side of the terminal protocol. Index 0 of the socket array rsSock is the listening socket;
// each accepted connection takes the next index, never given out again. A connection that ends is
// closed and its socket freed, so a long run with many terminals coming and going stays small.
//
// What one connection may hold is bounded: the socket reads at most kReadBufferBytes ahead, an ID is cut at
// Protocol::IdSplitter::kMaxIdBytes, one read is punched before the next is taken, and a terminal that does
// not take its replies is not read from while more than kUnsentReplyBytes of them wait to be sent. Punches go
// through a PunchQueue, stored on a thread of its own, so the listener never waits on the database.
//
// Who is served follows TerminalAccess's rules, read at the start, whenever terminals connect, when this program
// changes them and every kRulesCheckMs while terminals are connected. Until they have been read once no terminal
// is served. A change closes the terminals it no longer allows (an address taken out of the list, plain ones
// refused, a new site key), each once the punches it sent are answered. A terminal outside the allowed list is refused at once when unknown terminals are not accepted. Otherwise the first byte the terminal
// sends tells an encrypted connection (a TLS handshake record) from a plain one; a terminal that sends nothing
// for kSniffMs is plain, so a plain terminal waiting for its "CRA" gets it that much later. An encrypted
// connection is served once its handshake with the site key succeeded, within the handshake time; a failed one,
// and a plain one while plain terminals are not accepted, is closed without an answer and reported as refused.
//
// A terminal may ask for the hours of the employee it last punched (Protocol::kHoursRequest); while unknown
// terminals are not accepted, only an allowed or encrypted one gets them, the others "NRF".
class TerminalListener : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kReadBufferBytes = qint64(64) * 1024;
    static constexpr qint64 kUnsentReplyBytes = qint64(64) * 1024;
    static constexpr int kSniffMs = 150;
    static constexpr int kDefaultHandshakeMs = 5000;
    static constexpr int kRulesCheckMs = 2000;
    // After a failed reading: a database server out of reach may hold the event loop up to its connect
    // time-out on each try.
    static constexpr int kRulesRetryMs = 30000;

    struct ConnectedTerminal
    {
        qint64 index;
        QString address;
        bool encrypted;
        bool allowed;
    };

    // Port 0 lets the system choose one (tests); the server passes Protocol::kPort. The notices are not
    // owned and must outlive the listener.
    TerminalListener(quint16 port, TerminalNotices& notices, QObject* parent = nullptr);
    ~TerminalListener() override;

    // Starts listening on all addresses. When the port cannot be taken the failure is told once and
    // the listen is retried quietly until it succeeds. True when listening now.
    bool start();
    bool isListening() const;
    // The port listened on (the one the system chose when constructed with 0).
    quint16 port() const;

    // How long to wait between quiet retries of a failed listen.
    void setRetryInterval(int milliseconds);
    // The address to listen on (before start); every address unless set.
    void setListenAddress(const QHostAddress& address) { m_address = address; }
    QHostAddress listenAddress() const { return m_address; }
    // Without an operator unknown terminals are taken only while the allowed list is empty.
    void setOperator(TerminalAccess::Operator who) { m_operator = who; }
    // How long an encrypted terminal may take over its handshake before it is refused.
    void setHandshakeTimeout(int milliseconds) { m_handshakeMs = milliseconds; }

    // Stops taking terminals and finishes what they sent: every ID received so far, the text still waiting
    // for its line end included, is stored and answered, the answers are handed to the system, and every
    // connection closes. The listener takes no terminals afterwards.
    void finish();

    // The punches on their way to the store (tests reach the store thread's connection through it).
    PunchQueue& punches() { return *m_punches; }

    // The connection counter: the highest index given out so far.
    qint64 connectionCount() const { return m_counter; }
    // The open socket of an index, or nullptr once it has closed (or was never given out).
    QTcpSocket* socket(qint64 index) const;
    // Indexes of the connected terminals, in increasing order.
    QList<qint64> connectedIndexes() const;
    // Their peer addresses, in the same order.
    QStringList connectedAddresses() const;
    // The same terminals with how each is connected.
    QList<ConnectedTerminal> connectedTerminals() const;

Q_SIGNALS:
    // The listen succeeded, at once or after retries.
    void listening(quint16 port);
    // A connection was accepted on this index.
    void accepted(qint64 index);
    // A received ID was handled as a punch (after any reply was sent).
    void punchHandled(qint64 index, const QString& id, PunchResult::Outcome outcome);
    // A terminal's socket was closed and freed.
    void socketClosed(qint64 index);
    // A connection was closed without an answer (see TerminalNotices::terminalRefused).
    void refused(const QString& address, const QString& reason);
    // See TerminalNotices::accessProblem.
    void accessProblem(const QString& problem);

private:
    struct Connection
    {
        QTcpSocket* socket = nullptr;
        QString address;
        QHostAddress peer;
        QByteArray key;          // the site key an encrypted one was given
        QString revoked;         // why the rules no longer allow it: read no more, close once answered
        std::optional<QString> wrongIdentity; // what an encrypted one called itself instead of SiteKey::kIdentity
        bool allowed = false;
        bool encrypted = false;
        bool served = false; // settled, and for an encrypted one the handshake done: its IDs are punched
        Protocol::IdSplitter splitter;
        QTimer* quiet = nullptr; // made when the terminal first leaves text without a line end
        int punchesWaiting = 0;  // its IDs read and not answered yet: read no more until they are
        QString lastPunched;     // the ID of its last punch recorded, whose hours it may ask for
    };

    // A connection whose first byte has not come yet; only the descriptor exists.
    // Writes a reply to the terminal now.
    static void send(Connection& terminal, const QByteArray& bytes);

    struct Arriving
    {
        int descriptor = -1;
        QString address;
        QHostAddress peer;
        bool allowed = false;
        QSocketNotifier* readable = nullptr;
        QTimer* silent = nullptr;
    };
    enum class Kind { Plain, Encrypted };

    void tryListen();
    void acceptPending();
    void readRules();
    void recheck();
    QString noLongerAllowed(const Connection& terminal) const;
    void revoke(qint64 index, const QString& reason);
    void tellAccessProblem(const QString& problem);
    void sniff(qint64 index);
    void dropArriving(qint64 index);
    void settle(qint64 index, Kind kind);
    Connection& addConnection(qint64 index, QTcpSocket* socket, const Arriving& arriving, bool encrypted);
    void serve(qint64 index);
    void refuse(const QString& address, const QString& reason);
    void refuseConnection(qint64 index, const QString& reason);
    void receive(qint64 index);
    void takeHeld(qint64 index);
    void enqueue(qint64 index, Protocol::IdSplitter::Id id);
    void punchReceived();
    void answer(qint64 index, const QString& id, const PunchResult& result);
    void answerHours(qint64 index);
    void answered(qint64 index);
    void closeSocket(qint64 index);
    void socketError(qint64 index, QAbstractSocket::SocketError error);
    void listenerError(int error, const QString& description);
    void reportListenFailure(int error, const QString& description);
    Connection* connection(qint64 index);

    TerminalNotices& m_notices;
    QTcpServer* m_server;
    PunchQueue* m_punches;
    QSocketNotifier* m_acceptor = nullptr; // while listening
    QTimer* m_retry;
    QTimer* m_resumeAccepting;
    QTimer* m_punchSoon = nullptr;
    QTimer* m_rulesCheck;
    quint16 m_port;
    QHostAddress m_address = QHostAddress::Any;
    qint64 m_counter = 0;
    std::map<qint64, Connection> m_connections; // open terminal connections only
    std::map<qint64, Arriving> m_arriving;
    TerminalAccess::Rules m_rules;
    bool m_rulesRead = false; // nobody is served before
    QString m_rulesError;     // why they could not be read the last time, empty when they could
    QString m_accessProblem;
    TerminalAccess::Operator m_operator = TerminalAccess::Operator::Present;
    int m_handshakeMs = kDefaultHandshakeMs;
    bool m_listenFailureTold = false;
    bool m_acceptFailureTold = false;
    // IDs received and not yet punched, in order of arrival: those that arrive together are stored
    // together, with one wait for the disk.
    struct Received
    {
        qint64 index;
        Protocol::IdSplitter::Id id;
    };
    std::vector<Received> m_received;
};

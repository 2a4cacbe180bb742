#include "core/net/terminallistener.h"

#include "core/clock.h"
#include "core/net/sitekey.h"
#include "core/net/socketerrors.h"
#include "core/net/terminalnotices.h"
#include "core/payroll/hourstonow.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QPointer>
#include <QSocketNotifier>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kDefaultRetryMs = 5000;
// How soon to try accepting again after the process ran out of descriptors.
constexpr int kResumeAcceptingMs = 200;
// Connections taken in one go; more wait for the next turn of the event loop, so terminals already
// connected are served between them.
constexpr int kAcceptsPerTurn = 64;
// The first byte of a TLS handshake record.
constexpr char kTlsHandshake = 0x16;

} // namespace

QString dottedAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

TerminalListener::TerminalListener(quint16 port, TerminalNotices& notices, QObject* parent)
    : QObject(parent), m_notices(notices), m_server(new QTcpServer(this)), m_punches(new PunchQueue(this)),
      m_retry(new QTimer(this)), m_resumeAccepting(new QTimer(this)), m_port(port)
{
    m_retry->setObjectName(QStringLiteral("listenRetry"));
    m_retry->setInterval(kDefaultRetryMs);
    connect(m_retry, &QTimer::timeout, this, &TerminalListener::tryListen);
    m_resumeAccepting->setSingleShot(true);
    m_resumeAccepting->setInterval(kResumeAcceptingMs);
    connect(m_resumeAccepting, &QTimer::timeout, this, [this] {
        if (m_acceptor)
            m_acceptor->setEnabled(true);
    });
    // The IDs read in one turn of the event loop are punched together just before the loop waits again, with
    // no extra wake-up between reading and storing. Where the loop runs without waiting (a nested loop that
    // only processes what is there), the zero-time timer punches them instead.
    m_punchSoon = new QTimer(this);
    m_punchSoon->setSingleShot(true);
    m_punchSoon->setInterval(0);
    connect(m_punchSoon, &QTimer::timeout, this, &TerminalListener::punchReceived);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!m_received.empty())
                punchReceived();
        });
    }
}

TerminalListener::~TerminalListener()
{
    // The terminals go with the listener, without notices about them.
    for (auto& [index, connection] : m_connections)
        connection.socket->disconnect(this);
    for (auto& [index, arriving] : m_arriving)
        ::close(arriving.descriptor);
}

bool TerminalListener::start()
{
    tryListen();
    return isListening();
}

bool TerminalListener::isListening() const
{
    return m_server->isListening();
}

quint16 TerminalListener::port() const
{
    return m_server->isListening() ? m_server->serverPort() : m_port;
}

void TerminalListener::setRetryInterval(int milliseconds)
{
    m_retry->setInterval(milliseconds);
}

void TerminalListener::tryListen()
{
    if (m_server->isListening())
        return;
    if (m_server->listen(m_address, m_port)) {
        // Connections are taken here rather than by the server object, which, out of descriptors, would try
        // again and again without end instead of saying so.
        m_server->pauseAccepting();
        m_acceptor = new QSocketNotifier(m_server->socketDescriptor(), QSocketNotifier::Read, this);
        connect(m_acceptor, &QSocketNotifier::activated, this, &TerminalListener::acceptPending);
        m_port = m_server->serverPort();
        m_retry->stop();
        m_listenFailureTold = false;
        Q_EMIT listening(m_port);
        return;
    }
    reportListenFailure(SocketErrors::systemNumber(m_server->serverError(), m_server->errorString()),
                        m_server->errorString());
    m_retry->start();
}

void TerminalListener::reportListenFailure(int error, const QString& description)
{
    // Told once per outage; the retries that follow stay quiet so the operator is not buried in boxes.
    if (m_listenFailureTold)
        return;
    m_listenFailureTold = true;
    m_notices.listenFailed(m_port, error, description);
}

void TerminalListener::listenerError(int error, const QString& description)
{
    delete m_acceptor;
    m_acceptor = nullptr;
    m_server->close();
    reportListenFailure(error, description);
    m_retry->start();
}

void TerminalListener::readRules()
{
    // Read again for every group of connections, so a change in the window or by another program on the same
    // database counts from the next terminal on; when they cannot be read the last ones hold.
    QString error;
    if (std::optional<TerminalAccess::Rules> rules = TerminalAccess::readRules(m_operator, &error))
        m_rules = std::move(*rules);
}

void TerminalListener::acceptPending()
{
    if (m_acceptor)
        readRules();
    for (int taken = 0; m_acceptor && taken < kAcceptsPerTurn; ++taken) {
        sockaddr_storage peer{};
        socklen_t peerSize = sizeof peer;
        const int descriptor = ::accept4(int(m_server->socketDescriptor()), reinterpret_cast<sockaddr*>(&peer),
                                         &peerSize, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM) {
                // Out of descriptors. The listening socket stays (closing it would refuse the terminals waiting
                // in its backlog, and it could not be opened again now anyway); connected terminals are served
                // meanwhile, and accepting resumes as soon as a descriptor is free.
                m_acceptor->setEnabled(false);
                if (!m_acceptFailureTold) {
                    m_acceptFailureTold = true;
                    m_notices.acceptFailed(error, qt_error_string(error));
                }
                m_resumeAccepting->start();
                return;
            }
            listenerError(error, qt_error_string(error));
            return;
        }
        m_acceptFailureTold = false;
        const QHostAddress from(reinterpret_cast<const sockaddr*>(&peer));
        Arriving arriving;
        arriving.descriptor = descriptor;
        arriving.address = dottedAddress(from);
        arriving.allowed = m_rules.allowed.contains(from);
        if (!arriving.allowed && !m_rules.acceptUnknown) {
            ::close(descriptor);
            refuse(arriving.address, QStringLiteral("not an allowed terminal"));
            continue;
        }
        const qint64 index = ++m_counter;
        // The first byte decides what the connection is; it stays in the system's buffer for whoever reads next.
        arriving.readable = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(arriving.readable, &QSocketNotifier::activated, this, [this, index] { sniff(index); });
        arriving.silent = new QTimer(this);
        arriving.silent->setSingleShot(true);
        connect(arriving.silent, &QTimer::timeout, this, [this, index] { settle(index, Kind::Plain); });
        arriving.silent->start(kSniffMs);
        m_arriving.emplace(index, arriving);
        Q_EMIT accepted(index);
    }
}

void TerminalListener::sniff(qint64 index)
{
    const auto it = m_arriving.find(index);
    if (it == m_arriving.end())
        return;
    char first = 0;
    const ssize_t got = ::recv(it->second.descriptor, &first, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got == 1) {
        settle(index, first == kTlsHandshake ? Kind::Encrypted : Kind::Plain);
        return;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    // Gone before it said anything: nobody needs to hear of it.
    const Arriving gone = it->second;
    m_arriving.erase(it);
    delete gone.readable;
    delete gone.silent;
    ::close(gone.descriptor);
    m_notices.clientClosed(index);
    Q_EMIT socketClosed(index);
}

void TerminalListener::settle(qint64 index, Kind kind)
{
    const auto it = m_arriving.find(index);
    if (it == m_arriving.end())
        return;
    const Arriving arriving = it->second;
    m_arriving.erase(it);
    delete arriving.readable;
    delete arriving.silent;
    const auto drop = [&](const QString& reason) {
        ::close(arriving.descriptor);
        refuse(arriving.address, reason);
        m_notices.clientClosed(index);
        Q_EMIT socketClosed(index);
    };

    if (kind == Kind::Plain) {
        if (!m_rules.acceptPlain) {
            drop(QStringLiteral("connected without encryption, and plain terminals are not accepted"));
            return;
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(arriving.descriptor)) {
            delete socket;
            drop(QStringLiteral("the connection could not be taken"));
            return;
        }
        addConnection(index, socket, arriving, false);
        serve(index);
        return;
    }

    if (m_rules.siteKey.isEmpty()) {
        drop(QStringLiteral("connected with encryption, and no site key has been made"));
        return;
    }
    auto* socket = new QSslSocket(this);
    socket->setSslConfiguration(SiteKey::serverConfiguration());
    connect(
        socket, &QSslSocket::preSharedKeyAuthenticationRequired, this,
        [key = m_rules.siteKey](QSslPreSharedKeyAuthenticator* authenticator) { authenticator->setPreSharedKey(key); });
    if (!socket->setSocketDescriptor(arriving.descriptor)) {
        delete socket;
        drop(QStringLiteral("the connection could not be taken"));
        return;
    }
    addConnection(index, socket, arriving, true);
    connect(socket, &QSslSocket::encrypted, this, [this, index] { serve(index); });
    // A terminal that starts a handshake and never ends it is not kept waiting for.
    auto* handshake = new QTimer(socket);
    handshake->setSingleShot(true);
    connect(handshake, &QTimer::timeout, this, [this, index] {
        if (Connection* terminal = connection(index); terminal && !terminal->served)
            refuseConnection(index, QStringLiteral("the encrypted connection was not set up in time"));
    });
    connect(socket, &QSslSocket::encrypted, handshake, &QTimer::stop);
    handshake->start(m_handshakeMs);
    socket->startServerEncryption();
}

TerminalListener::Connection& TerminalListener::addConnection(qint64 index, QTcpSocket* socket,
                                                              const Arriving& arriving, bool encrypted)
{
    // Answers are a few bytes each and a terminal waits for them: send them at once.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(kReadBufferBytes);
    Connection& added = m_connections[index];
    added.socket = socket;
    added.address = arriving.address;
    added.allowed = arriving.allowed;
    added.encrypted = encrypted;
    connect(socket, &QTcpSocket::readyRead, this, [this, index] { receive(index); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, index, socket] {
        if (socket->bytesToWrite() <= kUnsentReplyBytes && socket->bytesAvailable() > 0)
            receive(index);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, index] { closeSocket(index); });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, index](QAbstractSocket::SocketError error) { socketError(index, error); });
    return added;
}

void TerminalListener::serve(qint64 index)
{
    Connection* terminal = connection(index);
    if (!terminal || terminal->served)
        return;
    terminal->served = true;
    QPointer<QTcpSocket> guard(terminal->socket);
    auto greet = [guard] {
        if (guard && guard->state() == QAbstractSocket::ConnectedState) {
            guard->write(Protocol::toWire(Protocol::kAccepted));
            guard->flush();
        }
    };
    // An allowed terminal needs nobody's word. Otherwise waiting for the greeting does not hold up this handler:
    // punches from this and other terminals are served meanwhile, and only this connection's "CRA" waits.
    if (terminal->allowed) {
        greet();
        m_notices.allowedClientConnected(index, terminal->address, terminal->encrypted);
    } else {
        m_notices.clientAccepted(index, terminal->address, std::move(greet));
    }
    // What came with the handshake is waiting.
    if (Connection* again = connection(index); again && again->socket->bytesAvailable() > 0)
        receive(index);
}

void TerminalListener::refuse(const QString& address, const QString& reason)
{
    m_notices.terminalRefused(address, reason);
    Q_EMIT refused(address, reason);
}

void TerminalListener::refuseConnection(qint64 index, const QString& reason)
{
    const auto it = m_connections.find(index);
    if (it == m_connections.end())
        return;
    QTcpSocket* socket = it->second.socket;
    const QString address = it->second.address;
    m_connections.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    refuse(address, reason);
    m_notices.clientClosed(index);
    Q_EMIT socketClosed(index);
}

TerminalListener::Connection* TerminalListener::connection(qint64 index)
{
    const auto it = m_connections.find(index);
    return it == m_connections.end() ? nullptr : &it->second;
}

void TerminalListener::receive(qint64 index)
{
    Connection* terminal = connection(index);
    if (!terminal || !terminal->served)
        return;
    // A terminal that does not take its replies is not read from until it does, so it cannot make the
    // server hold replies for it without end; TCP then holds back what it sends.
    if (terminal->punchesWaiting || terminal->socket->bytesToWrite() > kUnsentReplyBytes)
        return;
    for (Protocol::IdSplitter::Id& id : terminal->splitter.feed(terminal->socket->readAll()))
        enqueue(index, std::move(id));
    if (terminal->splitter.holding()) {
        if (!terminal->quiet) {
            terminal->quiet = new QTimer(terminal->socket);
            terminal->quiet->setSingleShot(true);
            terminal->quiet->setInterval(Protocol::kQuietMs);
            connect(terminal->quiet, &QTimer::timeout, this, [this, index] { takeHeld(index); });
        }
        terminal->quiet->start();
    } else if (terminal->quiet) {
        terminal->quiet->stop();
    }
}

void TerminalListener::takeHeld(qint64 index)
{
    if (Connection* terminal = connection(index)) {
        if (auto id = terminal->splitter.takeHeld())
            enqueue(index, std::move(*id));
    }
}

void TerminalListener::enqueue(qint64 index, Protocol::IdSplitter::Id id)
{
    // Every ID that arrives in this turn of the event loop is punched before the next one.
    if (m_received.empty())
        m_punchSoon->start();
    if (Connection* terminal = connection(index))
        ++terminal->punchesWaiting;
    m_received.push_back({index, std::move(id)});
}

void TerminalListener::punchReceived()
{
    m_punchSoon->stop();
    const std::vector<Received> batch = std::move(m_received);
    m_received.clear();
    if (batch.empty()) // finish() punched them already
        return;
    for (const Received& received : batch) {
        auto reply = [this, index = received.index, id = received.id.text](const PunchResult& result) {
            answer(index, id, result);
        };
        // Hours are read once the punches before them are stored and answered.
        if (!received.id.overlong && received.id.text == Protocol::kHoursRequest)
            m_punches->answerInTurn(PunchResult{}, [this, index = received.index](const PunchResult&) {
                answerHours(index);
            });
        // A line too long to be anybody's ID is answered as an unknown one without asking the store.
        else if (received.id.overlong)
            m_punches->answerInTurn(PunchResult{}, std::move(reply));
        else
            m_punches->submit(received.id.text, std::move(reply));
    }
    m_punches->process();
}

void TerminalListener::answer(qint64 index, const QString& id, const PunchResult& result)
{
    // Answers go out only once the rows are stored, so an answer never claims an unrecorded punch.
    Connection* terminal = connection(index);
    if (const auto reply = Protocol::replyFor(result);
        reply && terminal && terminal->socket->state() == QAbstractSocket::ConnectedState) {
        terminal->socket->write(Protocol::toWire(*reply));
        terminal->socket->flush(); // now, not on the next turn of the event loop
    }
    if (terminal && (result.outcome == PunchResult::Outcome::SignedIn ||
                     result.outcome == PunchResult::Outcome::SignedOut))
        terminal->lastPunched = id;
    if (result.outcome == PunchResult::Outcome::StoreFailed)
        m_notices.punchNotRecorded(terminal ? terminal->address : QString(), id, result.error);
    Q_EMIT punchHandled(index, id, result.outcome);
    answered(index);
}

void TerminalListener::answerHours(qint64 index)
{
    Connection* terminal = connection(index);
    if (terminal && terminal->socket->state() == QAbstractSocket::ConnectedState) {
        // The rules as they are now: a terminal connected before unknown ones were refused asks in vain.
        readRules();
        const bool mayAsk = m_rules.acceptUnknown || terminal->encrypted ||
                            m_rules.allowed.contains(terminal->socket->peerAddress());
        QByteArray reply = Protocol::toWire(Protocol::kNotFound);
        if (mayAsk) {
            // Hours that cannot be read now are an empty answer: the terminal shows none this time.
            QString error;
            const std::optional<Pay::WorkedToNow> worked =
                terminal->lastPunched.isEmpty() ? std::nullopt : Pay::workedToNow(terminal->lastPunched, now(), &error);
            reply = worked ? Protocol::hoursToWire(worked->todayMinutes, worked->weekMinutes)
                           : Protocol::toWire(Protocol::kHours) + '\n';
        }
        terminal->socket->write(reply);
        terminal->socket->flush();
    }
    answered(index);
}

void TerminalListener::answered(qint64 index)
{
    // Once all its punches are answered the terminal may be read again; what it sent meanwhile is waiting.
    Connection* terminal = connection(index);
    if (terminal && terminal->punchesWaiting > 0 && --terminal->punchesWaiting == 0 &&
        terminal->socket->bytesAvailable() > 0)
        receive(index);
}

void TerminalListener::finish()
{
    constexpr int kHandOverMs = 2000;
    m_retry->stop();
    m_resumeAccepting->stop();
    delete m_acceptor;
    m_acceptor = nullptr;
    m_server->close();
    // Connections that are not terminals yet have sent nothing that counts.
    for (auto& [index, arriving] : m_arriving) {
        delete arriving.readable;
        delete arriving.silent;
        ::close(arriving.descriptor);
        m_notices.clientClosed(index);
    }
    m_arriving.clear();
    std::vector<qint64> unserved;
    for (const auto& [index, terminal] : m_connections) {
        if (!terminal.served)
            unserved.push_back(index);
    }
    for (const qint64 index : unserved)
        refuseConnection(index, QStringLiteral("the service stopped during the encrypted connection's set-up"));

    // What has arrived from each terminal counts, whether or not it was read yet, the text without a line
    // end included. Reading may find a terminal gone, which closes (and forgets) its connection, so the
    // indexes are taken first.
    const auto takeEverything = [this](bool fromTheSystem) {
        std::vector<qint64> indexes;
        for (const auto& [index, terminal] : m_connections)
            indexes.push_back(index);
        for (const qint64 index : indexes) {
            if (Connection* terminal = connection(index); terminal && fromTheSystem)
                terminal->socket->waitForReadyRead(0);
            if (Connection* terminal = connection(index)) {
                for (Protocol::IdSplitter::Id& id : terminal->splitter.feed(terminal->socket->readAll()))
                    enqueue(index, std::move(id));
                if (auto id = terminal->splitter.takeHeld())
                    enqueue(index, std::move(*id));
            }
        }
    };
    takeEverything(true);
    // Punching a group reads its terminals again, which may complete more of what they sent. Punches held up
    // by another program's lock get until the hand-over time to be stored.
    QDeadlineTimer handOver(kHandOverMs);
    while (!m_received.empty() || (m_punches->waiting() > 0 && !handOver.hasExpired())) {
        punchReceived();
        m_punches->process();
        m_punches->settle(handOver);
        takeEverything(false);
        if (m_received.empty() && m_punches->waiting() > 0) // held up by another program's lock
            QThread::msleep(PunchQueue::kRetryMs);
    }

    for (auto& [index, terminal] : m_connections) {
        while (terminal.socket->bytesToWrite() > 0 && !handOver.hasExpired() &&
               terminal.socket->waitForBytesWritten(int(handOver.remainingTime()))) {
        }
    }
    // The answers are with the system now, which still sends them after the sockets close.
    for (auto& [index, terminal] : m_connections) {
        terminal.socket->disconnect(this);
        terminal.socket->abort();
        terminal.socket->deleteLater();
        m_notices.clientClosed(index);
    }
    m_connections.clear();
}

void TerminalListener::socketError(qint64 index, QAbstractSocket::SocketError error)
{
    Connection* terminal = connection(index);
    if (!terminal)
        return;
    if (!terminal->served) {
        // A wrong site key or a connection that is not a terminal at all: refused, not an error of the server.
        refuseConnection(index, QStringLiteral("the encrypted connection failed (a wrong site key?): ") +
                                    terminal->socket->errorString());
        return;
    }
    // A terminal that goes away is a close, not an error worth a notice.
    if (error != QAbstractSocket::RemoteHostClosedError)
        m_notices.socketError(SocketErrors::systemNumber(error, terminal->socket->errorString()),
                              terminal->socket->errorString());
    closeSocket(index);
}

void TerminalListener::closeSocket(qint64 index)
{
    const auto it = m_connections.find(index);
    if (it == m_connections.end())
        return;
    Connection& terminal = it->second;
    if (!terminal.served) {
        refuseConnection(index, QStringLiteral("the terminal left during the encrypted connection's set-up"));
        return;
    }
    // What the terminal sent before it left still counts, the text without a line end included.
    for (Protocol::IdSplitter::Id& id : terminal.splitter.feed(terminal.socket->readAll()))
        enqueue(index, std::move(id));
    if (auto id = terminal.splitter.takeHeld())
        enqueue(index, std::move(*id));
    QTcpSocket* socket = terminal.socket;
    m_connections.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    m_notices.clientClosed(index);
    Q_EMIT socketClosed(index);
}

QTcpSocket* TerminalListener::socket(qint64 index) const
{
    const auto it = m_connections.find(index);
    return it == m_connections.end() ? nullptr : it->second.socket;
}

QList<TerminalListener::ConnectedTerminal> TerminalListener::connectedTerminals() const
{
    QList<ConnectedTerminal> terminals;
    for (const auto& [index, terminal] : m_connections) {
        if (terminal.served && terminal.socket->state() == QAbstractSocket::ConnectedState)
            terminals.append({index, terminal.address, terminal.encrypted, terminal.allowed});
    }
    return terminals;
}

QList<qint64> TerminalListener::connectedIndexes() const
{
    QList<qint64> indexes;
    for (const ConnectedTerminal& terminal : connectedTerminals())
        indexes.append(terminal.index);
    return indexes;
}

QStringList TerminalListener::connectedAddresses() const
{
    QStringList addresses;
    for (const ConnectedTerminal& terminal : connectedTerminals())
        addresses.append(terminal.address);
    return addresses;
}

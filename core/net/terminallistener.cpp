#include "core/net/terminallistener.h"

#include "core/clock.h"
#include "core/net/sitekey.h"
#include "core/net/socketerrors.h"
#include "core/net/terminalnotices.h"
#include "core/payroll/hourstonow.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
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
    // Changes made by another program on the same database are found by reading the rules again; this
    // program's own changes are told at once.
    m_rulesCheck = new QTimer(this);
    m_rulesCheck->setInterval(kRulesCheckMs);
    connect(m_rulesCheck, &QTimer::timeout, this, [this] {
        if (!m_connections.empty() || !m_arriving.empty())
            readRules();
    });
    connect(&TerminalAccess::changes(), &TerminalAccess::Changes::changed, this, [this] {
        if (m_server->isListening() || !m_connections.empty())
            readRules();
    });
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
        readRules();
        m_rulesCheck->start();
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
    // When they cannot be read the last ones read hold; before any were read, nobody is served.
    QString error;
    std::optional<TerminalAccess::Rules> rules = TerminalAccess::readRules(m_operator, &error);
    if (!rules) {
        m_rulesError = error;
        if (m_rulesCheck->interval() != kRulesRetryMs)
            m_rulesCheck->setInterval(kRulesRetryMs);
        tellAccessProblem(
            m_rulesRead ? QCoreApplication::translate("TerminalListener",
                                                      "The allowed terminals could not be read (%1); the rules read "
                                                      "before still hold.")
                              .arg(error)
                        : QCoreApplication::translate("TerminalListener",
                                                      "The allowed terminals could not be read (%1); no terminal is "
                                                      "served until they can be.")
                              .arg(error));
        return;
    }
    m_rulesError.clear();
    if (m_rulesCheck->interval() != kRulesCheckMs)
        m_rulesCheck->setInterval(kRulesCheckMs);
    QStringList unreadable = rules->allowed.unreadable();
    if (unreadable.size() > 5)
        unreadable = unreadable.mid(0, 5) << QStringLiteral("and %1 more").arg(unreadable.size() - 5);
    tellAccessProblem(
        unreadable.isEmpty()
            ? QString()
            : QCoreApplication::translate("TerminalListener",
                                          "Allowed terminals that cannot be read let no terminal in: %1. Remove them "
                                          "in the Allowed Terminals window and add the addresses again.")
                  .arg(unreadable.join(QStringLiteral(", "))));
    const bool changed = !m_rulesRead || !(*rules == m_rules);
    m_rules = std::move(*rules);
    m_rulesRead = true;
    if (changed)
        recheck();
}

void TerminalListener::tellAccessProblem(const QString& problem)
{
    if (problem == m_accessProblem)
        return;
    m_accessProblem = problem;
    m_notices.accessProblem(problem);
    Q_EMIT accessProblem(problem);
}

void TerminalListener::recheck()
{
    std::vector<qint64> outside;
    for (auto& [index, arriving] : m_arriving) {
        arriving.allowed = m_rules.allowed.contains(arriving.peer);
        if (!arriving.allowed && !m_rules.acceptUnknown)
            outside.push_back(index);
    }
    for (const qint64 index : outside) {
        refuse(m_arriving.at(index).address, QStringLiteral("no longer an allowed terminal"));
        dropArriving(index);
    }
    std::vector<std::pair<qint64, QString>> closing;
    for (auto& [index, terminal] : m_connections) {
        terminal.allowed = m_rules.allowed.contains(terminal.peer);
        if (const QString why = noLongerAllowed(terminal); !why.isEmpty() && terminal.revoked.isEmpty())
            closing.emplace_back(index, why);
    }
    for (const auto& [index, why] : closing)
        revoke(index, why);
}

QString TerminalListener::noLongerAllowed(const Connection& terminal) const
{
    if (!terminal.allowed && !m_rules.acceptUnknown)
        return QStringLiteral("no longer an allowed terminal");
    if (!terminal.encrypted && !m_rules.acceptPlain)
        return QStringLiteral("connected without encryption, and plain terminals are no longer accepted");
    if (terminal.encrypted && terminal.key != m_rules.siteKey)
        return QStringLiteral("connected with a site key that is no longer accepted");
    return QString();
}

void TerminalListener::revoke(qint64 index, const QString& reason)
{
    Connection* terminal = connection(index);
    if (!terminal)
        return;
    // The punches it sent before the change are still stored and answered; nothing it sends after is read.
    if (!terminal->served || terminal->punchesWaiting == 0) {
        refuseConnection(index, reason);
        return;
    }
    terminal->revoked = reason;
    if (terminal->quiet)
        terminal->quiet->stop();
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
        arriving.peer = from;
        arriving.address = dottedAddress(from);
        if (!m_rulesRead) {
            ::close(descriptor);
            refuse(arriving.address, QStringLiteral("the allowed terminals could not be read: ") + m_rulesError);
            continue;
        }
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
    dropArriving(index);
}

void TerminalListener::dropArriving(qint64 index)
{
    const auto it = m_arriving.find(index);
    if (it == m_arriving.end())
        return;
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
    // The key is taken only from a terminal that names itself as one of ours; under another identity the
    // handshake fails.
    connect(socket, &QSslSocket::preSharedKeyAuthenticationRequired, this,
            [this, index, key = m_rules.siteKey](QSslPreSharedKeyAuthenticator* authenticator) {
                if (authenticator->identity() == SiteKey::kIdentity)
                    authenticator->setPreSharedKey(key);
                else if (Connection* terminal = connection(index))
                    terminal->wrongIdentity = QString::fromLatin1(authenticator->identity().left(64));
            });
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
    added.peer = arriving.peer;
    added.allowed = arriving.allowed;
    added.encrypted = encrypted;
    if (encrypted)
        added.key = m_rules.siteKey;
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
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the reason may be the connection's own, erased next
    const QString why = reason;
    m_connections.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    refuse(address, why);
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
    if (!terminal || !terminal->served || !terminal->revoked.isEmpty())
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
    Connection* terminal = connection(index);
    if (!terminal || !terminal->revoked.isEmpty())
        return;
    // Quiet is the terminal sending nothing more, not this side not reading it: while its punches are still
    // being stored, what it sent since waits unread and may be the rest of the held text, so look again later.
    if (terminal->punchesWaiting > 0 || terminal->socket->bytesAvailable() > 0) {
        terminal->quiet->start();
        return;
    }
    if (auto id = terminal->splitter.takeHeld())
        enqueue(index, std::move(*id));
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
            m_punches->answerInTurn(PunchResult{},
                                    [this, index = received.index](const PunchResult&) { answerHours(index); });
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
        reply && terminal && terminal->socket->state() == QAbstractSocket::ConnectedState)
        send(*terminal, Protocol::toWire(*reply));
    if (terminal &&
        (result.outcome == PunchResult::Outcome::SignedIn || result.outcome == PunchResult::Outcome::SignedOut))
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
        // The rules as they are now: a terminal connected before unknown ones were refused asks in vain (and is
        // closed once answered). Its punches waiting keep its connection through the reading.
        readRules();
        terminal = connection(index);
        const bool mayAsk = terminal->revoked.isEmpty() &&
                            (m_rules.acceptUnknown || terminal->encrypted || m_rules.allowed.contains(terminal->peer));
        QByteArray reply = Protocol::toWire(Protocol::kNotFound);
        if (mayAsk) {
            // Hours that cannot be read now are an empty answer: the terminal shows none this time.
            QString error;
            const std::optional<Pay::WorkedToNow> worked =
                terminal->lastPunched.isEmpty() ? std::nullopt : Pay::workedToNow(terminal->lastPunched, now(), &error);
            reply = worked ? Protocol::hoursToWire(worked->todayMinutes, worked->weekMinutes)
                           : Protocol::toWire(Protocol::kHours) + '\n';
        }
        send(*terminal, reply);
    }
    answered(index);
}

void TerminalListener::send(Connection& terminal, const QByteArray& bytes)
{
    // A plain terminal with nothing queued takes its reply straight from here: the socket's own write would
    // copy it into its buffer and turn its write watch on and off again, waking the event loop twice a
    // punch. Whatever the system does not take at once is queued behind, in order, as before.
    qsizetype sent = 0;
    if (!qobject_cast<QSslSocket*>(terminal.socket) && terminal.socket->bytesToWrite() == 0 && terminal.socket->socketDescriptor() >= 0) {
        const ssize_t wrote = ::send(int(terminal.socket->socketDescriptor()), bytes.constData(), std::size_t(bytes.size()),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
        if (wrote > 0)
            sent = wrote;
        else if (wrote < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return; // the connection is going; the socket reports it as it reads
    }
    if (sent < bytes.size()) {
        terminal.socket->write(bytes.constData() + sent, bytes.size() - sent);
        terminal.socket->flush(); // now, not on the next turn of the event loop
    }
}

void TerminalListener::answered(qint64 index)
{
    // Once all its punches are answered the terminal may be read again; what it sent meanwhile is waiting.
    Connection* terminal = connection(index);
    if (!terminal || terminal->punchesWaiting == 0 || --terminal->punchesWaiting > 0)
        return;
    if (!terminal->revoked.isEmpty())
        refuseConnection(index, terminal->revoked);
    else if (terminal->socket->bytesAvailable() > 0)
        receive(index);
}

void TerminalListener::finish()
{
    constexpr int kHandOverMs = 2000;
    m_retry->stop();
    m_resumeAccepting->stop();
    m_rulesCheck->stop();
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
            if (Connection* terminal = connection(index); terminal && terminal->revoked.isEmpty()) {
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
        refuseConnection(index, !terminal->wrongIdentity
                                    ? QStringLiteral("the encrypted connection failed (a wrong site key?): ") +
                                          terminal->socket->errorString()
                                    : QStringLiteral("the encrypted connection named an unknown terminal (\"%1\")")
                                          .arg(*terminal->wrongIdentity));
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
    // What the terminal sent before it left still counts, the text without a line end included, unless the rules
    // no longer allowed it.
    if (terminal.revoked.isEmpty()) {
        for (Protocol::IdSplitter::Id& id : terminal.splitter.feed(terminal.socket->readAll()))
            enqueue(index, std::move(id));
        if (auto id = terminal.splitter.takeHeld())
            enqueue(index, std::move(*id));
    }
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

#include "core/net/terminallistener.h"

#include "core/net/terminalnotices.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QSocketNotifier>
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
}

TerminalListener::~TerminalListener()
{
    // The terminals go with the listener, without notices about them.
    for (auto& [index, connection] : m_connections)
        connection.socket->disconnect(this);
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
    reportListenFailure(int(m_server->serverError()), m_server->errorString());
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

void TerminalListener::acceptPending()
{
    for (int taken = 0; m_acceptor && taken < kAcceptsPerTurn; ++taken) {
        const int descriptor = ::accept4(int(m_server->socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
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
                    m_notices.acceptFailed(int(QAbstractSocket::SocketResourceError), qt_error_string(error));
                }
                m_resumeAccepting->start();
                return;
            }
            listenerError(int(QAbstractSocket::UnknownSocketError), qt_error_string(error));
            return;
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            ::close(descriptor);
            delete socket;
            continue;
        }
        m_acceptFailureTold = false;
        const qint64 index = ++m_counter;
        // Answers are a few bytes each and a terminal waits for them: send them at once.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(kReadBufferBytes);
        Connection& added = m_connections[index];
        added.socket = socket;
        added.address = dottedAddress(socket->peerAddress());
        connect(socket, &QTcpSocket::readyRead, this, [this, index] { receive(index); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, index, socket] {
            if (socket->bytesToWrite() <= kUnsentReplyBytes && socket->bytesAvailable() > 0)
                receive(index);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, index] { closeSocket(index); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, index](QAbstractSocket::SocketError error) { socketError(index, error); });
        const QString address = added.address;
        Q_EMIT accepted(index);

        // Waiting for the greeting does not hold up this handler: punches from this and other terminals are
        // served meanwhile, and only this connection's "CRA" waits.
        QPointer<QTcpSocket> guard(socket);
        m_notices.clientAccepted(index, address, [guard] {
            if (guard && guard->state() == QAbstractSocket::ConnectedState) {
                guard->write(Protocol::toWire(Protocol::kAccepted));
                guard->flush();
            }
        });
    }
}

TerminalListener::Connection* TerminalListener::connection(qint64 index)
{
    const auto it = m_connections.find(index);
    return it == m_connections.end() ? nullptr : &it->second;
}

void TerminalListener::receive(qint64 index)
{
    Connection* terminal = connection(index);
    if (!terminal)
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
    // Every ID that arrives in this turn of the event loop is punched in the next one.
    if (m_received.empty())
        QMetaObject::invokeMethod(this, &TerminalListener::punchReceived, Qt::QueuedConnection);
    if (Connection* terminal = connection(index))
        ++terminal->punchesWaiting;
    m_received.push_back({index, std::move(id)});
}

void TerminalListener::punchReceived()
{
    const std::vector<Received> batch = std::move(m_received);
    m_received.clear();
    if (batch.empty()) // finish() punched them already
        return;
    for (const Received& received : batch) {
        auto reply = [this, index = received.index, id = received.id.text](const PunchResult& result) {
            answer(index, id, result);
        };
        // A line too long to be anybody's ID is answered as an unknown one without asking the store.
        if (received.id.overlong)
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
    if (result.outcome == PunchResult::Outcome::StoreFailed)
        m_notices.punchNotRecorded(terminal ? terminal->address : QString(), id, result.error);
    Q_EMIT punchHandled(index, id, result.outcome);
    // Once all its punches are answered the terminal may be read again; what it sent meanwhile is waiting.
    terminal = connection(index);
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
        if (m_received.empty())
            QThread::msleep(PunchQueue::kRetryMs);
        punchReceived();
        m_punches->process();
        takeEverything(false);
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
    // A terminal that goes away is a close, not an error worth a notice.
    if (error != QAbstractSocket::RemoteHostClosedError)
        m_notices.socketError(int(error), terminal->socket->errorString());
    closeSocket(index);
}

void TerminalListener::closeSocket(qint64 index)
{
    const auto it = m_connections.find(index);
    if (it == m_connections.end())
        return;
    Connection& terminal = it->second;
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

QList<qint64> TerminalListener::connectedIndexes() const
{
    QList<qint64> indexes;
    for (const auto& [index, terminal] : m_connections) {
        if (terminal.socket->state() == QAbstractSocket::ConnectedState)
            indexes.append(index);
    }
    return indexes;
}

QStringList TerminalListener::connectedAddresses() const
{
    QStringList addresses;
    for (const auto& [index, terminal] : m_connections) {
        if (terminal.socket->state() == QAbstractSocket::ConnectedState)
            addresses.append(terminal.address);
    }
    return addresses;
}

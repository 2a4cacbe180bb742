#include "server/punch/terminallistener.h"

#include "core/protocol.h"
#include "widgets/dialogs.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int kDefaultRetryMs = 5000;

QString socketErrorText(int error, const QString& description)
{
    return QStringLiteral("Socket Error ") + QString::number(error) + QStringLiteral(": ") + description;
}

} // namespace

QString dottedAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

TerminalListener::TerminalListener(quint16 port, QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_punches(new PunchQueue(this)), m_retry(new QTimer(this)),
      m_port(port)
{
    m_retry->setObjectName(QStringLiteral("listenRetry"));
    m_retry->setInterval(kDefaultRetryMs);
    connect(m_retry, &QTimer::timeout, this, &TerminalListener::tryListen);
    connect(m_server, &QTcpServer::newConnection, this, &TerminalListener::acceptPending);
    connect(m_server, &QTcpServer::acceptError, this, &TerminalListener::listenerError);
}

TerminalListener::~TerminalListener() = default;

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
    if (m_server->listen(QHostAddress::Any, m_port)) {
        m_port = m_server->serverPort();
        m_retry->stop();
        m_failureShown = false;
        return;
    }
    reportListenFailure(int(m_server->serverError()), m_server->errorString());
    m_retry->start();
}

void TerminalListener::reportListenFailure(int error, const QString& description)
{
    // Shown once per outage; the retries that follow stay quiet so the operator is not buried in boxes.
    if (m_failureShown)
        return;
    m_failureShown = true;
    dialogs().notice(socketErrorText(error, description) + QStringLiteral("\nTerminals cannot connect until port ") +
                         QString::number(m_port) + QStringLiteral(" is free; the server keeps trying."),
                     QString(), Dialogs::Icon::None, {});
}

void TerminalListener::listenerError(QAbstractSocket::SocketError error)
{
    const QString description = m_server->errorString();
    m_server->close();
    reportListenFailure(int(error), description);
    m_retry->start();
}

void TerminalListener::acceptPending()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        const qint64 index = ++m_counter;
        socket->setParent(this);
        // Answers are a few bytes each and a terminal waits for them: send them at once.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_sockets.emplace(index, socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, index] { receive(index); });
        connect(socket, &QTcpSocket::disconnected, this, [this, index] { closeSocket(index); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, index](QAbstractSocket::SocketError error) { socketError(index, error); });
        Q_EMIT accepted(index);

        // The notice does not hold up this handler: punches from this and other terminals are served
        // while it waits, and only this connection's "CRA" waits for its dismissal.
        QPointer<QTcpSocket> guard(socket);
        dialogs().notice(QStringLiteral("Connected with ") + dottedAddress(socket->peerAddress()),
                         QStringLiteral("Client Accepted"), Dialogs::Icon::Information, [guard] {
                             if (guard && guard->state() == QAbstractSocket::ConnectedState) {
                                 guard->write(Protocol::toWire(Protocol::kAccepted));
                                 guard->flush();
                             }
                         });
    }
}

void TerminalListener::receive(qint64 index)
{
    QTcpSocket* terminal = socket(index);
    if (!terminal)
        return;
    // Every terminal whose ID arrived in this turn of the event loop is punched in the next one.
    if (m_received.empty())
        QMetaObject::invokeMethod(this, &TerminalListener::punchReceived, Qt::QueuedConnection);
    m_received.push_back({index, Protocol::fromWire(terminal->readAll())});
}

void TerminalListener::punchReceived()
{
    const std::vector<Received> batch = std::move(m_received);
    m_received.clear();
    for (const Received& received : batch) {
        m_punches->submit(received.id, [this, index = received.index, id = received.id](const PunchResult& result) {
            answer(index, id, result);
        });
    }
    m_punches->process();
}

void TerminalListener::answer(qint64 index, const QString& id, const PunchResult& result)
{
    // Answers go out only once the rows are stored, so an answer never claims an unrecorded punch.
    QTcpSocket* terminal = socket(index);
    if (const auto reply = Protocol::replyFor(result);
        reply && terminal && terminal->state() == QAbstractSocket::ConnectedState) {
        terminal->write(Protocol::toWire(*reply));
        terminal->flush(); // now, not on the next turn of the event loop
    }
    if (result.outcome == PunchResult::Outcome::StoreFailed) {
        const QString from = terminal ? dottedAddress(terminal->peerAddress()) : QStringLiteral("a terminal");
        dialogs().notice(
            QStringLiteral("A punch from the terminal at ") + from + QStringLiteral(" for ID \"") + id.left(40) +
                QStringLiteral("\" was not recorded, and the terminal was given no answer: ") + result.error,
            QStringLiteral("Punch Not Recorded"), Dialogs::Icon::Exclamation, {});
    }
    Q_EMIT punchHandled(index, id, result.outcome);
}

void TerminalListener::socketError(qint64 index, QAbstractSocket::SocketError error)
{
    QTcpSocket* terminal = socket(index);
    if (!terminal)
        return;
    // A terminal that goes away is a close, not an error worth a box.
    if (error != QAbstractSocket::RemoteHostClosedError) {
        dialogs().notice(socketErrorText(int(error), terminal->errorString()), QString(), Dialogs::Icon::None, {});
    }
    closeSocket(index);
}

void TerminalListener::closeSocket(qint64 index)
{
    const auto it = m_sockets.find(index);
    if (it == m_sockets.end())
        return;
    QTcpSocket* terminal = it->second;
    m_sockets.erase(it);
    terminal->disconnect(this);
    terminal->abort();
    terminal->deleteLater();
    Q_EMIT socketClosed(index);
}

QTcpSocket* TerminalListener::socket(qint64 index) const
{
    const auto it = m_sockets.find(index);
    return it == m_sockets.end() ? nullptr : it->second;
}

QList<qint64> TerminalListener::connectedIndexes() const
{
    QList<qint64> indexes;
    for (const auto& [index, terminal] : m_sockets) {
        if (terminal->state() == QAbstractSocket::ConnectedState)
            indexes.append(index);
    }
    return indexes;
}

QStringList TerminalListener::connectedAddresses() const
{
    QStringList addresses;
    for (const qint64 index : connectedIndexes())
        addresses.append(dottedAddress(socket(index)->peerAddress()));
    return addresses;
}

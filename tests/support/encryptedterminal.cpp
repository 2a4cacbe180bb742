#include "tests/support/encryptedterminal.h"

#include "core/net/sitekey.h"

#include <QSslPreSharedKeyAuthenticator>

EncryptedTerminal::EncryptedTerminal(quint16 port, const QByteArray& siteKey, const QByteArray& identity)
{
    socket.setSslConfiguration(SiteKey::clientConfiguration());
    QObject::connect(&socket, &QSslSocket::preSharedKeyAuthenticationRequired,
                     [siteKey, identity](QSslPreSharedKeyAuthenticator* authenticator) {
                         authenticator->setIdentity(identity.isNull() ? SiteKey::kIdentity : identity);
                         authenticator->setPreSharedKey(siteKey);
                     });
    QObject::connect(&socket, &QSslSocket::readyRead, [this] { received += socket.readAll(); });
    QObject::connect(&socket, &QSslSocket::errorOccurred, [this](QAbstractSocket::SocketError e) { error = e; });
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
}

void EncryptedTerminal::send(const QByteArray& bytes)
{
    socket.write(bytes);
    socket.flush();
}

RecordingRelay::RecordingRelay(quint16 serverPort) : m_serverPort(serverPort)
{
    m_listener.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_listener, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* terminal = m_listener.nextPendingConnection()) {
            auto server = std::make_unique<QTcpSocket>();
            QTcpSocket* toServer = server.get();
            const auto pass = [this](QTcpSocket* from, QTcpSocket* to) {
                const QByteArray bytes = from->readAll();
                seen += bytes;
                to->write(bytes);
            };
            QObject::connect(terminal, &QTcpSocket::readyRead, [=] {
                if (toServer->state() == QAbstractSocket::ConnectedState)
                    pass(terminal, toServer);
            });
            QObject::connect(toServer, &QTcpSocket::readyRead, [=] { pass(toServer, terminal); });
            QObject::connect(toServer, &QTcpSocket::disconnected, terminal, &QTcpSocket::disconnectFromHost);
            // What the terminal sends before the server side is connected waits in the socket's buffer.
            QObject::connect(toServer, &QTcpSocket::connected, [=] { pass(terminal, toServer); });
            toServer->connectToHost(QHostAddress::LocalHost, m_serverPort);
            m_sockets.push_back(std::unique_ptr<QTcpSocket>(terminal));
            m_sockets.push_back(std::move(server));
        }
    });
}

#pragma once

#include <QByteArray>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <vector>

// A terminal that connects with a site key, as qorvil-client does once it has one: it collects every byte the
// server sends, decrypted, and the error that ended the connection, if any.
class EncryptedTerminal
{
public:
    // `identity` is what it calls itself in the handshake; Qorvil's terminals say SiteKey::kIdentity.
    EncryptedTerminal(quint16 port, const QByteArray& siteKey, const QByteArray& identity = QByteArray());

    void send(const QByteArray& bytes);

    QSslSocket socket;
    QByteArray received;
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError; // until one happens
};

// Stands between terminals and a server on 127.0.0.1 and keeps a copy of every byte that passes either way,
// as a capture of the network would.
class RecordingRelay
{
public:
    explicit RecordingRelay(quint16 serverPort);

    quint16 port() const { return m_listener.serverPort(); }
    QByteArray seen; // both directions, in the order they passed

private:
    QTcpServer m_listener;
    quint16 m_serverPort;
    std::vector<std::unique_ptr<QTcpSocket>> m_sockets;
};

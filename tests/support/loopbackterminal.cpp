#include "tests/support/loopbackterminal.h"

#include <QFile>
#include <QHostAddress>

LoopbackTerminal::LoopbackTerminal(quint16 port, const QString& from)
{
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
    if (!from.isEmpty())
        socket.bind(QHostAddress(from));
    socket.connectToHost(QHostAddress::LocalHost, port);
}

void LoopbackTerminal::send(const QByteArray& bytes)
{
    socket.write(bytes);
    socket.flush();
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

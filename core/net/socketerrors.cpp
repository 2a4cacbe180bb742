#include "core/net/socketerrors.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

namespace SocketErrors {

int systemNumber(QAbstractSocket::SocketError error, const QString& description)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError:
        return ECONNRESET;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketResourceError:
        return EMFILE;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EAFNOSUPPORT;
    case QAbstractSocket::NetworkError:
        // One error of the toolkit for several of the system; its description tells them apart.
        if (description.contains(QLatin1String("Host unreachable"), Qt::CaseInsensitive))
            return EHOSTUNREACH;
        if (description.contains(QLatin1String("timed out"), Qt::CaseInsensitive))
            return ETIMEDOUT;
        return ENETUNREACH;
    default:
        return 0;
    }
}

QString text(int systemNumber, const QString& description)
{
    if (systemNumber <= 0)
        return QCoreApplication::translate("SocketErrors", "Socket Error: %1").arg(description);
    return QCoreApplication::translate("SocketErrors", "Socket Error %1: %2")
        .arg(systemNumber)
        .arg(QString::fromLocal8Bit(std::strerror(systemNumber)));
}

} // namespace SocketErrors

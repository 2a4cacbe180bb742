#pragma once

#include <QAbstractSocket>
#include <QString>

// Socket errors as the operating system numbers and words them ("Socket Error 98: Address already in use"),
// which is what a network administrator can look up; the toolkit's own codes mean nothing outside it.
namespace SocketErrors {

// The system's error number behind a toolkit error, or 0 when there is none (a name the resolver does not
// know, a handshake that failed).
int systemNumber(QAbstractSocket::SocketError error, const QString& description);

// "Socket Error N: TEXT" for a system error number, with the system's text; "Socket Error: DESCRIPTION" for 0.
QString text(int systemNumber, const QString& description);

} // namespace SocketErrors

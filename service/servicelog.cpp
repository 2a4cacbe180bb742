#include "service/servicelog.h"

#include "core/net/socketerrors.h"

#include <cstdio>

namespace ServiceLog {

void write(Priority priority, const QString& text)
{
    QString line = QLatin1Char('<') + QString::number(int(priority)) + QLatin1Char('>');
    line.reserve(line.size() + text.size() + 1);
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            line += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    line += QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace ServiceLog

using ServiceLog::Priority;

void LogNotices::clientAccepted(qint64 index, const QString& address, std::function<void()> greet)
{
    greet();
    ServiceLog::write(Priority::Info,
                      QStringLiteral("Connected with %1 (connection %2); client accepted").arg(address).arg(index));
}

void LogNotices::allowedClientConnected(qint64 index, const QString& address, bool encrypted)
{
    ServiceLog::write(Priority::Info, QStringLiteral("Connected with %1 (connection %2); allowed terminal, %3")
                                          .arg(address)
                                          .arg(index)
                                          .arg(encrypted ? QStringLiteral("encrypted") : QStringLiteral("plain")));
}

void LogNotices::terminalRefused(const QString& address, const QString& reason)
{
    ServiceLog::write(Priority::Warning, QStringLiteral("Refused the connection from %1: %2").arg(address, reason));
}

void LogNotices::clientClosed(qint64) {}

void LogNotices::listenFailed(quint16 port, int error, const QString& description)
{
    ServiceLog::write(Priority::Error, SocketErrors::text(error, description) +
                                           QStringLiteral(". Terminals cannot connect until port %1 is free; the "
                                                          "service keeps trying.")
                                               .arg(port));
}

void LogNotices::acceptFailed(int error, const QString& description)
{
    ServiceLog::write(Priority::Error,
                      SocketErrors::text(error, description) +
                          QStringLiteral(". New terminals are not accepted until it passes; connected terminals are "
                                         "still served."));
}

void LogNotices::socketError(int error, const QString& description)
{
    ServiceLog::write(Priority::Warning, SocketErrors::text(error, description));
}

void LogNotices::punchNotRecorded(const QString& address, const QString& id, const QString& error)
{
    ServiceLog::write(
        Priority::Error,
        QStringLiteral("A punch from the terminal at %1 for ID \"%2\" was not recorded, and the "
                       "terminal was given no answer: %3")
            .arg(address.isEmpty() ? QStringLiteral("a terminal that has gone") : address, id.left(40), error));
}

void LogNotices::accessProblem(const QString& problem)
{
    if (problem.isEmpty())
        ServiceLog::write(Priority::Notice, QStringLiteral("The allowed terminals are read in full again"));
    else
        ServiceLog::write(Priority::Warning, problem);
}

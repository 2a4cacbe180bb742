#pragma once

#include "core/net/terminalnotices.h"

#include <QString>

// The service's log: one line on standard error per event, "<N>text" with the priority N of sd-daemon(3), so
// the journal keeps each line's priority.
namespace ServiceLog {

enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

// Control characters (line ends among them) are written as \xNN: text from a terminal cannot start a line
// of its own.
void write(Priority priority, const QString& text);

} // namespace ServiceLog

// What the desktop server shows in boxes, as log lines. Nobody is there to see a notice, so a terminal is
// greeted at once.
class LogNotices : public TerminalNotices
{
public:
    void clientAccepted(qint64 index, const QString& address, std::function<void()> greet) override;
    void allowedClientConnected(qint64 index, const QString& address, bool encrypted) override;
    void terminalRefused(const QString& address, const QString& reason) override;
    void clientClosed(qint64 index) override;
    void listenFailed(quint16 port, int error, const QString& description) override;
    void acceptFailed(int error, const QString& description) override;
    void socketError(int error, const QString& description) override;
    void punchNotRecorded(const QString& address, const QString& id, const QString& error) override;
    void accessProblem(const QString& problem) override;
};

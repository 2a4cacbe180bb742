#pragma once

#include <QString>
#include <functional>

// What the terminal listener has to tell the people who run the server. The desktop server shows boxes; a
// program without a display can write log lines instead. Called on the listener's thread.
class TerminalNotices
{
public:
    virtual ~TerminalNotices() = default;

    // A terminal that is not in the allowed list connected from `address` on connection `index`, and unknown
    // terminals are accepted. The terminal is greeted ("CRA") when `greet` runs, which may be at once or once
    // someone has seen the notice; it does nothing once the connection is gone.
    virtual void clientAccepted(qint64 index, const QString& address, std::function<void()> greet) = 0;
    // An allowed terminal connected; it has been greeted already.
    virtual void allowedClientConnected(qint64 /*index*/, const QString& /*address*/, bool /*encrypted*/) {}
    // A connection from `address` was closed without an answer: not an allowed terminal while unknown ones are
    // refused, a plain one while only encrypted ones are taken, or a failed encryption (a wrong site key).
    virtual void terminalRefused(const QString& address, const QString& reason) = 0;
    // Connection `index` ended: a notice about it that nobody has seen yet can be dropped.
    virtual void clientClosed(qint64 index) = 0;
    // `error` in these is the system's error number (errno), 0 when the failure has none; SocketErrors::text
    // words it.
    // The port could not be listened on. Raised once; the listener retries quietly until it succeeds.
    virtual void listenFailed(quint16 port, int error, const QString& description) = 0;
    // New terminals could not be accepted (the process ran out of descriptors). Raised once; connected terminals
    // are still served, and accepting resumes by itself when it can.
    virtual void acceptFailed(int error, const QString& description) = 0;
    // A terminal's connection failed; it has been closed.
    virtual void socketError(int error, const QString& description) = 0;
    // What keeps terminals out that the operator may not know of: the rules could not be read (no terminal is
    // served until they can be, the last ones read hold otherwise), or allowed entries that cannot be read (they
    // let nobody in). Raised when it changes; empty once it is mended.
    virtual void accessProblem(const QString& /*problem*/) {}
    // A terminal's punch was not stored, and the terminal was given no answer. `address` is empty when the
    // terminal had already gone.
    virtual void punchNotRecorded(const QString& address, const QString& id, const QString& error) = 0;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

// A terminal as the server sees one: a socket on 127.0.0.1 that collects every byte the server sends.
class LoopbackTerminal
{
public:
    // `from` binds the socket to another loopback address first, so terminals can differ by address.
    explicit LoopbackTerminal(quint16 port, const QString& from = QString());

    bool connected(int waitMs = 5000) { return socket.waitForConnected(waitMs); }
    void send(const QByteArray& bytes);

    QTcpSocket socket;
    QByteArray received;
};

// This process's resident memory in KiB, from /proc/self/status.
qint64 residentKiB();

// Checks that resident memory grew by less than `limitKiB`. Only in plain builds: the address sanitizer's
// shadow memory and its quarantine of freed blocks inflate the figure.
#if defined(__SANITIZE_ADDRESS__)
#define VERIFY_MEMORY_GROWTH(grownKiB, limitKiB) static_cast<void>(grownKiB)
#else
#define VERIFY_MEMORY_GROWTH(grownKiB, limitKiB)                                                                \
    QVERIFY2((grownKiB) < qint64(limitKiB), qPrintable(QString::number(grownKiB)))
#endif

// How much longer a time limit that guards against a stall allows in the sanitizer build, where every
// allocation and memory access is checked.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSanitizerSlowdown = 4;
#else
constexpr int kSanitizerSlowdown = 1;
#endif

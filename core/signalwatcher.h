#pragma once

#include <QObject>
#include <initializer_list>

class QSocketNotifier;

// Turns POSIX signals into a Qt signal on the event loop. The handler only writes the signal's number to a
// pipe (the one thing a handler may safely do); the loop reads it and emits `received`.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

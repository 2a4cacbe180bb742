#pragma once

#include "core/punch/punchrules.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <functional>

class QTimer;

// Terminal punches on their way to the store, in order of arrival. Punches handed over together are stored
// in one transaction, with one wait for the disk, and answered once it commits. The event loop never waits
// for another program's lock: while one is held, an ID whose punch would write nothing is answered at once,
// and the others wait in order, are tried again on a short timer and are answered as soon as they are
// stored. A punch counts at the time it arrived.
class PunchQueue : public QObject
{
    Q_OBJECT
public:
    using Reply = std::function<void(const PunchResult&)>;

    explicit PunchQueue(QObject* parent = nullptr);

    // Queues a punch; reply runs once with its result, never before the punch is stored.
    void submit(const QString& id, Reply reply);
    // An answer that needs no store, given in its place among the punches.
    void answerInTurn(const PunchResult& result, Reply reply);
    // Stores what is queued; the caller hands over a group and then processes it, so the group shares one
    // transaction without another turn of the event loop.
    void process();

    // Punches held up by another program's lock.
    int waiting() const { return int(m_entries.size()); }

    // How often a held-up punch is tried again, and how long it may wait before it is given up as not
    // recorded.
    static constexpr int kRetryMs = 25;
    static constexpr int kGiveUpMs = 90000;

Q_SIGNALS:
    // A group found the store locked by another program, and what writes waits.
    void heldUp();

private:
    struct Entry
    {
        Punch::TerminalPunch punch;
        Reply reply;
        QElapsedTimer since;
        std::optional<PunchResult> settled; // known without the store
        bool lookedUp = false;              // read while the lock was held: it writes
    };

    void append(Entry entry);
    void answerFront(const PunchResult& result);
    void holdUp();

    std::deque<Entry> m_entries;
    QTimer* m_retry;
};

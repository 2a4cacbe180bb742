#pragma once

#include "core/punch/punchrules.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

class QThread;
class QTimer;

// Terminal punches on their way to the store, in order of arrival. They are stored on a thread of their own,
// on a connection of their own, so that the event loop (the terminals' greeting, reading and encryption, and
// the windows) goes on while the database is slow, locked or out of reach. Punches handed over together are
// stored in one transaction, with one wait for the disk, and answered once it commits; those that arrive
// meanwhile go as the next group when it is back. While another program holds the lock, an ID whose punch
// would write nothing is answered at once, and the others wait in order, are tried again on a short timer
// and are answered as soon as they are stored. A punch counts at the time it arrived.
class PunchQueue : public QObject
{
    Q_OBJECT
public:
    using Reply = std::function<void(const PunchResult&)>;

    explicit PunchQueue(QObject* parent = nullptr);
    ~PunchQueue() override;

    // Queues a punch; reply runs once with its result, never before the punch is stored.
    void submit(const QString& id, Reply reply);
    // An answer that needs no store, given in its place among the punches.
    void answerInTurn(const PunchResult& result, Reply reply);
    // Hands what is queued to the store thread as one group, unless a group is there already (then it goes
    // when that one is back).
    void process();
    // Waits, up to the deadline, for the group with the store thread and answers it (a listener that stops).
    void settle(QDeadlineTimer deadline);

    // Punches not answered yet: with the store, or held up by another program's lock.
    int waiting() const { return int(m_entries.size()); }

    // Runs the function on the store thread with the punches' connection and waits for it (tests put faults
    // on that connection).
    void onStoreConnection(const std::function<void(const QSqlDatabase&)>& function);

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
        bool withStore = false;             // in the group the store thread has
    };
    // What the store thread made of a group: the results of the punches stored, in order; for those held up,
    // what they come to without writing, where that was asked and known.
    struct Returned
    {
        std::vector<PunchResult> results;
        std::vector<std::optional<PunchResult>> withoutWriting;
    };
    class Store;

    void append(Entry entry);
    void answerFront(const PunchResult& result); // never one the front entry holds: see answerSettledFront
    void answerSettledFront();
    void deliver();
    void holdUp(const std::vector<std::optional<PunchResult>>& withoutWriting);

    std::deque<Entry> m_entries;
    QTimer* m_retry;
    QThread* m_thread;
    Store* m_store;
    bool m_inFlight = false;
    std::mutex m_lock;
    std::condition_variable m_back;
    std::optional<Returned> m_returned; // under m_lock
};

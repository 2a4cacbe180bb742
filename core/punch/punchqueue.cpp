#include "core/punch/punchqueue.h"

#include "core/clock.h"
#include "core/store/database.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <malloc.h>

// Lives on the store thread: the punches' connection, opened there at the first group, and opened again when
// the program's database was opened anew.
class PunchQueue::Store : public QObject
{
public:
    explicit Store(QString name) : m_name(std::move(name)) {}

    QSqlDatabase connection(const std::optional<Database::Opening>& opened, QString* why)
    {
        if (!opened) {
            close();
            *why = QCoreApplication::translate("Punch", "The database is not open.");
            return {};
        }
        if (!m_generation || *m_generation != opened->generation || !m_db.isOpen()) {
            close();
            m_db = Database::openOwn(m_name, *opened, why);
            if (!m_db.isValid())
                return {};
            m_generation = opened->generation;
        }
        return m_db;
    }

    void close()
    {
        m_db = QSqlDatabase();
        m_generation.reset();
        Database::closeOwn(m_name);
    }

    Returned store(const std::vector<Punch::TerminalPunch>& punches, const std::vector<bool>& lookUp,
                   const std::optional<Database::Opening>& opened)
    {
        Returned returned;
        QString why;
        const QSqlDatabase db = connection(opened, &why);
        if (!db.isValid()) {
            PunchResult failed;
            failed.outcome = PunchResult::Outcome::StoreFailed;
            failed.error = why;
            returned.results.assign(punches.size(), failed);
            return returned;
        }
        returned.results = Punch::recordBatchFromTerminals(punches, db);
        for (std::size_t i = returned.results.size(); i < punches.size(); ++i)
            returned.withoutWriting.push_back(lookUp[i] ? Punch::resultWithoutWriting(punches[i], db) : std::nullopt);
        return returned;
    }

private:
    QString m_name;
    QSqlDatabase m_db;
    std::optional<quint64> m_generation;
};

PunchQueue::PunchQueue(QObject* parent)
    : QObject(parent), m_retry(new QTimer(this)), m_thread(new QThread),
      m_store(new Store(QStringLiteral("punches-%1").arg(quintptr(this), 0, 16)))
{
    // Memory freed after a group stays with the process for the next one, instead of going back to the system
    // and coming back zeroed (a page fault per page, and the store thread's heap grown and shrunk each time).
    static const bool kept = [] {
        mallopt(M_TRIM_THRESHOLD, 32 << 20);
        mallopt(M_TOP_PAD, 4 << 20);
        return true;
    }();
    Q_UNUSED(kept);
    m_retry->setSingleShot(true);
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &PunchQueue::process);
    m_thread->setObjectName(QStringLiteral("punch store"));
    m_store->moveToThread(m_thread);
    // The connection is closed on the thread that used it, before the thread ends.
    connect(
        m_thread, &QThread::finished, m_store, [store = m_store] { store->close(); }, Qt::DirectConnection);
    m_thread->start();
    // Opened now, while the database is surely where gConn found it.
    QMetaObject::invokeMethod(
        m_store,
        [store = m_store, opened = Database::opening()] {
            QString why;
            store->connection(opened, &why);
        },
        Qt::QueuedConnection);
}

PunchQueue::~PunchQueue()
{
    m_thread->quit();
    m_thread->wait();
    delete m_store;
    delete m_thread;
}

void PunchQueue::submit(const QString& id, Reply reply)
{
    append({{id, now()}, std::move(reply), {}, std::nullopt, false, false});
}

void PunchQueue::answerInTurn(const PunchResult& result, Reply reply)
{
    append({{}, std::move(reply), {}, result, false, false});
}

void PunchQueue::append(Entry entry)
{
    entry.since.start();
    m_entries.push_back(std::move(entry));
}

void PunchQueue::answerFront(const PunchResult& result)
{
    // Off the queue before the reply runs, which may hand over more punches.
    const Reply reply = std::move(m_entries.front().reply);
    m_entries.pop_front();
    if (reply)
        reply(result);
}

void PunchQueue::answerSettledFront()
{
    // The answer lives in the entry, which leaves the queue before its reply runs.
    Entry front = std::move(m_entries.front());
    m_entries.pop_front();
    if (front.reply)
        front.reply(*front.settled);
}

void PunchQueue::process()
{
    m_retry->stop();
    if (m_inFlight)
        return;
    // Answers that need no store go at once while nothing is before them.
    while (!m_entries.empty() && m_entries.front().settled)
        answerSettledFront();
    if (m_entries.empty())
        return;
    std::vector<Punch::TerminalPunch> punches;
    std::vector<bool> lookUp;
    punches.reserve(m_entries.size());
    lookUp.reserve(m_entries.size());
    for (Entry& entry : m_entries) {
        if (entry.settled)
            continue;
        punches.push_back(entry.punch);
        lookUp.push_back(!entry.lookedUp);
        entry.withStore = true;
    }
    m_inFlight = true;
    QMetaObject::invokeMethod(
        m_store,
        [this, store = m_store, punches = std::move(punches), lookUp = std::move(lookUp),
         opened = Database::opening()] {
            Returned returned = store->store(punches, lookUp, opened);
            {
                const std::lock_guard<std::mutex> locked(m_lock);
                m_returned = std::move(returned);
            }
            m_back.notify_all();
            QMetaObject::invokeMethod(this, &PunchQueue::deliver, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PunchQueue::settle(QDeadlineTimer deadline)
{
    if (!m_inFlight)
        return;
    {
        std::unique_lock<std::mutex> locked(m_lock);
        m_back.wait_for(locked, std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime())),
                        [this] { return m_returned.has_value(); });
    }
    deliver();
}

void PunchQueue::deliver()
{
    std::optional<Returned> returned;
    {
        const std::lock_guard<std::mutex> locked(m_lock);
        returned.swap(m_returned);
    }
    if (!returned) // answered already (settle), or not back yet
        return;
    m_inFlight = false;
    std::size_t next = 0;
    while (!m_entries.empty()) {
        Entry& front = m_entries.front();
        if (front.settled)
            answerSettledFront();
        else if (front.withStore && next < returned->results.size())
            answerFront(returned->results[next++]);
        else
            break;
    }
    if (!m_entries.empty() && m_entries.front().withStore)
        holdUp(returned->withoutWriting);
    else if (!m_entries.empty())
        process(); // what arrived while the group was with the store
}

void PunchQueue::holdUp(const std::vector<std::optional<PunchResult>>& withoutWriting)
{
    Q_EMIT heldUp();
    // What writes nothing needs no lock; what writes keeps its place behind those that came before it.
    std::vector<std::pair<Reply, PunchResult>> settled;
    std::size_t looked = 0;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (!entry->withStore) {
            ++entry;
            continue;
        }
        entry->withStore = false;
        std::optional<PunchResult> result = looked < withoutWriting.size() ? withoutWriting[looked] : std::nullopt;
        ++looked;
        if (!result) {
            entry->lookedUp = true;
            ++entry;
            continue;
        }
        settled.emplace_back(std::move(entry->reply), *result);
        entry = m_entries.erase(entry);
    }
    for (const auto& [reply, result] : settled) {
        if (reply)
            reply(result);
    }
    while (!m_entries.empty() && !m_entries.front().settled && m_entries.front().since.hasExpired(kGiveUpMs)) {
        PunchResult refused;
        refused.outcome = PunchResult::Outcome::StoreFailed;
        refused.error = QStringLiteral("Another program has kept the database locked for more than %1 seconds, so "
                                       "the punch was not recorded.")
                            .arg(kGiveUpMs / 1000);
        answerFront(refused);
    }
    if (!m_entries.empty())
        m_retry->start();
}

void PunchQueue::onStoreConnection(const std::function<void(const QSqlDatabase&)>& function)
{
    QMetaObject::invokeMethod(
        m_store,
        [store = m_store, &function, opened = Database::opening()] {
            QString why;
            function(store->connection(opened, &why));
        },
        Qt::BlockingQueuedConnection);
}

#include "core/punch/punchqueue.h"

#include "core/clock.h"

#include <QTimer>

PunchQueue::PunchQueue(QObject* parent) : QObject(parent), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &PunchQueue::process);
}

void PunchQueue::submit(const QString& id, Reply reply)
{
    append({{id, now()}, std::move(reply), {}, std::nullopt, false});
}

void PunchQueue::answerInTurn(const PunchResult& result, Reply reply)
{
    append({{}, std::move(reply), {}, result, false});
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

void PunchQueue::process()
{
    m_retry->stop();
    if (m_entries.empty())
        return;
    std::vector<Punch::TerminalPunch> punches;
    punches.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        if (!entry.settled)
            punches.push_back(entry.punch);
    }
    const std::vector<PunchResult> results = Punch::recordBatchFromTerminals(punches);
    std::size_t next = 0;
    while (!m_entries.empty()) {
        if (const std::optional<PunchResult> settled = m_entries.front().settled)
            answerFront(*settled);
        else if (next < results.size())
            answerFront(results[next++]);
        else
            break;
    }
    if (!m_entries.empty())
        holdUp();
}

void PunchQueue::holdUp()
{
    Q_EMIT heldUp();
    // What writes nothing needs no lock; what writes keeps its place behind those that came before it.
    std::vector<std::pair<Reply, PunchResult>> settled;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        std::optional<PunchResult> result = entry->settled;
        if (!result && !entry->lookedUp)
            result = Punch::resultWithoutWriting(entry->punch);
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
    while (!m_entries.empty() && m_entries.front().since.hasExpired(kGiveUpMs)) {
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

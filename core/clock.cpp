#include "core/clock.h"

#include <atomic>
#include <ctime>

namespace {

// The time zone's rules are read again at most this often, so that a change of the system's zone is followed
// without a look at the zone file for every punch. Daylight-saving changes need no new read: the rules loaded
// already hold them.
constexpr std::time_t kZoneRecheckSecs = 60;

class SystemClock final : public Clock
{
public:
    QDateTime now() const override
    {
        timespec at{};
        clock_gettime(CLOCK_REALTIME, &at);
        return systemTimeAt(qint64(at.tv_sec) * 1000 + at.tv_nsec / 1000000);
    }
};

const Clock* g_installed = nullptr;
std::atomic<std::time_t> g_zoneReadAt{0};

} // namespace

const Clock& Clock::get()
{
    static SystemClock system;
    return g_installed ? *g_installed : system;
}

void Clock::install(const Clock* clock)
{
    g_installed = clock;
}

QDateTime Clock::systemTimeAt(qint64 msecsSinceEpoch)
{
    const std::time_t seconds = std::time_t(msecsSinceEpoch >= 0 ? msecsSinceEpoch / 1000
                                                                 : (msecsSinceEpoch - 999) / 1000);
    std::timespec monotonic{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &monotonic);
    if (std::time_t read = g_zoneReadAt.load(std::memory_order_relaxed);
        read == 0 || monotonic.tv_sec - read >= kZoneRecheckSecs) {
        tzset();
        g_zoneReadAt.store(monotonic.tv_sec == 0 ? 1 : monotonic.tv_sec, std::memory_order_relaxed);
    }
    // localtime_r converts with the rules loaded by the last tzset() and, unlike localtime() and the toolkit's
    // local-time conversions, does not look at the zone file first.
    std::tm local{};
    localtime_r(&seconds, &local);
    const int msecs = int(msecsSinceEpoch - qint64(seconds) * 1000);
    return QDateTime(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                     QTime(local.tm_hour, local.tm_min, local.tm_sec, msecs), Qt::OffsetFromUTC,
                     int(local.tm_gmtoff));
}

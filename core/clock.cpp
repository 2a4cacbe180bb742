#include "core/clock.h"

namespace {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

const Clock* g_installed = nullptr;

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

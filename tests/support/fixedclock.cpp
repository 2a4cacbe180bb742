#include "tests/support/fixedclock.h"

FixedClock::FixedClock(const QDateTime& at) : m_now(at)
{
    Clock::install(this);
}

FixedClock::~FixedClock()
{
    Clock::install(nullptr);
}

#pragma once

#include "core/clock.h"

// A clock that stands still until a test moves it.
class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime& at = QDateTime(QDate(2026, 3, 2), QTime(8, 0, 0)));
    ~FixedClock() override;

    QDateTime now() const override { return m_now; }
    void set(const QDateTime& at) { m_now = at; }
    void advance(int seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

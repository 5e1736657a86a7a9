#pragma once

#include "core/device/CClock.h"

// Time that passes only when someone waits on it: every wait is free and
// exact, so tests can check how long the program would have waited.
class CManualClock : public CClock
{
public:
    qint64 NowMs() const override { return m_nNowMs; }

    void SleepMs(qint64 ms) override
    {
        if (ms > 0)
            m_nNowMs += ms;
        ++m_nSleeps;
        RunWaitHook();
    }

    int Sleeps() const { return m_nSleeps; }

private:
    qint64 m_nNowMs = 0;
    int m_nSleeps = 0;
};

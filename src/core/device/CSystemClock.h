#pragma once

#include "core/device/CClock.h"

#include <QElapsedTimer>

// Wall time. Sleeps are cut into slices short enough for the window to stay
// responsive through the wait hook.
class CSystemClock : public CClock
{
public:
    static constexpr qint64 kSliceMs = 10;

    CSystemClock();

    qint64 NowMs() const override;
    void SleepMs(qint64 ms) override;

private:
    QElapsedTimer m_timer;
};

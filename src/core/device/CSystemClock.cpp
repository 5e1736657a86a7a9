#include "core/device/CSystemClock.h"

#include <QThread>

CSystemClock::CSystemClock()
{
    m_timer.start();
}

qint64 CSystemClock::NowMs() const
{
    return m_timer.elapsed();
}

void CSystemClock::SleepMs(qint64 ms)
{
    const qint64 until = NowMs() + ms;
    for (qint64 now = NowMs(); now < until; now = NowMs()) {
        QThread::msleep(quint64(qMin(kSliceMs, until - now)));
        RunWaitHook();
    }
}

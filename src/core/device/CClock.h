#pragma once

#include <QtGlobal>

#include <functional>

// The one clock every wait of a serial exchange goes through. The real clock
// sleeps in short slices and calls the wait hook between them, so the window
// can keep painting while the box is slow; the test clock makes waits free.
class CClock
{
public:
    using WaitHook = std::function<void()>;

    virtual ~CClock() = default;

    // Milliseconds on a monotonic scale; only differences mean anything.
    virtual qint64 NowMs() const = 0;

    virtual void SleepMs(qint64 ms) = 0;

    void SleepUntilMs(qint64 whenMs)
    {
        const qint64 now = NowMs();
        if (whenMs > now)
            SleepMs(whenMs - now);
    }

    void SetWaitHook(WaitHook hook) { m_waitHook = std::move(hook); }

    // Called by everyone who waits on a device between short slices of waiting.
    void RunWaitHook() const
    {
        if (m_waitHook)
            m_waitHook();
    }

private:
    WaitHook m_waitHook;
};

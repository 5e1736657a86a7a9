#include "core/device/CSimulatorBackend.h"

#include "core/device/CClock.h"
#include "core/simulator/CSimulatedBox.h"

CSimulatorBackend::CSimulatorBackend(CSimulatedBox& box, CClock& clock)
    : m_rBox(box), m_rClock(clock)
{
}

CSimulatorBackend::~CSimulatorBackend()
{
    Close();
}

bool CSimulatorBackend::Open(const QString&)
{
    m_bOpen = !m_rBox.LineGone();
    return m_bOpen;
}

bool CSimulatorBackend::ApplyLineSettings(const CLineSettings&)
{
    return m_bOpen;
}

void CSimulatorBackend::SetTimeouts(const CTimeouts& timeouts)
{
    m_timeouts = timeouts;
}

qint64 CSimulatorBackend::Write(const QByteArray& bytes)
{
    if (!m_bOpen || m_rBox.LineGone())
        return 0;
    m_rBox.Deliver(bytes, m_rClock.NowMs());
    return bytes.size();
}

QByteArray CSimulatorBackend::Read(qsizetype maxBytes)
{
    QByteArray received;
    // A vanished device fails the read at once, as a real port does.
    if (!m_bOpen || m_rBox.LineGone())
        return received;
    const qint64 totalDeadline = m_rClock.NowMs() + m_timeouts.ReadTotalMs(maxBytes);
    qint64 lastArrival = -1;
    while (received.size() < maxBytes) {
        const qint64 limit = lastArrival < 0
                                 ? totalDeadline
                                 : qMin(totalDeadline, lastArrival + m_timeouts.readIntervalMs);
        const qint64 due = m_rBox.NextOutputMs();
        if (due < 0 || due > limit) {
            m_rClock.SleepUntilMs(limit);
            break;
        }
        m_rClock.SleepUntilMs(due);
        lastArrival = m_rClock.NowMs();
        received += m_rBox.TakeOutput(lastArrival, maxBytes - received.size());
    }
    return received;
}

void CSimulatorBackend::Close()
{
    if (!m_bOpen)
        return;
    m_bOpen = false;
    m_rBox.DiscardOutput();
}

#include "core/simulator/CSimulatedBox.h"

#include <algorithm>

void CSimulatedBox::Deliver(const QByteArray& bytes, qint64 nowMs)
{
    m_writes.append(bytes);
    OnReceive(bytes, nowMs);
}

qint64 CSimulatedBox::NextOutputMs() const
{
    return m_output.isEmpty() ? -1 : m_output.front().dueMs;
}

QByteArray CSimulatedBox::TakeOutput(qint64 nowMs, qsizetype maxBytes)
{
    QByteArray taken;
    while (!m_output.isEmpty() && m_output.front().dueMs <= nowMs && taken.size() < maxBytes) {
        Segment& front = m_output.front();
        const qsizetype count = qMin(front.bytes.size(), maxBytes - taken.size());
        taken += front.bytes.first(count);
        front.bytes.remove(0, count);
        if (front.bytes.isEmpty())
            m_output.removeFirst();
    }
    return taken;
}

void CSimulatedBox::DiscardOutput()
{
    m_output.clear();
}

void CSimulatedBox::Send(const QByteArray& bytes, qint64 dueMs)
{
    if (bytes.isEmpty())
        return;
    const auto after = std::upper_bound(m_output.begin(), m_output.end(), dueMs,
                                        [](qint64 due, const Segment& s) { return due < s.dueMs; });
    m_output.insert(after, Segment{dueMs, bytes});
}

void CSimulatedBox::DropLine()
{
    m_bLineGone = true;
    m_output.clear();
}

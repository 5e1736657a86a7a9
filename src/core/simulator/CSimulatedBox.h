#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QtGlobal>

// The box's end of a simulated serial line: bytes come in at a time, bytes
// go out at the times the box chooses. The simulated port reads the output
// under the same time-outs as a real line. Everything the box was sent is
// kept, so tests can check the bytes on the wire exactly.
class CSimulatedBox
{
public:
    virtual ~CSimulatedBox() = default;

    // The bytes of one write, arriving at nowMs.
    void Deliver(const QByteArray& bytes, qint64 nowMs);

    // When the next pending output byte reaches the line; -1 when none is pending.
    qint64 NextOutputMs() const;
    // Output due by nowMs, at most maxBytes; the rest stays pending.
    QByteArray TakeOutput(qint64 nowMs, qsizetype maxBytes);
    // A closed port receives nothing: what was under way is lost.
    void DiscardOutput();

    // Every write the box was sent, in order, and all of them as one stream.
    const QByteArrayList& Writes() const { return m_writes; }
    QByteArray Received() const { return m_writes.join(); }
    void ClearReceived() { m_writes.clear(); }

    // The line is gone for good (a pulled cable): ports on it fail at once.
    bool LineGone() const { return m_bLineGone; }

protected:
    virtual void OnReceive(const QByteArray& bytes, qint64 nowMs) = 0;
    void Send(const QByteArray& bytes, qint64 dueMs);
    // What was under way is lost with the line.
    void DropLine();

private:
    struct Segment {
        qint64 dueMs;
        QByteArray bytes;
    };

    QByteArrayList m_writes;
    QList<Segment> m_output;  // in due order
    bool m_bLineGone = false;
};

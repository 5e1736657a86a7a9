#pragma once

#include "core/simulator/CSimulatedBox.h"

#include <QList>

// A box that answers each write with the next scripted reply, for the cases
// no well-behaved box produces. A reply may come in timed pieces; once the
// script is used up, every write gets the fallback (silence by default).
class CScriptedBox : public CSimulatedBox
{
public:
    struct Piece {
        qint64 delayMs;  // after the write
        QByteArray bytes;
    };
    using Reply = QList<Piece>;

    void QueueReply(const QByteArray& bytes) { m_script.append(Reply{{0, bytes}}); }
    void QueueReply(const Reply& pieces) { m_script.append(pieces); }
    void QueueSilence() { m_script.append(Reply{}); }
    void SetFallback(const QByteArray& bytes)
    {
        m_fallback = bytes.isEmpty() ? Reply{} : Reply{{0, bytes}};
    }
    void SetFallback(const Reply& pieces) { m_fallback = pieces; }

protected:
    void OnReceive(const QByteArray& bytes, qint64 nowMs) override;

private:
    QList<Reply> m_script;
    Reply m_fallback;
};

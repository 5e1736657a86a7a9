#include "CScriptedBox.h"

void CScriptedBox::OnReceive(const QByteArray&, qint64 nowMs)
{
    const Reply reply = m_script.isEmpty() ? m_fallback : m_script.takeFirst();
    for (const Piece& piece : reply)
        Send(piece.bytes, nowMs + piece.delayMs);
}

#include "core/files/CRunLogIndex.h"

qint64 CRunLogIndex::ResumeOffset() const
{
    for (qsizetype i = m_arrEntries.size() - 1; i >= 0; --i) {
        const CRunLogEntry& entry = m_arrEntries[i];
        if (!entry.m_bTorn)
            return entry.m_nOffset + entry.m_nLength;
    }
    return 0;
}

void CRunLogIndex::TruncateAt(qint64 offset)
{
    while (!m_arrEntries.isEmpty() && m_arrEntries.constLast().m_nOffset >= offset)
        m_arrEntries.removeLast();
    while (!m_arrForeignText.isEmpty() && m_arrForeignText.constLast().m_nOffset >= offset)
        m_arrForeignText.removeLast();
    m_nIndexedBytes = qMin(m_nIndexedBytes, offset);
}

#include "core/files/CRunLogIndex.h"

namespace {

constexpr qint64 kStartLength = sizeof CRunLogIndex::kEntryStart - 1;
constexpr qint64 kEndLength = sizeof CRunLogIndex::kEntryEnd - 1;

// A piece of at least minLength bytes that begins where the last one ended
// and ends within the indexed bytes; written so that no sum can overflow.
bool TakePiece(qint64& at, qint64 offset, qint64 length, qint64 minLength, qint64 end)
{
    if (offset != at || length < minLength || length > end - at)
        return false;
    at += length;
    return true;
}

}  // namespace

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

bool CRunLogIndex::IsWellFormed(qint64 logBytes) const
{
    if (m_nIndexedBytes < 0 || m_nIndexedBytes > logBytes)
        return false;
    qint64 at = 0;
    qsizetype entry = 0;
    qsizetype foreign = 0;
    while (entry < m_arrEntries.size() || foreign < m_arrForeignText.size()) {
        if (entry < m_arrEntries.size() && m_arrEntries[entry].m_nOffset == at) {
            const CRunLogEntry& e = m_arrEntries[entry++];
            const qint64 minLength = e.m_bTorn ? kStartLength : kStartLength + kEndLength;
            if (!TakePiece(at, e.m_nOffset, e.m_nLength, minLength, m_nIndexedBytes) ||
                !e.HasPossibleValues())
                return false;
        } else if (foreign < m_arrForeignText.size()) {
            const ForeignText& text = m_arrForeignText[foreign++];
            if (!TakePiece(at, text.m_nOffset, text.m_nLength, 1, m_nIndexedBytes))
                return false;
        } else {
            return false;
        }
    }
    return at == m_nIndexedBytes;
}

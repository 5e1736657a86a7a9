#include "core/files/CRunLogIndexer.h"

#include "core/files/CExperimentFileReader.h"

#include <QIODevice>

namespace {

constexpr qsizetype kStartLength = sizeof CRunLogIndex::kEntryStart - 1;
constexpr qsizetype kEndLength = sizeof CRunLogIndex::kEntryEnd - 1;
// A marker that begins this close to the end of the bytes at hand may be cut.
constexpr qsizetype kMarkerOverlap = qMax(kStartLength, kEndLength) - 1;

}  // namespace

CRunLogIndexer::CRunLogIndexer(QIODevice& device, CRunLogIndex& index, qint64 endOffset,
                               qint64 chunkBytes)
    : m_rDevice(device), m_rIndex(index), m_nEndOffset(endOffset), m_nChunkBytes(chunkBytes),
      m_entryStart(CRunLogIndex::kEntryStart, kStartLength),
      m_entryEnd(CRunLogIndex::kEntryEnd, kEndLength)
{
    m_nBufferStart = index.m_nIndexedBytes;
    m_nSearchFrom = m_nBufferStart;
    m_nFreeFrom = m_nBufferStart;
}

CRunLogIndexer::Result CRunLogIndexer::Run(const Progress& progress)
{
    if (!m_rDevice.seek(m_nBufferStart))
        return Result::ReadFailed;
    while (BufferEnd() < m_nEndOffset) {
        DropUnneededBytes();
        if (!ReadChunk())
            return Result::ReadFailed;
        ConsumeBuffer();
        if (progress && !progress(BufferEnd()))
            return Result::Cancelled;
    }
    Finish();
    return Result::Done;
}

bool CRunLogIndexer::ReadChunk()
{
    const qint64 wanted = qMin(m_nChunkBytes, m_nEndOffset - BufferEnd());
    const qsizetype held = m_buffer.size();
    m_buffer.resize(held + wanted);
    const qint64 got = m_rDevice.read(m_buffer.data() + held, wanted);
    if (got <= 0) {
        m_buffer.resize(held);
        return false;
    }
    m_buffer.resize(held + got);
    return true;
}

// Keeps the entry being read, or the few bytes that may begin a marker.
void CRunLogIndexer::DropUnneededBytes()
{
    qint64 keepFrom = m_nSearchFrom;
    if (m_nEntryStart >= 0 && !m_bEntryTooLarge) {
        if (BufferEnd() - m_nEntryStart + m_nChunkBytes <= CExperimentFileReader::kMaxFileBytes) {
            keepFrom = m_nEntryStart;
        } else {
            m_bEntryTooLarge = true;
            m_entryHead = m_buffer.mid(m_nEntryStart - m_nBufferStart, kLargeEntryHeadBytes);
        }
    }
    m_buffer.remove(0, keepFrom - m_nBufferStart);
    m_nBufferStart = keepFrom;
}

void CRunLogIndexer::ConsumeBuffer()
{
    while (m_nEntryStart < 0 ? ConsumeOutsideEntry() : ConsumeInsideEntry()) {
    }
}

// False when the bytes at hand hold no more markers.
bool CRunLogIndexer::ConsumeOutsideEntry()
{
    const qint64 start = Find(m_entryStart, m_nSearchFrom, BufferEnd());
    if (start < 0) {
        m_nSearchFrom = qMax(m_nSearchFrom, BufferEnd() - kMarkerOverlap);
        return false;
    }
    AddForeignText(m_nFreeFrom, start);
    OpenEntry(start);
    return true;
}

bool CRunLogIndexer::ConsumeInsideEntry()
{
    const qint64 end = Find(m_entryEnd, m_nSearchFrom, BufferEnd());
    const qint64 nextStart = Find(m_entryStart, m_nSearchFrom, end < 0 ? BufferEnd() : end);
    if (nextStart >= 0) {
        CloseEntry(nextStart, true);
        OpenEntry(nextStart);
        return true;
    }
    if (end >= 0) {
        CloseEntry(end + kEndLength, false);
        m_nFreeFrom = end + kEndLength;
        m_nSearchFrom = m_nFreeFrom;
        return true;
    }
    m_nSearchFrom = qMax(m_nSearchFrom, BufferEnd() - kMarkerOverlap);
    return false;
}

qint64 CRunLogIndexer::Find(const QByteArrayMatcher& marker, qint64 from, qint64 to) const
{
    const qsizetype found =
        marker.indexIn(m_buffer.constData(), to - m_nBufferStart, from - m_nBufferStart);
    return found < 0 ? -1 : m_nBufferStart + found;
}

void CRunLogIndexer::OpenEntry(qint64 offset)
{
    m_nEntryStart = offset;
    m_nSearchFrom = offset + kStartLength;
    m_bEntryTooLarge = false;
    m_entryHead.clear();
}

void CRunLogIndexer::CloseEntry(qint64 end, bool torn)
{
    CRunLogEntry entry;
    entry.m_nOffset = m_nEntryStart;
    entry.m_nLength = end - m_nEntryStart;
    entry.m_bTorn = torn;
    if (m_bEntryTooLarge)
        entry.Summarize(m_entryHead);
    else
        entry.Summarize(
            QByteArrayView(m_buffer).sliced(m_nEntryStart - m_nBufferStart, entry.m_nLength));
    m_rIndex.m_arrEntries.append(entry);
    m_nEntryStart = -1;
}

void CRunLogIndexer::AddForeignText(qint64 from, qint64 to)
{
    if (to > from)
        m_rIndex.m_arrForeignText.append({from, to - from});
}

// The end of the log ends an entry still open without its end marker.
void CRunLogIndexer::Finish()
{
    if (m_nEntryStart >= 0)
        CloseEntry(m_nEndOffset, true);
    else
        AddForeignText(m_nFreeFrom, m_nEndOffset);
    m_rIndex.m_nIndexedBytes = m_nEndOffset;
}

#pragma once

#include "core/files/CRunLogIndex.h"

#include <QByteArray>
#include <QByteArrayMatcher>

#include <functional>

class QIODevice;

// Splits a run log into its entries as it streams by: an entry runs from
// its header to its end marker; a header met before that end marker tears
// the entry where it begins, so a damaged entry never hides the ones after
// it; bytes outside every entry are foreign text. Only the entry being read
// is held in memory, and no more than an experiment file may hold of it.
class CRunLogIndexer
{
public:
    enum class Result { Done, Cancelled, ReadFailed };
    // Told how far the indexing has come (a byte offset); false cancels it.
    using Progress = std::function<bool(qint64 indexedBytes)>;

    static constexpr qint64 kChunkBytes = qint64(1) << 20;
    // What the list reads of an entry too large to be read whole.
    static constexpr qsizetype kLargeEntryHeadBytes = qsizetype(1) << 20;

    // Indexes the bytes of device from index.m_nIndexedBytes up to endOffset
    // into index, reading chunkBytes at a time.
    CRunLogIndexer(QIODevice& device, CRunLogIndex& index, qint64 endOffset,
                   qint64 chunkBytes = kChunkBytes);

    Result Run(const Progress& progress);

private:
    qint64 BufferEnd() const { return m_nBufferStart + m_buffer.size(); }
    bool ReadChunk();
    void DropUnneededBytes();
    void ConsumeBuffer();
    bool ConsumeOutsideEntry();
    bool ConsumeInsideEntry();
    qint64 Find(const QByteArrayMatcher& marker, qint64 from, qint64 to) const;
    void OpenEntry(qint64 offset);
    void CloseEntry(qint64 end, bool torn);
    void AddForeignText(qint64 from, qint64 to);
    void Finish();

    QIODevice& m_rDevice;
    CRunLogIndex& m_rIndex;
    const qint64 m_nEndOffset;
    const qint64 m_nChunkBytes;
    const QByteArrayMatcher m_entryStart;
    const QByteArrayMatcher m_entryEnd;
    QByteArray m_buffer;
    qint64 m_nBufferStart = 0;
    qint64 m_nSearchFrom = 0;
    qint64 m_nFreeFrom = 0;     // where text outside every entry began
    qint64 m_nEntryStart = -1;  // the entry being read, or -1
    // The open entry outgrew what may be read of one: only its head is kept.
    bool m_bEntryTooLarge = false;
    QByteArray m_entryHead;
};

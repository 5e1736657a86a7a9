// The run log indexer over any bytes. The first byte sets the size of the
// chunks the log is read in; the rest is the log. Entries and foreign text
// tile the log in order, each entry starts at a header and holds no other,
// a whole entry ends at its first end marker, foreign text holds no header;
// and the log read in small chunks splits exactly as read at once.

#include "FuzzCheck.h"
#include "core/files/CRunLogIndexer.h"

#include <QBuffer>

#include <cstdint>

namespace {

CRunLogIndex Indexed(QByteArray& log, qint64 chunkBytes)
{
    QBuffer buffer(&log);
    buffer.open(QIODevice::ReadOnly);
    CRunLogIndex index;
    CRunLogIndexer indexer(buffer, index, log.size(), chunkBytes);
    FUZZ_CHECK(indexer.Run({}) == CRunLogIndexer::Result::Done);
    FUZZ_CHECK(index.m_nIndexedBytes == log.size());
    return index;
}

void CheckEntry(const QByteArray& log, const CRunLogEntry& entry)
{
    const QByteArrayView text = QByteArrayView(log).sliced(entry.m_nOffset, entry.m_nLength);
    const QByteArrayView start(CRunLogIndex::kEntryStart);
    const QByteArrayView end(CRunLogIndex::kEntryEnd);
    FUZZ_CHECK(text.startsWith(start));
    FUZZ_CHECK(text.indexOf(start, 1) < 0);
    const qsizetype firstEnd = text.indexOf(end, start.size());
    if (entry.m_bTorn) {
        FUZZ_CHECK(firstEnd < 0);
        const qint64 after = entry.m_nOffset + entry.m_nLength;
        FUZZ_CHECK(after == log.size() || QByteArrayView(log).sliced(after).startsWith(start));
    } else {
        FUZZ_CHECK(firstEnd >= 0 && firstEnd + end.size() == text.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray log(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const CRunLogIndex whole = Indexed(log, CRunLogIndexer::kChunkBytes);
    const CRunLogIndex chunked = Indexed(log, 1 + data[0] % 64);

    qint64 covered = 0;
    qsizetype entry = 0;
    qsizetype foreign = 0;
    while (covered < log.size()) {
        const bool isEntry =
            entry < whole.m_arrEntries.size() && whole.m_arrEntries[entry].m_nOffset == covered;
        if (isEntry) {
            CheckEntry(log, whole.m_arrEntries[entry]);
            covered += whole.m_arrEntries[entry++].m_nLength;
            continue;
        }
        FUZZ_CHECK(foreign < whole.m_arrForeignText.size());
        const CRunLogIndex::ForeignText& text = whole.m_arrForeignText[foreign++];
        FUZZ_CHECK(text.m_nOffset == covered && text.m_nLength > 0);
        FUZZ_CHECK(QByteArrayView(log)
                       .sliced(text.m_nOffset, text.m_nLength)
                       .indexOf(CRunLogIndex::kEntryStart) < 0);
        covered += text.m_nLength;
    }
    FUZZ_CHECK(covered == log.size());
    FUZZ_CHECK(entry == whole.m_arrEntries.size() && foreign == whole.m_arrForeignText.size());

    FUZZ_CHECK(chunked.m_arrEntries.size() == whole.m_arrEntries.size());
    for (qsizetype i = 0; i < whole.m_arrEntries.size(); ++i) {
        const CRunLogEntry& a = whole.m_arrEntries[i];
        const CRunLogEntry& b = chunked.m_arrEntries[i];
        FUZZ_CHECK(a.m_nOffset == b.m_nOffset && a.m_nLength == b.m_nLength);
        FUZZ_CHECK(a.m_bTorn == b.m_bTorn && a.m_nDownSamples == b.m_nDownSamples);
        FUZZ_CHECK(a.m_strComments == b.m_strComments && a.m_stampTime == b.m_stampTime);
    }
    FUZZ_CHECK(chunked.m_arrForeignText.size() == whole.m_arrForeignText.size());
    return 0;
}

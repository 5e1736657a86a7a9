#include "core/files/CRunLogReader.h"

#include "core/files/CFileErrorText.h"
#include "core/files/CInputFile.h"
#include "core/files/CRunLogIndexCache.h"
#include "core/files/CRunLogPath.h"
#include "core/record/CImpactRecord.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <limits>

namespace {

constexpr char kIndexFolderName[] = "run-log-index";

QString ChangedText(const QString& path)
{
    return QStringLiteral("%1 has changed since its entries were listed; open it again.")
        .arg(QDir::toNativeSeparators(path));
}

}  // namespace

CRunLogReader::CRunLogReader(const QString& indexCacheFolder)
    : m_strIndexCacheFolder(indexCacheFolder)
{
}

QString CRunLogReader::DefaultIndexCacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return QDir(QDir(cache).filePath(QLatin1String(CRunLogPath::kFolderName)))
        .filePath(QLatin1String(kIndexFolderName));
}

CRunLogReader::OpenResult CRunLogReader::Open(const QString& path, QString& error,
                                              const CRunLogIndexer::Progress& progress)
{
    m_strPath = path;
    m_index = CRunLogIndex();
    m_bUsedIndexCache = false;
    m_bIndexCacheLied = false;
    // A log is large by nature: only its entries are bounded, one by one.
    QFile log(path);
    if (!CInputFile::Open(log, std::numeric_limits<qint64>::max(), kFileKind, error))
        return OpenResult::Failed;
    const qint64 size = log.size();
    m_modifiedTime = log.fileTime(QFileDevice::FileModificationTime);
    const CRunLogIndexCache cache(m_strIndexCacheFolder);
    if (!m_strIndexCacheFolder.isEmpty()) {
        m_index = cache.Load(log);
        m_bUsedIndexCache = m_index.m_nIndexedBytes > 0;
    }
    const qint64 cachedBytes = m_index.m_nIndexedBytes;
    m_index.TruncateAt(m_index.ResumeOffset());
    CRunLogIndexer indexer(log, m_index, size);
    switch (indexer.Run(progress)) {
    case CRunLogIndexer::Result::Done:
        break;
    case CRunLogIndexer::Result::Cancelled:
        m_index = CRunLogIndex();
        return OpenResult::Cancelled;
    case CRunLogIndexer::Result::ReadFailed:
        error = CFileErrorText::ForRead(path, log);
        m_index = CRunLogIndex();
        return OpenResult::Failed;
    }
    if (!m_strIndexCacheFolder.isEmpty() && m_index.m_nIndexedBytes != cachedBytes)
        cache.Save(log, m_index);
    return OpenResult::Opened;
}

QByteArray CRunLogReader::EntryText(qsizetype index, QString& error) const
{
    const CRunLogEntry& entry = m_index.m_arrEntries.at(index);
    if (entry.m_nLength > CExperimentFileReader::kMaxFileBytes) {
        error = CInputFile::TooLargeText(m_strPath, entry.m_nLength,
                                         CExperimentFileReader::kMaxFileBytes,
                                         CExperimentFileReader::kFileKind);
        return QByteArray();
    }
    QFile log(m_strPath);
    if (!CInputFile::Open(log, std::numeric_limits<qint64>::max(), kFileKind, error))
        return QByteArray();
    if (!log.seek(entry.m_nOffset)) {
        error = CFileErrorText::ForRead(m_strPath, log);
        return QByteArray();
    }
    QByteArray text = log.read(entry.m_nLength);
    if (log.error() != QFileDevice::NoError) {
        error = CFileErrorText::ForRead(m_strPath, log);
        return QByteArray();
    }
    // The log is only ever appended to; anything else means it was replaced,
    // or the kept index it was listed by is wrong and must not be used again.
    if (!IsEntry(entry, text)) {
        if (m_bUsedIndexCache) {
            m_bIndexCacheLied = true;
            CRunLogIndexCache(m_strIndexCacheFolder).Drop(log);
        }
        error = ChangedText(m_strPath);
        return QByteArray();
    }
    return text;
}

// Text is the whole entry and nothing else: one header, at its start; the
// first end marker at its end (a torn entry has none); the values listed.
bool CRunLogReader::IsEntry(const CRunLogEntry& entry, const QByteArray& text)
{
    static constexpr qsizetype kStartLength = sizeof CRunLogIndex::kEntryStart - 1;
    const qsizetype end = text.indexOf(CRunLogIndex::kEntryEnd);
    const qsizetype expectedEnd =
        entry.m_bTorn ? -1 : text.size() - qsizetype(sizeof CRunLogIndex::kEntryEnd - 1);
    return text.size() == entry.m_nLength && text.startsWith(CRunLogIndex::kEntryStart) &&
           text.indexOf(CRunLogIndex::kEntryStart, kStartLength) < 0 && end == expectedEnd &&
           entry.Summarizes(text);
}

void CRunLogReader::KeepQuality(const QByteArray& key, const QList<qint32>& codes)
{
    m_index.m_qualityKey = key;
    for (qsizetype i = 0; i < m_index.m_arrEntries.size(); ++i)
        m_index.m_arrEntries[i].m_nQuality = codes.value(i, CRunLogEntry::kNotJudged);
    QFile log(m_strPath);
    if (m_bIndexCacheLied || m_strIndexCacheFolder.isEmpty() || !log.open(QIODevice::ReadOnly) ||
        log.size() != m_index.m_nIndexedBytes ||
        log.fileTime(QFileDevice::FileModificationTime) != m_modifiedTime)
        return;
    CRunLogIndexCache(m_strIndexCacheFolder).Save(log, m_index);
}

bool CRunLogReader::EntriesMatchLog(const QList<qsizetype>& indexes) const
{
    if (!m_bUsedIndexCache)
        return true;
    QString ignored;
    for (qsizetype index : indexes) {
        if (m_index.m_arrEntries.at(index).m_nLength <= CExperimentFileReader::kMaxFileBytes &&
            EntryText(index, ignored).isEmpty())
            return false;
    }
    return true;
}

bool CRunLogReader::ReadEntry(qsizetype index, CImpactRecord& record,
                              CExperimentFileReader::Result& result, QString& error) const
{
    QByteArray text = EntryText(index, error);
    if (text.isEmpty())
        return false;
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    record.ResetForLoad();
    result = CExperimentFileReader(buffer, record).Read();
    return true;
}

#pragma once

#include "core/files/CExperimentFileReader.h"
#include "core/files/CRunLogIndex.h"
#include "core/files/CRunLogIndexer.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>

class CImpactRecord;

// Reads a run log back: its entries, oldest first (entry i is number i + 1),
// each as the text it holds and as the record that text opens to, exactly
// as a saved file with the same text would open. The log is indexed once,
// streaming, without being held in memory; an index kept from an earlier
// opening is used for the part of the log it still matches (the log is
// only ever appended to). Every read is bounded: a device or a pipe is
// refused, and an entry larger than an experiment file may be is not read.
class CRunLogReader
{
public:
    static inline const QString kFileKind = QStringLiteral("a run log");

    enum class OpenResult { Opened, Cancelled, Failed };

    // Cache folder for the index; empty keeps no index between openings.
    explicit CRunLogReader(const QString& indexCacheFolder = DefaultIndexCacheFolder());

    // Linux: ~/.cache/Zentak/run-log-index; Windows: %LOCALAPPDATA%\cache\Zentak\run-log-index.
    static QString DefaultIndexCacheFolder();

    // Indexes the log at path; progress hears how far it has come and may
    // cancel. Failed leaves the operator's message in error.
    OpenResult Open(const QString& path, QString& error,
                    const CRunLogIndexer::Progress& progress = {});

    const QString& Path() const { return m_strPath; }
    // The bytes indexed: the log's size when it was opened.
    qint64 IndexedBytes() const { return m_index.m_nIndexedBytes; }
    // True when the index came whole or in part from the cache.
    bool UsedIndexCache() const { return m_bUsedIndexCache; }

    const QList<CRunLogEntry>& Entries() const { return m_index.m_arrEntries; }
    const QList<CRunLogIndex::ForeignText>& ForeignText() const { return m_index.m_arrForeignText; }

    // The entry's text byte for byte, as saving its record would write it
    // (a torn entry: as far as the log holds it); empty with the operator's
    // message in error when it cannot be read.
    QByteArray EntryText(qsizetype index, QString& error) const;

    // The entry read into record through the experiment file reader, after
    // the load's own reset. False when its text could not be read (error
    // says why); the result says how the load went otherwise.
    bool ReadEntry(qsizetype index, CImpactRecord& record, CExperimentFileReader::Result& result,
                   QString& error) const;

    // False when an entry listed from the kept index is not what the log
    // holds there: the kept index is dropped, and opening the log again
    // indexes it afresh. An index read from the log itself always matches.
    bool EntriesMatchLog(const QList<qsizetype>& indexes) const;
    // True once reading an entry has shown the kept index to be wrong since
    // the last opening; what it listed must not be shown or kept.
    bool IndexCacheLied() const { return m_bIndexCacheLied; }

    // The quality verdicts kept with the index and what they were judged by.
    const QByteArray& QualityKey() const { return m_index.m_qualityKey; }
    // Keeps one verdict code per entry with the index, for the next opening;
    // not when the log changed since it was opened.
    void KeepQuality(const QByteArray& key, const QList<qint32>& codes);

private:
    static bool IsEntry(const CRunLogEntry& entry, const QByteArray& text);

    QString m_strIndexCacheFolder;
    QString m_strPath;
    CRunLogIndex m_index;
    bool m_bUsedIndexCache = false;
    mutable std::atomic<bool> m_bIndexCacheLied = false;  // entries are read on several threads
    QDateTime m_modifiedTime;                             // the log's, when it was opened
};

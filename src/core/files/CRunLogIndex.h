#pragma once

#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunLogEntry.h"

#include <QList>

// Where the entries of a run log lie, oldest first, and the text between
// them that belongs to no entry (notes pasted in, the rest of a damaged
// entry). Covers the log's first m_nIndexedBytes bytes.
class CRunLogIndex
{
public:
    struct ForeignText {
        qint64 m_nOffset = 0;
        qint64 m_nLength = 0;
    };

    // The header every entry begins with, in the current layout and the
    // release-4 one (which lacks the " v5.0").
    static constexpr auto& kEntryStart = CExperimentFileWriter::kTitle;
    static constexpr auto& kEntryEnd = CExperimentFileWriter::kEndMarker;

    // Where indexing goes on after the log has grown: the end of the last
    // whole entry. Text after it (a torn entry that a writer may still be
    // finishing, foreign text) is looked at again.
    qint64 ResumeOffset() const;
    // Drops what lies at or after offset.
    void TruncateAt(qint64 offset);
    // The entries and the foreign text tile the indexed bytes in order,
    // within a log of logBytes, and every value is one the indexer could
    // have found: a kept index that is not so is no index of this log.
    bool IsWellFormed(qint64 logBytes) const;

    QList<CRunLogEntry> m_arrEntries;
    QList<ForeignText> m_arrForeignText;
    qint64 m_nIndexedBytes = 0;
    // What the entries' kept quality verdicts were judged by.
    QByteArray m_qualityKey;
};

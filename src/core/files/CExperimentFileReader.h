#pragma once

#include "core/CZentakDoc.h"
#include "core/files/CTextLineReader.h"

#include <QLatin1StringView>
#include <QString>

class QIODevice;

// Reads an experiment file into a record that has been reset for a load:
// the current ".exp" layout, the release-4 file and the oldest layout, a
// transcript of the control box's output. Every search for a marker is
// bounded, so a damaged file ends the read instead of hanging it; only a
// section's values and the comments run to their end marker, so runs and
// comments of any length load back whole. The input itself is bounded too:
// a line or a file beyond its bound ends the load, which then never counts
// as complete.
class CExperimentFileReader
{
public:
    // The largest record, two strokes of some 1000 samples in three
    // sections, takes about 72 KB (6000 value lines of at most 12 bytes).
    // 16 MiB is more than 200 times that and still leaves room for comments
    // of 16 million characters, thousands of pages; a load costs a small
    // multiple of the file's size, so no file the reader takes can exhaust
    // the memory.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;
    static inline const QString kFileKind = QStringLiteral("an experiment file");

    static inline const QString kNotValidMessage = QStringLiteral("Not a Valid Experiment File.");
    static inline const QString kOldLoadFailedMessage =
        QStringLiteral("Old Experiment File Load Failed. \r\nCheck to see if it is a valid file.");
    static QString LineTooLongMessage(qint64 lineNumber);
    static QString TooLargeMessage();

    CExperimentFileReader(QIODevice& device, CZentakDoc& doc);

    CZentakDoc::LoadOutcome Read();

    bool ReadFailed() const { return m_lines.ReadFailed(); }

private:
    CZentakDoc::LoadOutcome ReadLayout();
    void Conclude(CZentakDoc::LoadOutcome outcome);
    int DetectFormat();
    void ReadFirmwareVersion();
    CZentakDoc::LoadOutcome ReadRecordLayout();
    void ReadHeaderValues();
    void ReadSection(QLatin1StringView startMarker, CUIntArray& values);
    void ReadStroke(CUIntArray& down, CUIntArray& up);
    bool HasStepTimeSections();
    bool ReadComments();
    CZentakDoc::LoadOutcome ReadTranscript();
    void AppendTranscriptPair(char separator, CUIntArray& displacement, CUIntArray& force);
    void FinishLoad();
    void AppendCommentLine(qsizetype& linesHeld);
    qsizetype CommentsLengthWithoutEmptyLastLine(qsizetype linesHeld) const;
    void SkipUntil(QLatin1StringView text, int maxReads);
    bool Has(QLatin1StringView text) const;
    void NextLine();

    CTextLineReader m_lines;
    CZentakDoc& m_rDoc;
    QString m_strLine;
};

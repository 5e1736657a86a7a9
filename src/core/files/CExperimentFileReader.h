#pragma once

#include "core/files/CLoadOutcome.h"
#include "core/files/CTextLineReader.h"
#include "core/record/CImpactRecord.h"

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

    using LoadOutcome = CLoadOutcome;

    struct Result {
        LoadOutcome outcome = LoadOutcome::NotValid;
        // What the operator is to be told, or empty. A device that failed is
        // reported by the caller, who knows the file's name.
        QString message;
    };

    CExperimentFileReader(QIODevice& device, CImpactRecord& record);

    // A complete load leaves the statistics current (the actual values
    // derived for the oldest layout) and the data-present flag set when
    // both strokes' displacement and the down-stroke force are there.
    Result Read();

    bool ReadFailed() const { return m_lines.ReadFailed(); }

private:
    LoadOutcome ReadLayout();
    QString Conclude(LoadOutcome outcome);
    int DetectFormat();
    void ReadFirmwareVersion();
    LoadOutcome ReadRecordLayout();
    void ReadHeaderValues();
    void ReadSection(QLatin1StringView startMarker, CUIntArray& values);
    void ReadStroke(CUIntArray& down, CUIntArray& up);
    bool HasStepTimeSections();
    bool ReadComments();
    LoadOutcome ReadTranscript();
    void AppendTranscriptPair(char separator, CUIntArray& displacement, CUIntArray& force);
    void FinishLoad();
    void AppendCommentLine(qsizetype& linesHeld);
    qsizetype CommentsLengthWithoutEmptyLastLine(qsizetype linesHeld) const;
    void SkipUntil(QLatin1StringView text, int maxReads);
    bool Has(QLatin1StringView text) const;
    void NextLine();

    CTextLineReader m_lines;
    CImpactRecord& m_rRecord;
    QString m_strLine;
};

#pragma once

#include <QList>
#include <QString>

class QDateTime;

using CUIntArray = QList<quint32>;

// One impact experiment as data: what was asked for, what the impactor
// achieved, the sampled traces of both strokes, the statistics derived from
// them, the comments and the firmware release that produced them. A plain
// value: copying it is cheap (the arrays and strings are shared until
// written) and safe, and it knows nothing of files, ports or windows.
class CImpactRecord
{
public:
    static constexpr quint32 kContactForce = 200;   // tenths of a K dyne
    static constexpr quint32 kDispMinStart = 5555;  // starting minimum of the position scan
    static constexpr double kMicronsPerCount = 17.63889;
    static constexpr double kRelease4SampleMs = 0.36;
    static constexpr double kMsPerStepCount = 60e-6;  // release 5 step times: 60 ns a count

    // The new-document reset. The file format, the firmware version text and
    // the run stamp keep their values.
    void Reset();
    // The load's own reset: the new-document reset, and the file format and
    // the firmware version text forgotten too.
    void ResetForLoad();

    void ComputeTraceStats();
    void SetActualValues(int force, int displacement, int velocity, int dwell);
    // Statistics, then the actual force, displacement and velocity from the
    // traces; the actual dwell keeps its value.
    void DeriveActualValues();
    // The velocity that one position count over the span the velocity is
    // measured on stands for, in mm/s: the finest difference the derived
    // velocity can tell. 0 when a down stroke this short gives no velocity.
    static double VelocityResolution(qsizetype downSamples);
    // A derived value in whole units, truncated; hand-edited files can hold
    // absurd counts, so it never leaves the int range.
    static int TruncToInt(double value);

    // The stamp (CRunStamp) becomes the run stamp; the stamp and the subject
    // line, when there is a subject, replace the comments.
    void StampRun(const QDateTime& localTime, const QString& subject = QString());

    // The record holds traces that may be drawn, saved, logged and exported.
    bool m_bDataPresent = false;
    CUIntArray m_arrDispDown;
    CUIntArray m_arrForceDown;
    CUIntArray m_arrDispUp;
    CUIntArray m_arrForceUp;
    CUIntArray m_arrStepTimeDown;
    CUIntArray m_arrStepTimeUp;
    quint32 m_nDispMax = 0;
    quint32 m_nDispMin = kDispMinStart;
    quint32 m_nForceMax = 0;
    int m_nContactIndex = 0;
    QString m_strComments;
    QString m_strRunStamp;
    int m_nDesiredForce = 100;
    int m_nDesiredDisp = 1;
    int m_nDesiredVelocity = 1;
    int m_nDesiredDwell = 0;
    int m_nActualForce = 0;
    int m_nActualDisp = 0;
    int m_nActualVelocity = 0;
    int m_nActualDwell = 0;
    int m_nFileFormat = 0;
    int m_nFirmwareRelease = 0;
    QString m_strFirmwareVersion;

private:
    void ResetStats();
    void ClearTraces();
    int VelocityFromDownTrace() const;
    int DisplacementToDeepest() const;
};

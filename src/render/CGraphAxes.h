#pragma once

#include <QList>
#include <QtGlobal>

class CImpactRecord;

// The scales of the two graphs for one record. A record whose traces fit
// gets the classic axes: 30 ms, 100 microns a displacement division and the
// force scale of its peak. When a trace would leave its plot, the axis it
// leaves grows to the next step of its label series until the whole stroke
// fits: time to the next multiple of 30 ms, displacement to the next
// multiple of 100 microns a division, force to the next scale step.
class CGraphAxes
{
public:
    // Both plot areas share the time axis, which starts at x = 70.
    static constexpr int kAxisX = 70;
    static constexpr int kPlotRight = 520;
    static constexpr int kDispTop = 50;
    static constexpr int kDispAxisY = 440;
    static constexpr int kForceTop = 520;
    static constexpr int kForceAxisY = 910;

    static constexpr int kClassicTimeMs = 30;
    static constexpr int kTimeDivisions = 30;
    static constexpr int kClassicDispStepMicrons = 100;
    static constexpr int kDispDivisions = 26;

    // Without data the time and displacement axes are the classic ones and
    // the force axis keeps the step it had (an emptied record keeps the last
    // scale drawn).
    static CGraphAxes ForRecord(const CImpactRecord& record, bool dataPresent,
                                int keptForceScaleStep);

    qint64 TimeFullScaleMs() const { return m_nTimeFullScaleMs; }
    int DispStepMicrons() const { return kClassicDispStepMicrons * m_nDispMultiple; }
    int ForceScaleStep() const { return m_nForceScaleStep; }

    double UnitsPerCount() const { return m_dUnitsPerCount; }
    // The x of a sample drawn at the running time timeMs.
    int TimeX(float timeMs) const;
    // The y of the topmost displacement sample for a position range in counts.
    int DispTop(qint32 range) const;

    // Coordinates truncate toward zero; a hand-edited file can hold counts
    // far beyond any device, which only need to keep their direction.
    static int Trunc(double value);

    // Tick label i of each axis.
    qint64 TimeLabel(int i) const { return qint64(i) * m_nTimeFullScaleMs / kTimeDivisions; }
    qint64 DispLabel(int i) const { return qint64(i) * DispStepMicrons(); }

    // The force axis step k for a peak force in K dynes.
    static int ForceScaleStep(int actualForce);
    // Samples of a stroke that have a time: release 4 times every sample,
    // other releases only those with a step count.
    static qsizetype TimedCount(const CImpactRecord& record, qsizetype count,
                                const QList<quint32>& stepTimes);
    static float StepMs(const CImpactRecord& record, const QList<quint32>& stepTimes, qsizetype i);
    // Whether the up stroke is plotted and tabulated at all.
    static bool UpStrokeDrawn(const CImpactRecord& record);
    // Table rows in use: the longer of the two strokes drawn.
    static qsizetype TableRows(const CImpactRecord& record);

private:
    void FitTime(float lastSampleMs);
    void FitDisplacement(qint32 range);
    static float LastSampleMs(const CImpactRecord& record);
    static quint32 LargestDrawnForce(const CImpactRecord& record);

    qint64 m_nTimeFullScaleMs = kClassicTimeMs;
    double m_dUnitsPerMs = 15.0;
    int m_nDispMultiple = 1;
    double m_dUnitsPerCount = 2.6;
    int m_nForceScaleStep = 0;
};

#include "render/CGraphAxes.h"

#include "core/record/CImpactRecord.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCoordLimit = double(1 << 24);
constexpr double kPlotWidth = CGraphAxes::kPlotRight - CGraphAxes::kAxisX;
constexpr double kClassicUnitsPerCount = 2.6;
constexpr double kClassicCountRange = 150.0;
constexpr float kRelease4StepMs = 0.36f;
// Beyond these every coordinate is clamped anyway.
constexpr double kMaxTimeMultiple = 1e10;
constexpr double kMaxDispMultiple = 1e7;
// The rounding of a computed multiple may leave a sample a unit outside.
constexpr int kFitAttempts = 3;

// The force axis' full scale is 100 k + 260 K dynes.
int StepHolding(quint32 forceKdyn)
{
    if (forceKdyn <= 260)
        return 0;
    return int((forceKdyn - 260 + 99) / 100);
}

}  // namespace

int CGraphAxes::Trunc(double value)
{
    return int(std::clamp(value, -kCoordLimit, kCoordLimit));
}

CGraphAxes CGraphAxes::ForRecord(const CImpactRecord& record, bool dataPresent,
                                 int keptForceScaleStep)
{
    CGraphAxes axes;
    axes.m_nForceScaleStep = keptForceScaleStep;
    if (!dataPresent)
        return axes;
    axes.FitTime(LastSampleMs(record));
    axes.FitDisplacement(qint32(record.m_nDispMax - record.m_nDispMin));
    axes.m_nForceScaleStep = std::max(ForceScaleStep(record.m_nActualForce),
                                      StepHolding(LargestDrawnForce(record) / 10));
    return axes;
}

int CGraphAxes::TimeX(float timeMs) const
{
    return Trunc(double(timeMs) * m_dUnitsPerMs + kAxisX);
}

int CGraphAxes::DispTop(qint32 range) const
{
    return Trunc(kDispAxisY - (kDispTop + m_dUnitsPerCount * range)) + kDispTop;
}

void CGraphAxes::FitTime(float lastSampleMs)
{
    const double needed = std::ceil(double(lastSampleMs) / kClassicTimeMs);
    qint64 multiple = needed > 1 ? qint64(std::min(needed, kMaxTimeMultiple)) : 1;
    for (int attempt = 0; attempt < kFitAttempts; ++attempt, ++multiple) {
        m_nTimeFullScaleMs = kClassicTimeMs * multiple;
        m_dUnitsPerMs = kPlotWidth / double(m_nTimeFullScaleMs);
        if (TimeX(lastSampleMs) <= kPlotRight)
            return;
    }
}

void CGraphAxes::FitDisplacement(qint32 range)
{
    const double needed = std::ceil(double(range) / kClassicCountRange);
    int multiple = needed > 1 ? int(std::min(needed, kMaxDispMultiple)) : 1;
    for (int attempt = 0; attempt < kFitAttempts; ++attempt, ++multiple) {
        m_nDispMultiple = multiple;
        m_dUnitsPerCount = kClassicUnitsPerCount / multiple;
        if (DispTop(range) >= kDispTop)
            return;
    }
}

int CGraphAxes::ForceScaleStep(int actualForce)
{
    if (actualForce < 260)
        return 0;
    return (actualForce - 260) / 100 + 1;
}

qsizetype CGraphAxes::TimedCount(const CImpactRecord& record, qsizetype count,
                                 const QList<quint32>& stepTimes)
{
    if (record.m_nFirmwareRelease == 4)
        return count;
    return std::min(count, stepTimes.size());
}

float CGraphAxes::StepMs(const CImpactRecord& record, const QList<quint32>& stepTimes, qsizetype i)
{
    if (record.m_nFirmwareRelease == 4)
        return kRelease4StepMs;
    return float(double(stepTimes[i]) * CImpactRecord::kMsPerStepCount);
}

bool CGraphAxes::UpStrokeDrawn(const CImpactRecord& record)
{
    return record.m_nDesiredDwell == 0;
}

qsizetype CGraphAxes::TableRows(const CImpactRecord& record)
{
    const qsizetype down =
        TimedCount(record, record.m_arrDispDown.size(), record.m_arrStepTimeDown);
    if (!UpStrokeDrawn(record))
        return down;
    return std::max(down, TimedCount(record, record.m_arrDispUp.size(), record.m_arrStepTimeUp));
}

// The running time of the last sample drawn, summed exactly as the
// displacement pass sums it.
float CGraphAxes::LastSampleMs(const CImpactRecord& record)
{
    float timeMs = 0;
    float lastMs = 0;
    const qsizetype down =
        TimedCount(record, record.m_arrDispDown.size(), record.m_arrStepTimeDown);
    for (qsizetype i = 0; i < down; ++i) {
        lastMs = timeMs;
        timeMs += StepMs(record, record.m_arrStepTimeDown, i);
    }
    if (!UpStrokeDrawn(record))
        return lastMs;
    const qsizetype up = TimedCount(record, record.m_arrDispUp.size(), record.m_arrStepTimeUp);
    for (qsizetype i = 0; i < up; ++i) {
        lastMs = timeMs;
        timeMs += StepMs(record, record.m_arrStepTimeUp, i);
    }
    return lastMs;
}

// Over the samples the force pass draws, in tenths of a K dyne.
quint32 CGraphAxes::LargestDrawnForce(const CImpactRecord& record)
{
    quint32 largest = 0;
    const qsizetype down =
        std::min(TimedCount(record, record.m_arrDispDown.size(), record.m_arrStepTimeDown),
                 record.m_arrForceDown.size());
    for (qsizetype i = 0; i < down; ++i)
        largest = std::max(largest, record.m_arrForceDown[i]);
    if (!UpStrokeDrawn(record))
        return largest;
    const qsizetype up =
        std::min(TimedCount(record, record.m_arrDispUp.size(), record.m_arrStepTimeUp),
                 record.m_arrForceUp.size());
    for (qsizetype i = 0; i < up; ++i)
        largest = std::max(largest, record.m_arrForceUp[i]);
    return largest;
}

#include "core/record/CImpactRecord.h"

#include "core/record/CRunStamp.h"

#include <QDateTime>

#include <limits>
#include <optional>

namespace {

// Samples are unsigned counts. A later sample below an earlier one (the probe
// moved back) has no meaningful difference, so there is none.
std::optional<quint32> CountRise(quint32 later, quint32 earlier)
{
    if (later < earlier)
        return std::nullopt;
    return later - earlier;
}

constexpr qsizetype kShortTraceLimit = 32;
constexpr qsizetype kShortTraceMinimum = 6;  // n - 5 must be positive, d[n-3] must exist
constexpr double kPerSampleSpan10To30 = 0.1388888888888889;  // 1 / (20 x 0.36 ms)

}  // namespace

void CImpactRecord::Reset()
{
    m_bDataPresent = false;
    m_strComments.clear();
    m_nDesiredForce = 100;
    m_nDesiredDisp = 1;
    m_nDesiredVelocity = 1;
    m_nDesiredDwell = 0;
    SetActualValues(0, 0, 0, 0);
    m_nFirmwareRelease = 0;
    ClearTraces();
    ResetStats();
}

void CImpactRecord::ResetForLoad()
{
    Reset();
    m_nFileFormat = 0;
    m_strFirmwareVersion.clear();
}

void CImpactRecord::ClearTraces()
{
    m_arrDispDown.clear();
    m_arrForceDown.clear();
    m_arrDispUp.clear();
    m_arrForceUp.clear();
    m_arrStepTimeDown.clear();
    m_arrStepTimeUp.clear();
}

void CImpactRecord::ResetStats()
{
    m_nDispMax = 0;
    m_nDispMin = kDispMinStart;
    m_nForceMax = 0;
    m_nContactIndex = 0;
}

void CImpactRecord::StampRun(const QDateTime& localTime, const QString& subject)
{
    m_strRunStamp = CRunStamp::Text(localTime);
    m_strComments = CRunStamp::Comments(localTime, subject);
}

void CImpactRecord::ComputeTraceStats()
{
    ResetStats();
    for (const CUIntArray* positions : {&m_arrDispDown, &m_arrDispUp}) {
        for (quint32 sample : *positions) {
            m_nDispMax = qMax(m_nDispMax, sample);
            m_nDispMin = qMin(m_nDispMin, sample);
        }
    }
    for (qsizetype i = 0; i < m_arrForceDown.size(); ++i) {
        const quint32 sample = m_arrForceDown[i];
        // 0 means "no contact", so index 0 can never be the contact sample.
        if (sample >= kContactForce && m_nContactIndex == 0)
            m_nContactIndex = int(i);
        m_nForceMax = qMax(m_nForceMax, sample);
    }
    for (quint32 sample : m_arrForceUp)
        m_nForceMax = qMax(m_nForceMax, sample);
}

void CImpactRecord::SetActualValues(int force, int displacement, int velocity, int dwell)
{
    m_nActualForce = force;
    m_nActualDisp = displacement;
    m_nActualVelocity = velocity;
    m_nActualDwell = dwell;
}

void CImpactRecord::DeriveActualValues()
{
    ComputeTraceStats();
    const int velocity = VelocityFromDownTrace();
    const int displacement = DisplacementToDeepest();
    const int force = int(m_nForceMax / 10);
    SetActualValues(force, displacement, velocity, m_nActualDwell);
}

// Microns per ms, which is mm/s. Short traces use the span from the third
// sample to the third from last; longer ones the fixed span of samples 10..30.
int CImpactRecord::VelocityFromDownTrace() const
{
    const CUIntArray& d = m_arrDispDown;
    const qsizetype n = d.size();
    if (n < kShortTraceMinimum)
        return 0;
    if (n < kShortTraceLimit) {
        const auto rise = CountRise(d[n - 3], d[2]);
        return rise ? TruncToInt(*rise * kMicronsPerCount / ((n - 5) * kRelease4SampleMs)) : 0;
    }
    const auto rise = CountRise(d[30], d[10]);
    return rise ? TruncToInt(*rise * kMicronsPerCount * kPerSampleSpan10To30) : 0;
}

int CImpactRecord::TruncToInt(double value)
{
    return int(qBound(double(std::numeric_limits<int>::min()), value,
                      double(std::numeric_limits<int>::max())));
}

double CImpactRecord::VelocityResolution(qsizetype downSamples)
{
    if (downSamples < kShortTraceMinimum)
        return 0;
    if (downSamples < kShortTraceLimit)
        return kMicronsPerCount / ((downSamples - 5) * kRelease4SampleMs);
    return kMicronsPerCount * kPerSampleSpan10To30;
}

// Travel from the last sample before contact to the deepest point; only
// meaningful when the probe started clear of the tissue.
int CImpactRecord::DisplacementToDeepest() const
{
    if (m_nContactIndex < 1 || m_arrForceDown.isEmpty() || m_arrForceDown[0] >= kContactForce)
        return 0;
    const qsizetype beforeContact = m_nContactIndex - 1;
    if (beforeContact >= m_arrDispDown.size())
        return 0;
    const auto travel = CountRise(m_nDispMax, m_arrDispDown[beforeContact]);
    return travel ? TruncToInt(*travel * kMicronsPerCount) : 0;
}

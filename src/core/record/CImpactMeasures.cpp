#include "core/record/CImpactMeasures.h"

#include "core/record/CImpactRecord.h"

namespace {

// The samples of both strokes in time order, each stroke as long as its
// shortest position or force array.
class CSampleSequence
{
public:
    explicit CSampleSequence(const CImpactRecord& record)
        : m_rRecord(record),
          m_nDown(qMin(record.m_arrDispDown.size(), record.m_arrForceDown.size())),
          m_nUp(qMin(record.m_arrDispUp.size(), record.m_arrForceUp.size()))
    {
    }

    qsizetype Count() const { return m_nDown + m_nUp; }
    quint32 Position(qsizetype k) const
    {
        return k < m_nDown ? m_rRecord.m_arrDispDown[k] : m_rRecord.m_arrDispUp[k - m_nDown];
    }
    quint32 Force(qsizetype k) const
    {
        return k < m_nDown ? m_rRecord.m_arrForceDown[k] : m_rRecord.m_arrForceUp[k - m_nDown];
    }
    // The duration of sample k; empty for a release-5 sample without a step count.
    std::optional<double> StepMs(qsizetype k) const
    {
        if (m_rRecord.m_nFirmwareRelease == 4)
            return CImpactRecord::kRelease4SampleMs;
        const CUIntArray& steps =
            k < m_nDown ? m_rRecord.m_arrStepTimeDown : m_rRecord.m_arrStepTimeUp;
        const qsizetype i = k < m_nDown ? k : k - m_nDown;
        if (i >= steps.size())
            return std::nullopt;
        return steps[i] * CImpactRecord::kMsPerStepCount;
    }
    // Time from sample `from` to sample `to` (to >= from).
    std::optional<double> SpanMs(qsizetype from, qsizetype to) const
    {
        double span = 0;
        for (qsizetype k = from; k < to; ++k) {
            const std::optional<double> step = StepMs(k);
            if (!step)
                return std::nullopt;
            span += *step;
        }
        return span;
    }

private:
    const CImpactRecord& m_rRecord;
    qsizetype m_nDown;
    qsizetype m_nUp;
};

// The last down-stroke sample before contact, when the probe started clear.
std::optional<qsizetype> ContactReference(const CImpactRecord& record, qsizetype downCount)
{
    const qsizetype contact = record.m_nContactIndex;
    if (contact < 1 || contact >= downCount ||
        record.m_arrForceDown[0] >= CImpactRecord::kContactForce)
        return std::nullopt;
    return contact - 1;
}

}  // namespace

CImpactMeasures CImpactMeasures::Of(const CImpactRecord& record)
{
    CImpactMeasures measures;
    const CSampleSequence samples(record);
    if (samples.Count() == 0)
        return measures;

    qsizetype peak = 0;
    double integral = 0;
    bool integralKnown = true;
    for (qsizetype k = 0; k < samples.Count(); ++k) {
        if (samples.Force(k) > samples.Force(peak))
            peak = k;
        const std::optional<double> step = samples.StepMs(k);
        integralKnown = integralKnown && step;
        if (integralKnown)
            integral += samples.Force(k) / 10.0 * *step;
    }
    measures.m_nPeakForceKdyn = samples.Force(peak) / 10.0;
    if (integralKnown)
        measures.m_nForceTimeIntegralKdynMs = integral;

    const qsizetype downCount = qMin(record.m_arrDispDown.size(), record.m_arrForceDown.size());
    const std::optional<qsizetype> reference = ContactReference(record, downCount);
    if (!reference || peak < *reference)
        return measures;
    measures.m_nTimeToPeakMs = samples.SpanMs(*reference, peak);
    const quint32 from = samples.Position(*reference);
    const quint32 to = samples.Position(peak);
    if (to >= from)
        measures.m_nDispAtPeakMicrons =
            CImpactRecord::TruncToInt((to - from) * CImpactRecord::kMicronsPerCount);
    return measures;
}

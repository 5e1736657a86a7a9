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

// Contact to the peak: its time, net and total travel and the work done.
void MeasureFromContact(const CSampleSequence& samples, qsizetype reference, qsizetype peak,
                        CImpactMeasures& measures)
{
    measures.m_nTimeToPeakMs = samples.SpanMs(reference, peak);
    double travelCounts = 0;
    double workKdynCounts = 0;
    for (qsizetype k = reference; k < peak; ++k) {
        const double step = double(samples.Position(k + 1)) - double(samples.Position(k));
        travelCounts += qAbs(step);
        workKdynCounts += (samples.Force(k) + samples.Force(k + 1)) / 20.0 * step;
    }
    measures.m_nTravelToPeakMicrons = travelCounts * CImpactRecord::kMicronsPerCount;
    measures.m_nWorkMicroJ = workKdynCounts * CImpactRecord::kMicronsPerCount *
                             CImpactMeasures::kMicroJoulePerKdynMicron;
    const double netMicrons =
        (double(samples.Position(peak)) - double(samples.Position(reference))) *
        CImpactRecord::kMicronsPerCount;
    if (netMicrons >= 0)
        measures.m_nDispAtPeakMicrons = CImpactRecord::TruncToInt(netMicrons);
    if (measures.m_nTimeToPeakMs && *measures.m_nTimeToPeakMs > 0)
        measures.m_nMeanVelocityMmPerS = netMicrons / *measures.m_nTimeToPeakMs;
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
    measures.m_nPeakTimeMs = samples.SpanMs(0, peak);
    if (integralKnown)
        measures.m_nForceTimeIntegralKdynMs = integral;

    const qsizetype downCount = qMin(record.m_arrDispDown.size(), record.m_arrForceDown.size());
    const std::optional<qsizetype> reference = ContactReference(record, downCount);
    if (reference && peak >= *reference)
        MeasureFromContact(samples, *reference, peak, measures);
    return measures;
}

const QList<CImpactMeasures::Field>& CImpactMeasures::Fields()
{
    using M = CImpactMeasures;
    static const QList<Field> fields = {
        {"peakForceKdyn", "Peak_force", "Peak Force (K dynes)", "K dynes", 1,
         "The largest force sample of either stroke.",
         [](const M& m) { return m.m_nPeakForceKdyn; }},
        {"peakTimeMs", "Peak_force_time", "Peak Force Time (ms)", "ms", 3,
         "Time from the first down-stroke sample to the first sample holding the peak force.",
         [](const M& m) { return m.m_nPeakTimeMs; }},
        {"timeToPeakMs", "Contact_to_peak_time", "Time to Peak Force (ms)", "ms", 3,
         "Time from contact (the last sample before the force first reaches 20 K dynes) to the "
         "peak force.",
         [](const M& m) { return m.m_nTimeToPeakMs; }},
        {"dispAtPeakMicrons", "Displacement_at_peak", "Displacement at Peak (microns)", "microns",
         0,
         "Cord compression: the probe's position at the peak force less its position at "
         "contact, truncated to whole microns.",
         [](const M& m) {
             return m.m_nDispAtPeakMicrons ? std::optional<double>(*m.m_nDispAtPeakMicrons)
                                           : std::nullopt;
         }},
        {"travelToPeakMicrons", "Contact_to_peak_travel", "Travel to Peak (microns)", "microns", 1,
         "The path the probe moved from contact to the peak force, every step counted.",
         [](const M& m) { return m.m_nTravelToPeakMicrons; }},
        {"forceTimeIntegralKdynMs", "Impulse", "Force-Time Integral (K dyne ms)", "K dyne ms", 2,
         "Impulse: each sample's force times its time step, summed over both strokes.",
         [](const M& m) { return m.m_nForceTimeIntegralKdynMs; }},
        {"workMicroJ", "Work_to_peak", "Work to Peak (uJ)", "uJ", 3,
         "Work done on the cord: the force-displacement integral from contact to the peak force "
         "by trapezoids; 1 K dyne x 1 micron = 0.01 microjoule.",
         [](const M& m) { return m.m_nWorkMicroJ; }},
        {"meanVelocityMmPerS", "Contact_to_peak_velocity", "Mean Velocity to Peak (mm/s)", "mm/s",
         1, "Displacement at the peak force over the time from contact to it.",
         [](const M& m) { return m.m_nMeanVelocityMmPerS; }},
    };
    return fields;
}

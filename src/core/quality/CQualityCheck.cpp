#include "core/quality/CQualityCheck.h"

#include "core/record/CImpactMeasures.h"
#include "core/record/CImpactRecord.h"

namespace {

constexpr qint64 kTenthsPerKdyn = 10;

}  // namespace

std::optional<CQualityVerdict> CQualityCheck::Judge(const CImpactRecord& record,
                                                    const CQualityThresholds& thresholds)
{
    if (!record.m_bDataPresent)
        return std::nullopt;
    using Flag = CQualityVerdict::Flag;
    CQualityVerdict verdict;
    if (ForceOffTarget(record, thresholds))
        verdict.Add(Flag::ForceOffTarget);
    if (VelocityOffTarget(record, thresholds))
        verdict.Add(Flag::VelocityOffTarget);
    if (EarlyContact(record, thresholds))
        verdict.Add(Flag::EarlyContact);
    if (SecondHit(record, thresholds))
        verdict.Add(Flag::SecondHit);
    if (BoneContact(record, thresholds))
        verdict.Add(Flag::BoneContact);
    if (record.m_arrDispDown.size() < thresholds.m_nMinDownSamples)
        verdict.Add(Flag::TooFewSamples);
    return verdict;
}

bool CQualityCheck::ForceOffTarget(const CImpactRecord& record, const CQualityThresholds& limits)
{
    const qint64 difference = qAbs(qint64(record.m_nActualForce) - record.m_nDesiredForce);
    return difference > limits.m_nForceToleranceKdyn;
}

// A slow impact moves the probe a count or less over the span the velocity
// is taken from; a difference that small is the measurement's grain, not the
// drive's error.
bool CQualityCheck::VelocityOffTarget(const CImpactRecord& record, const CQualityThresholds& limits)
{
    const double resolution = CImpactRecord::VelocityResolution(record.m_arrDispDown.size());
    const qint64 desired = record.m_nDesiredVelocity;
    if (resolution <= 0 || desired <= 0)
        return false;
    const qint64 difference = qAbs(qint64(record.m_nActualVelocity) - desired);
    return difference * 100 > limits.m_nVelocityTolerancePercent * desired &&
           double(difference) > resolution;
}

bool CQualityCheck::EarlyContact(const CImpactRecord& record, const CQualityThresholds& limits)
{
    return !record.m_arrForceDown.isEmpty() &&
           record.m_arrForceDown.constFirst() >= limits.m_nContactForceKdyn * kTenthsPerKdyn;
}

bool CQualityCheck::SecondHit(const CImpactRecord& record, const CQualityThresholds& limits)
{
    return SecondHitSample(record, limits).has_value();
}

std::optional<qsizetype> CQualityCheck::SecondHitSample(const CImpactRecord& record,
                                                        const CQualityThresholds& limits)
{
    const qint64 allowedRise = limits.m_nSecondHitRiseKdyn * kTenthsPerKdyn;
    qint64 lowest = -1;
    for (qsizetype i = 0; i < record.m_arrForceUp.size(); ++i) {
        const quint32 force = record.m_arrForceUp[i];
        if (lowest >= 0 && qint64(force) - lowest > allowedRise)
            return i;
        if (lowest < 0 || force < lowest)
            lowest = force;
    }
    return std::nullopt;
}

bool CQualityCheck::BoneContact(const CImpactRecord& record, const CQualityThresholds& limits)
{
    const std::optional<int> travel = CImpactMeasures::Of(record).m_nDispAtPeakMicrons;
    return travel && *travel < limits.m_nBoneDisplacementMicrons;
}

#pragma once

#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"

#include <optional>

class CImpactRecord;

// The quality checks of one impact, from its record alone, so the window,
// zentak-cli and a study's summary judge it the same way:
//
//   force off target     |actual force - desired force| > the force tolerance
//   velocity off target  |actual - desired velocity| > the tolerance, in percent of
//                        the desired velocity, and more than the finest difference
//                        the derived velocity can tell; only where a velocity was
//                        derived (a down stroke of 6 samples or more) and asked for
//   early contact        the first down-stroke force sample is at or above the
//                        early-contact force
//   second hit           on the up stroke the force rises above the lowest force
//                        before it by more than the second-hit rise
//   bone contact         the probe's travel from contact to the peak force is less
//                        than the bone displacement (CImpactMeasures)
//   too few samples      the down stroke holds fewer samples than the minimum
class CQualityCheck
{
public:
    // Empty for a record without data: there is no impact to judge.
    static std::optional<CQualityVerdict> Judge(const CImpactRecord& record,
                                                const CQualityThresholds& thresholds);
    // The up-stroke sample where the force first rose too far above the
    // lowest before it: where a second hit shows.
    static std::optional<qsizetype> SecondHitSample(const CImpactRecord& record,
                                                    const CQualityThresholds& limits);

private:
    static bool ForceOffTarget(const CImpactRecord& record, const CQualityThresholds& limits);
    static bool VelocityOffTarget(const CImpactRecord& record, const CQualityThresholds& limits);
    static bool EarlyContact(const CImpactRecord& record, const CQualityThresholds& limits);
    static bool SecondHit(const CImpactRecord& record, const CQualityThresholds& limits);
    static bool BoneContact(const CImpactRecord& record, const CQualityThresholds& limits);
};

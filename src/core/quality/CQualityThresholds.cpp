#include "core/quality/CQualityThresholds.h"

const QList<CQualityThresholds::Field>& CQualityThresholds::Fields()
{
    using T = CQualityThresholds;
    static const QList<Field> fields = {
        {&T::m_nForceToleranceKdyn, "forceToleranceKdyn",
         "Force off target: differs from desired by more than", "K dynes", 0, 1000},
        {&T::m_nVelocityTolerancePercent, "velocityTolerancePercent",
         "Velocity off target: differs from desired by more than", "%", 0, 100},
        {&T::m_nContactForceKdyn, "earlyContactForceKdyn",
         "Early contact: first down-stroke force at least", "K dynes", 1, 1000},
        {&T::m_nSecondHitRiseKdyn, "secondHitRiseKdyn",
         "Second hit: up-stroke force rises again by more than", "K dynes", 0, 1000},
        {&T::m_nBoneDisplacementMicrons, "boneDisplacementMicrons",
         "Bone contact: travel from contact to peak force under", "microns", 0, 4000},
        {&T::m_nMinDownSamples, "minDownSamples", "Too few samples: down stroke holds fewer than",
         "samples", 6, 1000},
    };
    return fields;
}

void CQualityThresholds::Clamp()
{
    const CQualityThresholds defaults;
    for (const Field& field : Fields()) {
        int& value = this->*field.member;
        if (value < field.min || value > field.max)
            value = defaults.*field.member;
    }
}

#pragma once

#include "core/record/CImpactRecord.h"
#include "core/simulator/CImpactModel.h"

#include <QRandomGenerator>

// A down stroke of 20 release-4 samples: the probe descends 5 counts a
// sample from 1000; the force stays at 50 for five samples, then climbs.
// An up stroke of 10 samples withdraws it again.
inline void FillImpact(CImpactRecord& record)
{
    record.m_nFirmwareRelease = 4;
    for (quint32 i = 0; i < 20; ++i) {
        record.m_arrDispDown.append(1000 + 5 * i);
        record.m_arrForceDown.append(i < 5 ? 50 : 300 + 100 * (i - 5));
    }
    for (quint32 i = 0; i < 10; ++i) {
        record.m_arrDispUp.append(1095 - 9 * i);
        record.m_arrForceUp.append(1800 - 180 * i);
    }
    record.ComputeTraceStats();
    record.m_nActualForce = 190;
}

// The release 5 record of an impact as the simulated control box makes it,
// with the actual values derived as after a run.
inline void FillModelledImpact(CImpactRecord& record, int forceKdyn, int velocityMmPerS)
{
    CImpactModel::Settings settings;
    settings.forceTenths = 10 * forceKdyn;
    settings.velocityMmPerS = velocityMmPerS;
    QRandomGenerator rng(7);
    const CImpactModel::Result impact = CImpactModel::Run(settings, rng);
    record.m_nFirmwareRelease = 5;
    for (const CImpactSample& sample : impact.down) {
        record.m_arrDispDown.append(sample.position);
        record.m_arrForceDown.append(sample.force);
        record.m_arrStepTimeDown.append(sample.stepTime);
    }
    for (const CImpactSample& sample : impact.up) {
        record.m_arrDispUp.append(sample.position);
        record.m_arrForceUp.append(sample.force);
        record.m_arrStepTimeUp.append(sample.stepTime);
    }
    record.DeriveActualValues();
}

// A clean release-4 impact of downCount samples: the probe descends 2 counts
// a sample from 1000; the force stays at 5 K dynes for five samples, then
// climbs 10 K dynes a sample to its peak at the last one. The up stroke of
// 20 samples withdraws with the force falling by a twentieth of the peak a
// sample. Desired values equal the derived actual ones, so it passes every
// quality check.
inline CImpactRecord CleanRecord(int downCount = 40)
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 4;
    for (int i = 0; i < downCount; ++i) {
        record.m_arrDispDown.append(quint32(1000 + 2 * i));
        record.m_arrForceDown.append(i < 5 ? 50 : quint32(300 + 100 * (i - 5)));
    }
    const quint32 deepest = record.m_arrDispDown.constLast();
    const quint32 peak = record.m_arrForceDown.constLast();
    for (int j = 0; j < 20; ++j) {
        record.m_arrDispUp.append(deepest - 3 * j);
        record.m_arrForceUp.append(peak * quint32(19 - j) / 20);
    }
    record.m_bDataPresent = true;
    record.DeriveActualValues();
    record.m_nDesiredForce = record.m_nActualForce;
    record.m_nDesiredVelocity = record.m_nActualVelocity;
    return record;
}

#pragma once

#include "core/CZentakDoc.h"
#include "core/simulator/CImpactModel.h"

#include <QRandomGenerator>

// A down stroke of 20 release-4 samples: the probe descends 5 counts a
// sample from 1000; the force stays at 50 for five samples, then climbs.
// An up stroke of 10 samples withdraws it again.
inline void FillImpact(CZentakDoc& doc)
{
    doc.m_nFirmwareRelease = 4;
    for (quint32 i = 0; i < 20; ++i) {
        doc.m_arrDispDown.append(1000 + 5 * i);
        doc.m_arrForceDown.append(i < 5 ? 50 : 300 + 100 * (i - 5));
    }
    for (quint32 i = 0; i < 10; ++i) {
        doc.m_arrDispUp.append(1095 - 9 * i);
        doc.m_arrForceUp.append(1800 - 180 * i);
    }
    doc.ComputeTraceStats();
    doc.m_nActualForce = 190;
}

// The release 5 record of an impact as the simulated control box makes it,
// with the actual values derived as after a run.
inline void FillModelledImpact(CZentakDoc& doc, int forceKdyn, int velocityMmPerS)
{
    CImpactModel::Settings settings;
    settings.forceTenths = 10 * forceKdyn;
    settings.velocityMmPerS = velocityMmPerS;
    QRandomGenerator rng(7);
    const CImpactModel::Result impact = CImpactModel::Run(settings, rng);
    doc.m_nFirmwareRelease = 5;
    for (const CImpactSample& sample : impact.down) {
        doc.m_arrDispDown.append(sample.position);
        doc.m_arrForceDown.append(sample.force);
        doc.m_arrStepTimeDown.append(sample.stepTime);
    }
    for (const CImpactSample& sample : impact.up) {
        doc.m_arrDispUp.append(sample.position);
        doc.m_arrForceUp.append(sample.force);
        doc.m_arrStepTimeUp.append(sample.stepTime);
    }
    doc.DeriveActualValues();
}

#pragma once

#include "experiment/CZentakDoc.h"

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

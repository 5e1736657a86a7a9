#pragma once

#include "ImpactRecord.h"
#include "core/record/CImpactRecord.h"

#include <QString>

// Records whose traces lie inside the classic axes (30 ms, 150 counts, the
// force scale of their peak). Their pictures are kept as reference images:
// any change to how a fitting run is drawn shows up as a pixel difference.
namespace ClassicRecords {

enum class Kind { Empty, Impact, EdgesRelease5, HighForceDwell };

// A release 5 run that reaches the edges of the classic axes: 40 samples
// down and 40 up of 0.36 ms (the last at 28.44 ms), 150 counts of travel,
// the force from 5 K dynes to peakTenths / 10.
inline void FillEdges(CImpactRecord& record, quint32 peakTenths)
{
    record.m_nFirmwareRelease = 5;
    for (quint32 i = 0; i < 40; ++i) {
        record.m_arrDispDown.append(300 + (150 * i) / 39);
        record.m_arrForceDown.append(i < 8 ? 50 : 50 + ((peakTenths - 50) * (i - 7)) / 32);
        record.m_arrStepTimeDown.append(6000);
        record.m_arrDispUp.append(450 - (150 * i) / 39);
        record.m_arrForceUp.append(((peakTenths * 8 / 10) * (39 - i)) / 39);
        record.m_arrStepTimeUp.append(6000);
    }
    record.ComputeTraceStats();
    record.m_nActualForce = int(peakTenths / 10);
}

// Fills the record; false when the picture has no data to draw.
inline bool Fill(CImpactRecord& record, Kind kind)
{
    switch (kind) {
    case Kind::Empty:
        FillImpact(record);
        return false;
    case Kind::Impact:
        FillImpact(record);
        return true;
    case Kind::EdgesRelease5:
        FillEdges(record, 2550);
        return true;
    case Kind::HighForceDwell:
        FillEdges(record, 5500);
        record.m_nDesiredDwell = 1;
        return true;
    }
    return false;
}

}  // namespace ClassicRecords

#pragma once

#include "ImpactRecord.h"
#include "core/CZentakDoc.h"

#include <QString>

// Records whose traces lie inside the classic axes (30 ms, 150 counts, the
// force scale of their peak). Their pictures are kept as reference images:
// any change to how a fitting run is drawn shows up as a pixel difference.
namespace ClassicRecords {

enum class Kind { Empty, Impact, EdgesRelease5, HighForceDwell };

// A release 5 run that reaches the edges of the classic axes: 40 samples
// down and 40 up of 0.36 ms (the last at 28.44 ms), 150 counts of travel,
// the force from 5 K dynes to peakTenths / 10.
inline void FillEdges(CZentakDoc& doc, quint32 peakTenths)
{
    doc.m_nFirmwareRelease = 5;
    for (quint32 i = 0; i < 40; ++i) {
        doc.m_arrDispDown.append(300 + (150 * i) / 39);
        doc.m_arrForceDown.append(i < 8 ? 50 : 50 + ((peakTenths - 50) * (i - 7)) / 32);
        doc.m_arrStepTimeDown.append(6000);
        doc.m_arrDispUp.append(450 - (150 * i) / 39);
        doc.m_arrForceUp.append(((peakTenths * 8 / 10) * (39 - i)) / 39);
        doc.m_arrStepTimeUp.append(6000);
    }
    doc.ComputeTraceStats();
    doc.m_nActualForce = int(peakTenths / 10);
}

// Fills the record; false when the picture has no data to draw.
inline bool Fill(CZentakDoc& doc, Kind kind)
{
    switch (kind) {
    case Kind::Empty:
        FillImpact(doc);
        return false;
    case Kind::Impact:
        FillImpact(doc);
        return true;
    case Kind::EdgesRelease5:
        FillEdges(doc, 2550);
        return true;
    case Kind::HighForceDwell:
        FillEdges(doc, 5500);
        doc.m_nDesiredDwell = 1;
        return true;
    }
    return false;
}

}  // namespace ClassicRecords

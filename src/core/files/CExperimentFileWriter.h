#pragma once

#include <QByteArray>

class CImpactRecord;

// The ".exp" text of a record, as saved files and run log entries have it:
// 8-bit text, CR LF, the fixed pieces below, no line break after the end
// marker. Value lines are written only when the record's data is present,
// time-per-step sections only for release 5 data.
class CExperimentFileWriter
{
public:
    // The header's title (" v5.0" follows; release 4 files lack it) and the
    // end marker, by which readers find where a record begins and ends.
    static constexpr char kTitle[] = "ZR Spinal Cord Impactor Experiment File";
    static constexpr char kEndMarker[] = "-----End of File-----";

    // The header, the values and the trace sections. Each section holds the
    // values its array has, never more: after loading a hand-edited file the
    // arrays of a stroke may differ in length.
    static QByteArray ValuesAndTraces(const CImpactRecord& record);
    // The comments section and the end marker. A save lets the views store
    // their fields between the two pieces: the comments written are those
    // the views hold, the values above them are not.
    static QByteArray Comments(const CImpactRecord& record);
    // Both pieces of one record, as a run log entry holds them.
    static QByteArray Text(const CImpactRecord& record);
};

#pragma once

#include <QByteArray>

class CImpactRecord;

// The traces in physical units as comma-separated text: a displacement table
// (microns above the deepest point) and a force table (K dynes), each with
// the down stroke's rows followed by the up stroke's, every row "%d," and
// "%.3f\r\n" in milliseconds. Without data present only the two headers.
class CCsvExport
{
public:
    static constexpr double kMicronsPerCount = 17.6389;
    // A step-time count is 60 ns: ms = (count x 60.0) x 1e-6, in that order.
    static constexpr double kNsPerStepCount = 60.0;
    static constexpr double kMsPerNs = 1e-6;

    // Release 5 times run on from the step-time counts. A row whose time is
    // not known (its stroke's step-time array ends before its value array,
    // possible only in a hand-edited file) keeps its value and has an empty
    // time field, as have the rows after it in that table: no time is made up.
    static QByteArray Text(const CImpactRecord& record);
};

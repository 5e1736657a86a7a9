#pragma once

#include <QtGlobal>

#include <optional>

class CImpactRecord;

// What a study reports of an impact beyond the actual values, derived from
// the traces alone. Each is empty where the record cannot give it.
//
// Contact is the record's own: the last down-stroke sample before the force
// first reaches the contact force, the point the actual displacement is
// measured from; a record whose first sample is already past it has none.
// The peak is the first sample, down stroke then up stroke, that holds the
// largest force. A sample's time is the running time before its own step
// (0.36 ms a sample for release 4, its step count otherwise), the up stroke
// continuing the down stroke's time as the graph draws it.
class CImpactMeasures
{
public:
    static CImpactMeasures Of(const CImpactRecord& record);

    // The largest force sample, in K dynes to a tenth.
    std::optional<double> m_nPeakForceKdyn;
    // From contact to the peak.
    std::optional<double> m_nTimeToPeakMs;
    // The probe's travel from contact to the peak, truncated to whole
    // microns as the actual displacement is.
    std::optional<int> m_nDispAtPeakMicrons;
    // Each sample's force times its step, summed over both strokes (the
    // unsampled dwell adds nothing).
    std::optional<double> m_nForceTimeIntegralKdynMs;
};

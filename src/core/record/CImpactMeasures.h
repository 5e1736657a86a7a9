#pragma once

#include <QList>
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

    // One measure as every table of a study names, words and rounds it.
    struct Field {
        const char* key;       // in JSON
        const char* variable;  // the column of a shared dataset
        const char* title;     // the column of a summary, with its unit
        const char* unit;
        int decimals;
        const char* definition;
        std::optional<double> (*value)(const CImpactMeasures&);
    };
    static const QList<Field>& Fields();

    // 1 K dyne x 1 micron = 0.01 N x 1e-6 m = 1e-8 J = 0.01 microjoule.
    static constexpr double kMicroJoulePerKdynMicron = 0.01;

    // The largest force sample, in K dynes to a tenth.
    std::optional<double> m_nPeakForceKdyn;
    // From the first down-stroke sample to the peak.
    std::optional<double> m_nPeakTimeMs;
    // From contact to the peak.
    std::optional<double> m_nTimeToPeakMs;
    // The probe's travel from contact to the peak, truncated to whole
    // microns as the actual displacement is.
    std::optional<int> m_nDispAtPeakMicrons;
    // The path the probe moved from contact to the peak, every step counted
    // whichever way it went.
    std::optional<double> m_nTravelToPeakMicrons;
    // Each sample's force times its step, summed over both strokes (the
    // unsampled dwell adds nothing).
    std::optional<double> m_nForceTimeIntegralKdynMs;
    // The force-displacement integral from contact to the peak, each step
    // by the mean of its two forces (trapezoids).
    std::optional<double> m_nWorkMicroJ;
    // The untruncated displacement at the peak over the time to it.
    std::optional<double> m_nMeanVelocityMmPerS;
};

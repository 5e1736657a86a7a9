#pragma once

#include <QList>
#include <QtGlobal>

class QRandomGenerator;

// One sample as the control box prints it: position in counts of
// 17.63889 microns (rising as the probe descends), force in tenths of a
// K dyne, and the duration of the sample step in counts of 60 ns.
struct CImpactSample {
    quint32 position = 0;
    quint32 force = 0;
    quint32 stepTime = 0;
    bool operator==(const CImpactSample&) const = default;
};

// The physics of one impact in force mode: the probe starts clear of the
// cord, travels at the set velocity, meets the cord, loads it until the
// measured force reaches the set peak, holds for the dwell, and withdraws
// at the same velocity to its start. Samples are taken every 0.36 ms with a
// little seeded jitter and sensor noise.
//
// The mishaps a study excludes an impact for can be switched on: a second
// strike on the way back, bone close under the cord, a probe that starts on
// the tissue, a drive that stops late or runs slow. Without them the same
// seed gives the same samples as it always did.
class CImpactModel
{
public:
    static constexpr double kSampleMs = 0.36;
    static constexpr quint32 kStepCountsPerSample = 6000;  // 0.36 ms in 60 ns counts
    static constexpr double kMicronsPerCount = 17.63889;
    static constexpr quint32 kRestCount = 250;               // encoder at the start position
    static constexpr qsizetype kMaxSamplesPerStroke = 1000;  // the box's sample memory
    static constexpr double kMaxTravelMicrons = 4000;
    static constexpr int kMinVelocity = 1;  // mm/s; the drive cannot stand still
    static constexpr int kMaxVelocity = 100;

    struct Settings {
        int forceTenths = 1000;
        int velocityMmPerS = 100;
        int dwellS = 0;
        double gapMicrons = 1000;
        // On the way back the probe withdraws kBounceMicrons, strikes again
        // to within kBounceShortfallMicrons of its deepest point, then withdraws.
        bool secondHit = false;
        // Bone kBoneDepthMicrons under the cord's surface: a stiff load.
        bool bone = false;
        // The probe starts kPreloadMicrons pressed into the cord.
        bool earlyContact = false;
        // The drive stops kOvershootMicrons after the force reached the set peak.
        bool overshoot = false;
        // The drive reaches only kSlowDriveRatio of the set velocity.
        bool slowDrive = false;
    };

    static constexpr double kBounceMicrons = 150;
    static constexpr double kBounceShortfallMicrons = 10;
    static constexpr double kBoneDepthMicrons = 150;
    static constexpr double kBoneKdynPerMicron = 2.0;
    static constexpr double kPreloadMicrons = 500;  // about 30 K dynes
    static constexpr double kOvershootMicrons = 250;
    static constexpr double kSlowDriveRatio = 0.8;

    struct Result {
        QList<CImpactSample> down;
        QList<CImpactSample> up;
        qint64 durationMs = 0;  // from the go-ahead until the probe is back
    };

    static Result Run(const Settings& settings, QRandomGenerator& rng);

    // Force of the cord, in K dynes, pressed in by the given depth: a little
    // stiffer the deeper it goes (100 K dynes at 1000 microns).
    static double CordForceKdyn(double depthMicrons);

private:
    // Force on the probe, in K dynes, at the given depth below the cord's
    // surface: the cord's, plus the bone's once the probe reaches it.
    static double LoadKdyn(double depthMicrons, const Settings& settings);
    // Where the probe is after travelling the given distance along the path
    // through the given positions.
    static double PathPosition(const QList<double>& path, double travelledMicrons);
    static QList<double> UpStrokePath(double deepest, const Settings& settings);
    static CImpactSample Sample(double positionMicrons, double forceTenths, QRandomGenerator& rng);
};

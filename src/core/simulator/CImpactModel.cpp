#include "core/simulator/CImpactModel.h"

#include <QRandomGenerator>

#include <cmath>

namespace {

constexpr double kLinearKdynPerMicron = 0.02;
constexpr double kQuadraticKdynPerMicron2 = 0.00008;
constexpr int kForceNoiseTenths = 3;
constexpr int kStepJitterCounts = 12;
// The cord gives way a little while it is held and on the way back.
constexpr double kRecoveryWithoutHold = 0.8;
constexpr double kRecoveryAfterHold = 0.7;
constexpr double kStepMsPerCount = 60e-6;

int Jitter(QRandomGenerator& rng, int amplitude)
{
    return rng.bounded(2 * amplitude + 1) - amplitude;
}

}  // namespace

double CImpactModel::CordForceKdyn(double depthMicrons)
{
    if (depthMicrons <= 0)
        return 0;
    return kLinearKdynPerMicron * depthMicrons +
           kQuadraticKdynPerMicron2 * depthMicrons * depthMicrons;
}

CImpactSample CImpactModel::Sample(double positionMicrons, double forceTenths,
                                   QRandomGenerator& rng)
{
    CImpactSample sample;
    sample.position =
        kRestCount + quint32(std::floor(qMax(0.0, positionMicrons) / kMicronsPerCount));
    sample.force = quint32(qMax(0.0, std::round(forceTenths + Jitter(rng, kForceNoiseTenths))));
    sample.stepTime = quint32(int(kStepCountsPerSample) + Jitter(rng, kStepJitterCounts));
    return sample;
}

CImpactModel::Result CImpactModel::Run(const Settings& settings, QRandomGenerator& rng)
{
    const double micronsPerMs = qBound(kMinVelocity, settings.velocityMmPerS, kMaxVelocity);
    const double gap = qMax(0.0, settings.gapMicrons);
    Result result;

    double elapsedMs = 0;
    double position = 0;
    for (;;) {
        const double force = 10 * CordForceKdyn(position - gap);
        const CImpactSample sample = Sample(position, force, rng);
        result.down.append(sample);
        if (int(sample.force) >= settings.forceTenths || position >= kMaxTravelMicrons)
            break;
        elapsedMs += sample.stepTime * kStepMsPerCount;
        position = micronsPerMs * elapsedMs;
    }
    const double deepest = position;
    // The box keeps the latest samples before the peak, where the impact is.
    if (result.down.size() > kMaxSamplesPerStroke)
        result.down = result.down.last(kMaxSamplesPerStroke);

    const double recovery = settings.dwellS > 0 ? kRecoveryAfterHold : kRecoveryWithoutHold;
    double upMs = 0;
    for (position = deepest; result.up.size() < kMaxSamplesPerStroke;) {
        const double force = 10 * recovery * CordForceKdyn(position - gap);
        const CImpactSample sample = Sample(position, force, rng);
        result.up.append(sample);
        if (position <= 0)
            break;
        upMs += sample.stepTime * kStepMsPerCount;
        position = qMax(0.0, deepest - micronsPerMs * upMs);
    }
    // The stroke back to the start goes on after the memory is full.
    const double returnMs = deepest / micronsPerMs;
    result.durationMs = qint64(std::ceil(elapsedMs + 1000.0 * qMax(0, settings.dwellS) + returnMs));
    return result;
}

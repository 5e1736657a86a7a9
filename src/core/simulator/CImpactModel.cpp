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

double CImpactModel::LoadKdyn(double depthMicrons, const Settings& settings)
{
    if (!settings.bone || depthMicrons <= kBoneDepthMicrons)
        return CordForceKdyn(depthMicrons);
    return CordForceKdyn(depthMicrons) + kBoneKdynPerMicron * (depthMicrons - kBoneDepthMicrons);
}

QList<double> CImpactModel::UpStrokePath(double deepest, const Settings& settings)
{
    const QList<double> straight = {deepest, 0.0};
    if (!settings.secondHit)
        return straight;
    const double top = qMax(0.0, deepest - kBounceMicrons);
    const double bottom = deepest - kBounceShortfallMicrons;
    if (bottom <= top)
        return straight;
    return {deepest, top, bottom, 0.0};
}

double CImpactModel::PathPosition(const QList<double>& path, double travelledMicrons)
{
    for (qsizetype i = 1; i < path.size(); ++i) {
        const double from = path[i - 1];
        const double to = path[i];
        const double length = std::abs(to - from);
        if (travelledMicrons <= length)
            return to > from ? from + travelledMicrons : from - travelledMicrons;
        travelledMicrons -= length;
    }
    return path.constLast();
}

CImpactModel::Result CImpactModel::Run(const Settings& settings, QRandomGenerator& rng)
{
    double micronsPerMs = qBound(kMinVelocity, settings.velocityMmPerS, kMaxVelocity);
    if (settings.slowDrive)
        micronsPerMs *= kSlowDriveRatio;
    const double gap = settings.earlyContact ? -kPreloadMicrons : qMax(0.0, settings.gapMicrons);
    Result result;

    double elapsedMs = 0;
    double position = 0;
    double stopAt = -1;  // where a drive that stops late comes to rest
    for (;;) {
        const double force = 10 * LoadKdyn(position - gap, settings);
        const CImpactSample sample = Sample(position, force, rng);
        result.down.append(sample);
        if (position >= kMaxTravelMicrons)
            break;
        if (int(sample.force) >= settings.forceTenths) {
            if (!settings.overshoot)
                break;
            if (stopAt < 0)
                stopAt = position + kOvershootMicrons;
        }
        if (stopAt >= 0 && position >= stopAt)
            break;
        elapsedMs += sample.stepTime * kStepMsPerCount;
        position = micronsPerMs * elapsedMs;
    }
    const double deepest = position;
    // The box keeps the latest samples before the peak, where the impact is.
    if (result.down.size() > kMaxSamplesPerStroke)
        result.down = result.down.last(kMaxSamplesPerStroke);

    const double recovery = settings.dwellS > 0 ? kRecoveryAfterHold : kRecoveryWithoutHold;
    const QList<double> path = UpStrokePath(deepest, settings);
    double pathMicrons = 0;
    for (qsizetype i = 1; i < path.size(); ++i)
        pathMicrons += std::abs(path[i] - path[i - 1]);
    double upMs = 0;
    for (double travelled = 0; result.up.size() < kMaxSamplesPerStroke;) {
        position = PathPosition(path, travelled);
        const double force = 10 * recovery * LoadKdyn(position - gap, settings);
        const CImpactSample sample = Sample(position, force, rng);
        result.up.append(sample);
        if (travelled >= pathMicrons)
            break;
        upMs += sample.stepTime * kStepMsPerCount;
        travelled = micronsPerMs * upMs;
    }
    // The stroke back to the start goes on after the memory is full.
    const double returnMs = pathMicrons / micronsPerMs;
    result.durationMs = qint64(std::ceil(elapsedMs + 1000.0 * qMax(0, settings.dwellS) + returnMs));
    return result;
}

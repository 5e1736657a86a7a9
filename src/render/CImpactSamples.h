#pragma once

#include <QList>
#include <QtGlobal>

class CImpactRecord;

// The samples of an impact in the units a person reads: time from the first
// sample in ms (the up stroke continuing the down stroke, as the graphs draw
// it), probe travel from its highest point in microns, force in K dynes.
// Only what the graphs draw is listed: the up stroke not at all when the
// record had a dwell.
class CImpactSamples
{
public:
    enum class Stroke { Down, Up };

    struct Sample {
        double timeMs;
        double dispMicrons;
        double forceKdyn;
        Stroke stroke;
        qsizetype row;  // index within its stroke
    };

    static CImpactSamples Of(const CImpactRecord& record);
    // Samples given by value, as a mean trace is; listed as one stroke.
    static CImpactSamples FromSeries(const QList<double>& timeMs, const QList<double>& dispMicrons,
                                     const QList<double>& forceKdyn);

    const QList<Sample>& All() const { return m_samples; }
    qsizetype DownCount() const { return m_nDownCount; }
    qsizetype UpCount() const { return m_samples.size() - m_nDownCount; }
    // The sample of a stroke's row, or null past its end.
    const Sample* At(Stroke stroke, qsizetype row) const;
    // The sample whose time is nearest timeMs; -1 when there are none.
    qsizetype NearestTo(double timeMs) const;
    double LastTimeMs() const { return m_samples.isEmpty() ? 0 : m_samples.constLast().timeMs; }

private:
    void AppendStroke(const CImpactRecord& record, Stroke stroke, float& timeMs);

    QList<Sample> m_samples;
    qsizetype m_nDownCount = 0;
};

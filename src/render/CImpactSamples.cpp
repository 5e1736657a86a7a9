#include "render/CImpactSamples.h"

#include "core/record/CImpactRecord.h"
#include "render/CGraphAxes.h"

#include <algorithm>

CImpactSamples CImpactSamples::Of(const CImpactRecord& record)
{
    CImpactSamples samples;
    if (!record.m_bDataPresent)
        return samples;
    float timeMs = 0;  // single precision, as the classic graph keeps it
    samples.AppendStroke(record, Stroke::Down, timeMs);
    samples.m_nDownCount = samples.m_samples.size();
    if (CGraphAxes::UpStrokeDrawn(record))
        samples.AppendStroke(record, Stroke::Up, timeMs);
    return samples;
}

CImpactSamples CImpactSamples::FromSeries(const QList<double>& timeMs,
                                          const QList<double>& dispMicrons,
                                          const QList<double>& forceKdyn)
{
    CImpactSamples samples;
    const qsizetype count = std::min({timeMs.size(), dispMicrons.size(), forceKdyn.size()});
    for (qsizetype i = 0; i < count; ++i)
        samples.m_samples.append({timeMs[i], dispMicrons[i], forceKdyn[i], Stroke::Down, i});
    samples.m_nDownCount = count;
    return samples;
}

void CImpactSamples::AppendStroke(const CImpactRecord& record, Stroke stroke, float& timeMs)
{
    const bool down = stroke == Stroke::Down;
    const QList<quint32>& disp = down ? record.m_arrDispDown : record.m_arrDispUp;
    const QList<quint32>& force = down ? record.m_arrForceDown : record.m_arrForceUp;
    const QList<quint32>& steps = down ? record.m_arrStepTimeDown : record.m_arrStepTimeUp;
    const qsizetype count =
        std::min(CGraphAxes::TimedCount(record, disp.size(), steps), force.size());
    for (qsizetype i = 0; i < count; ++i) {
        const double travel = double(qint32(disp[i] - record.m_nDispMin));
        m_samples.append(
            {double(timeMs), travel * CImpactRecord::kMicronsPerCount, force[i] / 10.0, stroke, i});
        timeMs += CGraphAxes::StepMs(record, steps, i);
    }
}

const CImpactSamples::Sample* CImpactSamples::At(Stroke stroke, qsizetype row) const
{
    const qsizetype index = stroke == Stroke::Down ? row : m_nDownCount + row;
    const qsizetype end = stroke == Stroke::Down ? m_nDownCount : m_samples.size();
    return row >= 0 && index < end ? &m_samples[index] : nullptr;
}

qsizetype CImpactSamples::NearestTo(double timeMs) const
{
    if (m_samples.isEmpty())
        return -1;
    const auto after =
        std::lower_bound(m_samples.cbegin(), m_samples.cend(), timeMs,
                         [](const Sample& sample, double time) { return sample.timeMs < time; });
    const qsizetype index = after - m_samples.cbegin();
    if (index == 0)
        return 0;
    if (index == m_samples.size())
        return index - 1;
    return timeMs - m_samples[index - 1].timeMs <= m_samples[index].timeMs - timeMs ? index - 1
                                                                                    : index;
}

#include "core/files/CCsvExport.h"

#include "core/record/CImpactRecord.h"

#include <charconv>
#include <functional>

namespace {

constexpr char kDisplacementHeader[] = "Displacement (microns),Time (ms)\r\n";
constexpr char kForceHeader[] = "Force (K dynes),Time (ms)\r\n";
constexpr qsizetype kBytesPerRow = 16;

using ValueOf = std::function<int(quint32 sample)>;

struct Stroke {
    const CUIntArray& values;
    const CUIntArray& stepTimes;
};

// "%d," then "%.3f\r\n", in the C locale whatever the user's locale is.
void AppendRow(QByteArray& out, int value, const double* timeMs)
{
    char text[400];  // room for any double in "%.3f"
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr - text);
    out += ',';
    if (timeMs) {
        const auto time =
            std::to_chars(text, text + sizeof text, *timeMs, std::chars_format::fixed, 3);
        out.append(text, time.ptr - text);
    }
    out += "\r\n";
}

// The running time is kept in single precision, as release 5 exports always
// were: each row adds its double increment to it and prints that sum.
void AppendRelease5Rows(QByteArray& out, const Stroke (&strokes)[2], const ValueOf& valueOf)
{
    float runningMs = 0.0f;
    bool timeKnown = true;
    for (const Stroke& stroke : strokes) {
        for (qsizetype i = 0; i < stroke.values.size(); ++i) {
            timeKnown = timeKnown && i < stroke.stepTimes.size();
            if (!timeKnown) {
                AppendRow(out, valueOf(stroke.values[i]), nullptr);
                continue;
            }
            // Multiplying by a folded 60e-6 differs in the last bit and can
            // round a printed time down (a count of 6275 gives 0.376, not 0.377).
            const double stepMs =
                double(stroke.stepTimes[i]) * CCsvExport::kNsPerStepCount * CCsvExport::kMsPerNs;
            const double timeMs = double(runningMs) + stepMs;
            AppendRow(out, valueOf(stroke.values[i]), &timeMs);
            runningMs = float(timeMs);
        }
    }
}

void AppendFixedPeriodRows(QByteArray& out, const Stroke (&strokes)[2], const ValueOf& valueOf)
{
    for (const Stroke& stroke : strokes) {
        for (qsizetype i = 0; i < stroke.values.size(); ++i) {
            const double timeMs = double(i) * CImpactRecord::kRelease4SampleMs;
            AppendRow(out, valueOf(stroke.values[i]), &timeMs);
        }
    }
}

void AppendTable(QByteArray& out, const char* header, const CImpactRecord& record,
                 const Stroke (&strokes)[2], const ValueOf& valueOf)
{
    out += header;
    if (!record.m_bDataPresent)
        return;
    if (record.m_nFirmwareRelease == 5)
        AppendRelease5Rows(out, strokes, valueOf);
    else
        AppendFixedPeriodRows(out, strokes, valueOf);
}

}  // namespace

QByteArray CCsvExport::Text(const CImpactRecord& record)
{
    const quint32 deepest = record.m_nDispMax;
    // Height above the deepest point; never below it once the statistics are current.
    const ValueOf micronsAboveDeepest = [deepest](quint32 sample) {
        const quint32 counts = deepest >= sample ? deepest - sample : 0;
        return CImpactRecord::TruncToInt(counts * kMicronsPerCount);
    };
    const ValueOf kDynes = [](quint32 sample) { return int(sample / 10); };

    QByteArray out;
    out.reserve(64 + kBytesPerRow * (record.m_arrDispDown.size() + record.m_arrDispUp.size() +
                                     record.m_arrForceDown.size() + record.m_arrForceUp.size()));
    const Stroke displacement[2] = {{record.m_arrDispDown, record.m_arrStepTimeDown},
                                    {record.m_arrDispUp, record.m_arrStepTimeUp}};
    const Stroke force[2] = {{record.m_arrForceDown, record.m_arrStepTimeDown},
                             {record.m_arrForceUp, record.m_arrStepTimeUp}};
    AppendTable(out, kDisplacementHeader, record, displacement, micronsAboveDeepest);
    AppendTable(out, kForceHeader, record, force, kDynes);
    return out;
}

// One full paint of a record with 10,000 samples per stroke into a
// 1920 x 1080 image, as the screen draws it. Goal: under 30 ms.
#include "core/record/CImpactRecord.h"
#include "render/CGraphPainter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamplesPerStroke = 10000;
constexpr int kRuns = 50;

// A probe that descends 150 counts with the force rising to 250 K dynes,
// then withdraws; stepCount 0 means release 4 timing (0.36 ms a sample).
void FillRecord(CImpactRecord& record, quint32 stepCount)
{
    record.m_nFirmwareRelease = stepCount == 0 ? 4 : 5;
    for (int i = 0; i < kSamplesPerStroke; ++i) {
        const double phase = double(i) / kSamplesPerStroke;
        record.m_arrDispDown.append(1000 + quint32(150 * phase));
        record.m_arrForceDown.append(quint32(2500 * phase * phase));
        record.m_arrDispUp.append(1150 - quint32(150 * phase));
        record.m_arrForceUp.append(quint32(2500 * (1 - phase) * (1 - phase)));
        if (stepCount != 0) {
            record.m_arrStepTimeDown.append(stepCount);
            record.m_arrStepTimeUp.append(stepCount);
        }
    }
    record.ComputeTraceStats();
    record.m_nActualForce = int(record.m_nForceMax / 10);
}

void Measure(const QString& name, quint32 stepCount)
{
    CImpactRecord record;
    FillRecord(record, stepCount);
    record.m_bDataPresent = true;
    int forceScaleStep = 0;
    QImage image(1920, 1080, QImage::Format_RGB32);

    QList<double> timesMs;
    for (int run = 0; run < kRuns + 5; ++run) {
        image.fill(Qt::white);
        QElapsedTimer timer;
        timer.start();
        {
            QPainter painter(&image);
            CGraphPainter graph(record, forceScaleStep);
            graph.SetTitles(QStringLiteral("Displacement vs. Time"),
                            QStringLiteral("Force vs. Time"));
            graph.PaintScreen(painter, image.rect());
        }
        if (run >= 5)  // the first paints load fonts and caches
            timesMs.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(timesMs.begin(), timesMs.end());
    QTextStream(stdout) << name << ": min " << QString::number(timesMs.first(), 'f', 2)
                        << " ms, median " << QString::number(timesMs.at(kRuns / 2), 'f', 2)
                        << " ms, max " << QString::number(timesMs.last(), 'f', 2) << " ms over "
                        << kRuns << " paints\n";
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    CGraphPainter::SubstituteArial();
    Measure(QStringLiteral("release 4, 3.6 s a stroke (the time axis grows to 7.2 s)"), 0);
    // 25 steps of 60 ns: both strokes within the 30 ms of the grid, every segment on the image.
    Measure(QStringLiteral("release 5, 15 ms a stroke (every segment on the image)"), 25);
    return 0;
}

// The window's graphs at 1920 x 1080 with 10,000 samples a stroke: the
// repaint after a pointer move (goal: median under 8 ms), and a whole redraw
// with 50 earlier impacts drawn behind the current one (goal: under 30 ms),
// the earlier ones of 1,000 samples a stroke (a 1 mm/s run) and of 10,000.
#include "core/quality/CQualityThresholds.h"
#include "core/record/CImpactRecord.h"
#include "gui/CImpactGraph.h"
#include "render/CGraphPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTextStream>

#include <algorithm>
#include <ctime>

namespace {

constexpr int kSamplesPerStroke = 10000;
constexpr int kRuns = 50;
constexpr int kEarlier = 50;

// A probe that descends 150 counts with the force rising to a peak, then
// withdraws, 25 steps of 60 ns a sample.
CImpactRecord MakeRecord(double peakTenths, int samplesPerStroke = kSamplesPerStroke)
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    const quint32 step = quint32(25 * kSamplesPerStroke / samplesPerStroke);
    for (int i = 0; i < samplesPerStroke; ++i) {
        const double phase = double(i) / samplesPerStroke;
        record.m_arrDispDown.append(1000 + quint32(150 * phase));
        record.m_arrForceDown.append(quint32(peakTenths * phase * phase));
        record.m_arrDispUp.append(1150 - quint32(150 * phase));
        record.m_arrForceUp.append(quint32(peakTenths * (1 - phase) * (1 - phase)));
        record.m_arrStepTimeDown.append(step);
        record.m_arrStepTimeUp.append(step);
    }
    record.ComputeTraceStats();
    record.m_nActualForce = int(record.m_nForceMax / 10);
    record.m_bDataPresent = true;
    return record;
}

void Report(const QString& name, QList<double> timesMs)
{
    std::sort(timesMs.begin(), timesMs.end());
    QTextStream(stdout) << name << ": min " << QString::number(timesMs.first(), 'f', 2)
                        << " ms, median " << QString::number(timesMs.at(timesMs.size() / 2), 'f', 2)
                        << " ms, max " << QString::number(timesMs.last(), 'f', 2) << " ms over "
                        << timesMs.size() << " paints\n";
}

// The paint the widget would get, into an image of its size.
void Paint(CImpactGraph& graph, QImage& image)
{
    graph.render(&image);
}

// One pointer move, then the paint it asks for.
double TimeMove(CImpactGraph& graph, QImage& image, int x)
{
    QElapsedTimer timer;
    timer.start();
    const QPointF at(x, graph.ForcePlot().center().y());
    QMouseEvent move(QEvent::MouseMove, at, graph.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&graph, &move);
    Paint(graph, image);
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CGraphPainter::SubstituteArial();
    CImpactGraph graph;
    graph.resize(1920, 1080);
    graph.show();
    graph.SetRecord(MakeRecord(2500), CQualityThresholds());
    QImage image(graph.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(graph, image);

    QList<double> moves;
    for (int run = 0; run < kRuns + 5; ++run) {
        const double ms = TimeMove(graph, image, 100 + 30 * run);
        if (run >= 5)
            moves.append(ms);
    }
    Report(QStringLiteral("crosshair move, 2 x 10,000 samples"), moves);
    if (graph.ReadoutSample() < 0)
        return 1;  // the pointer never met a sample: nothing was measured

    for (const int samples : {1000, kSamplesPerStroke}) {
        QList<CImpactSamples> earlier;
        for (int i = 0; i < kEarlier; ++i)
            earlier.append(CImpactSamples::Of(MakeRecord(2000 + 10 * i, samples)));
        QList<double> redraws;
        std::clock_t cpu = 0;  // the machine may be shared: the processor time tells the cost
        for (int run = 0; run < 10 + 2; ++run) {
            const std::clock_t cpuStart = std::clock();
            QElapsedTimer timer;
            timer.start();
            graph.SetComparison(earlier, {});
            Paint(graph, image);
            if (run >= 2) {
                redraws.append(timer.nsecsElapsed() / 1e6);
                cpu += std::clock() - cpuStart;
            }
        }
        QTextStream(stdout) << "  processor time a redraw: "
                            << QString::number(1000.0 * cpu / CLOCKS_PER_SEC / redraws.size(), 'f',
                                               2)
                            << " ms\n";
        Report(QStringLiteral("redraw with 50 earlier impacts of 2 x %1 samples").arg(samples),
               redraws);
    }
    return 0;
}

// Load, save and CSV export of a record with 10,000 samples per stroke.
// Goal: each under 20 ms. Run: build/bench/bench_records [repetitions]
#include "core/CZentakDoc.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSamplesPerStroke = 10000;
constexpr double kGoalMs = 20.0;

void FillRun(CZentakDoc& doc)
{
    CImpactRecord& record = doc.EditRecord();
    record.m_nFirmwareRelease = 5;
    record.m_strFirmwareVersion = QStringLiteral("R5.1");
    for (int i = 0; i < kSamplesPerStroke; ++i) {
        record.m_arrDispDown.append(quint32(20000 + i));
        record.m_arrForceDown.append(quint32(i % 2000));
        record.m_arrStepTimeDown.append(quint32(900 + i % 13));
        record.m_arrDispUp.append(quint32(30000 - i));
        record.m_arrForceUp.append(quint32((kSamplesPerStroke - i) % 2000));
        record.m_arrStepTimeUp.append(quint32(1800 + i % 7));
    }
    doc.SetDataPresent(true);
    record.DeriveActualValues();
    record.StampRun(QDateTime::currentDateTime());
}

struct Timing {
    double medianMs;
    double minMs;
};

// A failed step is a failed benchmark: no figure for work that was not done.
Timing Measure(int repetitions, const std::function<bool()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!step()) {
            std::fprintf(stderr, "step failed\n");
            std::exit(1);
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

bool Report(const char* what, const Timing& timing)
{
    const bool met = timing.medianMs < kGoalMs;
    std::printf("%-38s median %7.2f ms   min %7.2f ms   %s\n", what, timing.medianMs, timing.minMs,
                met ? "ok" : "OVER 20 ms");
    return met;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    QTemporaryDir dir;
    const QString expPath = dir.filePath(QStringLiteral("bench.exp"));
    const QString csvPath = dir.filePath(QStringLiteral("bench.csv"));

    CZentakDoc source;
    FillRun(source);
    CZentakDoc loaded;

    std::printf("%d samples per stroke, release 5, %d repetitions\n", kSamplesPerStroke,
                repetitions);
    bool met = true;
    met &= Report("save to memory", Measure(repetitions, [&] {
                      QBuffer buffer;
                      buffer.open(QIODevice::WriteOnly);
                      return source.Save(buffer);
                  }));
    met &= Report("save to file (QSaveFile, synced)",
                  Measure(repetitions, [&] { return source.Save(expPath); }));
    met &= Report("load from file", Measure(repetitions, [&] {
                      return loaded.Load(expPath) &&
                             loaded.Record().m_arrDispUp.size() == kSamplesPerStroke &&
                             loaded.DataPresent();
                  }));
    met &= Report("CSV export to memory", Measure(repetitions, [&] {
                      QBuffer buffer;
                      buffer.open(QIODevice::WriteOnly);
                      return loaded.SaveCsv(buffer);
                  }));
    met &=
        Report("CSV export to file", Measure(repetitions, [&] { return loaded.SaveCsv(csvPath); }));
    return met ? 0 : 1;
}

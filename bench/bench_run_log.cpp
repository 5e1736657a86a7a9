// A run log as a year of work leaves it, and how fast it reads back.
//
//   build/bench/bench_run_log generate LOG [entries] [samples] [every]
//       writes LOG: entries (default 10000) release-5 runs of samples
//       (default 1000) per stroke, every other one (every: 2) with a
//       subject "rat N", each entry the text the program's own writer
//       makes of its record.
//   build/bench/bench_run_log time LOG
//       indexes LOG without and with the index cache, judges every entry
//       as the first listing does and again with the verdicts kept, and
//       reads entries.
//
// Goals (10000 entries of 1000 samples, about 334 MB): zentak-cli log list
// with its index kept under 0.3 s, the first listing (every entry judged)
// under 1.5 s, a peak under 100 MB (time it with /usr/bin/time -v);
// extracting one entry under 100 ms.
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunLogReader.h"
#include "core/quality/CRunLogQuality.h"
#include "core/record/CImpactRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The encoder's count with the probe up, as real boxes report it.
constexpr quint32 kRestCount = 1500;

// One release-5 impact: the probe descends at a steady pace, meets the
// cord at 30 % of the stroke and loads it to about the desired force, then
// withdraws as the force falls away; the numbers differ from run to run.
CImpactRecord MadeRun(int run, int samples, int every, const QDateTime& stamp)
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    record.m_strFirmwareVersion = QStringLiteral("R5.04");
    record.m_nDesiredForce = 50 + run % 150;
    record.m_nDesiredVelocity = 50 + run % 50;
    const quint32 travel = 100 + quint32(run % 60);  // counts of 17.6 microns
    const int contact = samples * 3 / 10;
    for (int i = 0; i < samples; ++i) {
        const quint32 depth = quint32(qint64(i) * travel / samples);
        const double load = i < contact ? 0.0 : double(i - contact) / (samples - contact);
        record.m_arrDispDown.append(kRestCount + depth);
        record.m_arrForceDown.append(
            quint32(5 + run % 7 + load * load * 10 * record.m_nDesiredForce));
        record.m_arrStepTimeDown.append(6000 + quint32((i * 13 + run) % 40));
        const double unload = qMax(0.0, 1.0 - 1.5 * i / samples);
        record.m_arrDispUp.append(kRestCount + travel - quint32(qint64(i) * travel / samples));
        record.m_arrForceUp.append(quint32(5 + unload * 10 * record.m_nDesiredForce));
        record.m_arrStepTimeUp.append(6000 + quint32((i * 7 + run) % 40));
    }
    record.m_bDataPresent = true;
    record.DeriveActualValues();
    const QString subject =
        run % every == every - 1 ? QStringLiteral("rat %1").arg(run) : QString();
    record.StampRun(stamp, subject);
    return record;
}

int Generate(const QString& path, int entries, int samples, int every)
{
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const QDateTime start(QDate(2025, 1, 6), QTime(8, 0, 0));
    for (int run = 0; run < entries; ++run) {
        const QByteArray text = CExperimentFileWriter::Text(
            MadeRun(run, samples, every, start.addSecs(qint64(run) * 317)));
        if (log.write(text) != text.size()) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(log.errorString()));
            return 1;
        }
    }
    std::printf("%s: %d entries of %d samples per stroke, %lld bytes\n", qPrintable(path), entries,
                samples, log.size());
    return 0;
}

double Ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

bool TimeOpen(const char* what, CRunLogReader& reader, const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (reader.Open(path, error) != CRunLogReader::OpenResult::Opened) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    std::printf("%-34s %9.1f ms  %lld entries%s\n", what, Ms(timer),
                qint64(reader.Entries().size()),
                reader.UsedIndexCache() ? " (from the cache)" : "");
    return true;
}

void TimeVerdicts(const char* what, CRunLogReader& reader)
{
    QElapsedTimer timer;
    timer.start();
    const qsizetype judged = CRunLogQuality::Verdicts(reader, CQualityThresholds()).size();
    std::printf("%-34s %9.1f ms  %lld entries\n", what, Ms(timer), qint64(judged));
}

int Time(const QString& path)
{
    QTemporaryDir cache;
    CRunLogReader uncached{QString()};
    CRunLogReader cached(cache.path());
    if (!TimeOpen("index, no cache", uncached, path) ||
        !TimeOpen("index, first opening (cache made)", cached, path))
        return 1;
    TimeVerdicts("verdicts, first listing", cached);
    if (!TimeOpen("index, second opening (cache)", cached, path))
        return 1;
    TimeVerdicts("verdicts, kept", cached);
    const qsizetype count = cached.Entries().size();
    for (qsizetype index : {qsizetype(0), count / 2, count - 1}) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        const QByteArray text = cached.EntryText(index, error);
        const double textMs = Ms(timer);
        CImpactRecord record;
        CExperimentFileReader::Result result;
        timer.restart();
        cached.ReadEntry(index, record, result, error);
        std::printf("entry %-6lld text %7.2f ms (%lld bytes), record %7.2f ms\n", qint64(index + 1),
                    textMs, qint64(text.size()), Ms(timer));
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == QLatin1String("generate"))
        return Generate(args[1], args.value(2, QStringLiteral("10000")).toInt(),
                        args.value(3, QStringLiteral("1000")).toInt(),
                        qMax(1, args.value(4, QStringLiteral("2")).toInt()));
    if (args.size() == 2 && args[0] == QLatin1String("time"))
        return Time(args[1]);
    std::fprintf(stderr, "usage: bench_run_log generate LOG [entries] [samples] [every]\n"
                         "       bench_run_log time LOG\n");
    return 2;
}

// Peak memory of loading experiment files just under the size bound, in
// the shapes that cost the most per byte: comment lines that never reach
// the end marker, empty value lines, transcript pairs.
// Goal: each load peaks under 6 times the file's size (a value line can be
// one byte and a sample takes four, so 4 times and the arrays' growth is the
// floor for that shape). Run: build/bench/bench_load_memory
#include "core/CZentakDoc.h"
#include "core/files/CExperimentFileReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr double kGoalMultiple = 6.0;

const QByteArray kHeader = "ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                           "Firmware Release Version: \r\n\r\n"
                           "-------------------------------\r\nDisplacement Data:\r\n*Down*\r\n";
const QByteArray kToComments = "*End*\r\n\r\n*Up*\r\n*End*\r\n\r\n"
                               "-------------------------------\r\nForce Data:\r\n*Down*\r\n"
                               "*End*\r\n\r\n*Up*\r\n*End*\r\n\r\n"
                               "-------------------------------\r\nExperiment Comments:\r\n";

// Lines until the file is as large as the reader takes.
QByteArray Filled(const QByteArray& before, const QByteArray& line, const QByteArray& after)
{
    const qint64 room = CExperimentFileReader::kMaxFileBytes - before.size() - after.size();
    return before + line.repeated(int(room / line.size())) + after;
}

// A size in KiB from /proc/self/status: "VmHWM:" the peak resident size
// since the kernel's mark was reset, "VmRSS:" the resident size now.
qint64 StatusKib(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool Measure(const char* what, const QByteArray& text, CZentakDoc::LoadOutcome expected)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.exp"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return false;
    }
    qint64 beforeKib = 0;
    qint64 peakKib = 0;
    {
        CZentakDoc doc;
        ResetPeak();
        beforeKib = StatusKib("VmRSS:");
        const bool loaded = doc.Load(path) && doc.LastLoadOutcome() == expected;
        peakKib = StatusKib("VmHWM:");
        if (!loaded) {
            std::fprintf(stderr, "%s: load failed\n", what);
            return false;
        }
    }
    const double multiple = double(peakKib - beforeKib) * 1024.0 / double(text.size());
    const bool met = multiple < kGoalMultiple;
    std::printf("%-40s %5.1f MB file   peak +%6.1f MB   %4.2f x   %s\n", what,
                double(text.size()) / 1e6, double(peakKib - beforeKib) * 1024.0 / 1e6, multiple,
                met ? "ok" : "OVER");
    return met;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    using Outcome = CZentakDoc::LoadOutcome;
    const QByteArray end = "\r\n-----End of File-----";
    bool met = true;
    met &= Measure("comment lines, no end marker",
                   Filled(kHeader + kToComments, "note\r\n", QByteArray()), Outcome::NoEndMarker);
    met &= Measure("empty comment lines, end marker", Filled(kHeader + kToComments, "\n", end),
                   Outcome::Complete);
    met &=
        Measure("empty value lines", Filled(kHeader, "\n", kToComments + end), Outcome::Complete);
    met &= Measure("transcript pairs", Filled("Mode\n", "#\n", "Completed"), Outcome::Complete);
    return met ? 0 : 1;
}

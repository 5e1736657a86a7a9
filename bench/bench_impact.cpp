// One complete impact over a pseudo-terminal, through the real serial port,
// against zentak-boxsim pacing its bytes at the line's speed. Prints the wall
// time next to the protocol's floor: for every read, the bytes written and
// read at the baud rate plus the read interval that ends the reply.
//
//   bench_impact [runs] [baud]

#include "core/device/CPortBackend.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CSerialSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

constexpr int kBitsPerCharacter = 10;  // start, 8 data, stop

class CYesPrompt : public COperatorPrompt
{
public:
    void ShowMessage(const QString& text, Icon) override { QTextStream(stderr) << text << '\n'; }
    bool AskYesNo(const QString&) override { return true; }
    Answer AskYesNoCancel(const QString&) override { return Answer::Yes; }
    bool AskText(const QString&, QString&) override { return false; }
};

// Counts what crosses the line, read by read.
class CMeteredFactory : public CPortFactory
{
public:
    struct Read {
        qint64 bytesWritten;
        qint64 bytesRead;
        int intervalMs;
    };

    std::unique_ptr<CPortBackend> CreateBackend(const QString& portName, CClock& clock) override
    {
        return std::make_unique<Meter>(*this, CPortFactory::CreateBackend(portName, clock));
    }

    double FloorMs(int baudRate) const
    {
        double floorMs = 0;
        for (const Read& read : reads)
            floorMs += 1000.0 * double((read.bytesWritten + read.bytesRead) * kBitsPerCharacter) /
                           baudRate +
                       read.intervalMs;
        return floorMs;
    }

    QList<Read> reads;

private:
    class Meter : public CPortBackend
    {
    public:
        Meter(CMeteredFactory& owner, std::unique_ptr<CPortBackend> inner)
            : m_owner(owner), m_inner(std::move(inner))
        {
        }
        bool Open(const QString& name) override { return m_inner->Open(name); }
        bool ApplyLineSettings(const CLineSettings& s) override
        {
            return m_inner->ApplyLineSettings(s);
        }
        void SetTimeouts(const CTimeouts& t) override
        {
            m_timeouts = t;
            m_inner->SetTimeouts(t);
        }
        qint64 Write(const QByteArray& bytes) override
        {
            const qint64 written = m_inner->Write(bytes);
            m_written += written;
            return written;
        }
        QByteArray Read(qsizetype maxBytes) override
        {
            const QByteArray bytes = m_inner->Read(maxBytes);
            m_owner.reads.append({m_written, bytes.size(), m_timeouts.readIntervalMs});
            m_written = 0;
            return bytes;
        }
        void Close() override { m_inner->Close(); }

    private:
        CMeteredFactory& m_owner;
        std::unique_ptr<CPortBackend> m_inner;
        CTimeouts m_timeouts;
        qint64 m_written = 0;
    };
};

struct Result {
    bool ok = false;
    qint64 wallMs = 0;
    double floorMs = 0;
    qsizetype reads = 0;
    qint64 bytes = 0;
    qsizetype samples = 0;
};

Result RunOnce(const QString& device, int baudRate)
{
    CSystemClock clock;
    CMeteredFactory factory;
    CYesPrompt prompt;
    CImpactRecord record;
    record.m_nDesiredVelocity = 100;

    QElapsedTimer timer;
    timer.start();
    Result result;
    result.ok = CRunOutcome::ImpactMade(CImpactRun(factory, clock, prompt)
                                            .Run(CSerialSettings{device, baudRate}, 0, record)
                                            .outcome);
    result.wallMs = timer.elapsed();
    result.floorMs = factory.FloorMs(baudRate);
    result.reads = factory.reads.size();
    for (const CMeteredFactory::Read& read : factory.reads)
        result.bytes += read.bytesWritten + read.bytesRead;
    result.samples = record.m_arrDispDown.size() + record.m_arrDispUp.size();
    return result;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? qMax(1, args[1].toInt()) : 5;
    const int baudRate = args.size() > 2 ? args[2].toInt() : 115200;
    QTextStream out(stdout);

    QProcess box;
    box.start(QStringLiteral(ZENTAK_BOXSIM), {"--until-stdin-closes", "--seed", "3"});
    if (!box.waitForStarted(5000) || !box.waitForReadyRead(5000)) {
        out << "cannot start " << ZENTAK_BOXSIM << '\n';
        return 1;
    }
    const QString device = QString::fromLocal8Bit(box.readLine()).trimmed();
    out << "one impact (100 K dynes, 100 mm/s, dwell 0) on " << device << " at " << baudRate
        << " baud\n";
    out << "run   wall ms   floor ms   ratio   reads   bytes   samples\n";

    QList<double> ratios;
    for (int run = 1; run <= runs; ++run) {
        const Result result = RunOnce(device, baudRate);
        if (!result.ok) {
            out << run << ": the impact failed\n";
            return 1;
        }
        const double ratio = double(result.wallMs) / result.floorMs;
        ratios.append(ratio);
        out << QString::asprintf("%3d %9lld %10.1f %7.3f %7lld %7lld %9lld\n", run,
                                 static_cast<long long>(result.wallMs), result.floorMs, ratio,
                                 static_cast<long long>(result.reads),
                                 static_cast<long long>(result.bytes),
                                 static_cast<long long>(result.samples));
        out.flush();
    }
    std::sort(ratios.begin(), ratios.end());
    out << QString::asprintf("median ratio %.3f (goal: at most 1.15)\n", ratios[ratios.size() / 2]);
    box.closeWriteChannel();
    box.waitForFinished(3000);
    return 0;
}

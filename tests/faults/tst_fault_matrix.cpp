// The serial line's faults, each through the whole window and the real
// serial port (QSerialPort) on a pseudo-terminal served by zentak-boxsim:
// what the operator sees, how long it took against its bound, and that the
// run log keeps every byte it held, gaining at most the run's own entry.
//
// Rows whose bound is minutes run on a clock that goes faster than real
// time: every wait of the program goes through it, so the time it shows is
// what an operator would wait. It overstates rather than understates: time
// spent computing counts several times over, and the serial port waits in
// slices of real milliseconds, each worth several on the fast clock. Their
// bounds allow for that with a third more.

#include "CBoxSimProcess.h"
#include "CScriptedFileChooser.h"
#include "CScriptedPrompt.h"
#include "TestSettings.h"
#include "core/device/CClock.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSerialLink.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/protocol/CRunOutcome.h"
#include "gui/CLeftView.h"
#include "gui/CMainFrame.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using Answer = COperatorPrompt::Answer;

namespace {

// Real time, multiplied.
class CFastClock : public CClock
{
public:
    explicit CFastClock(int scale) : m_nScale(scale) { m_timer.start(); }

    qint64 NowMs() const override { return m_timer.nsecsElapsed() * m_nScale / 1000000; }

    void SleepMs(qint64 ms) override
    {
        const qint64 until = NowMs() + ms;
        for (qint64 now = NowMs(); now < until; now = NowMs()) {
            QThread::usleep(quint64(qMin<qint64>(10000, (until - now) * 1000 / m_nScale + 1)));
            RunWaitHook();
        }
    }

private:
    int m_nScale;
    QElapsedTimer m_timer;
};

// The box on its pseudo-terminal, at once rather than at the line's pace,
// misbehaving as told.
QStringList BoxArguments(const QStringList& faults)
{
    QStringList arguments{QStringLiteral("--no-pace")};
    for (const QString& fault : faults)
        arguments << QStringLiteral("--fault") << fault;
    return arguments;
}

const QByteArray kEarlierEntries = "Zentak run log held before this run\r\n"
                                   "Desired Force: 100\r\n-----End of File-----\r\n";

QString CutShort(int down)
{
    return QStringLiteral("Impact Data Download Was Cut Short!\r\n"
                          "Samples Received: %1 (%1 Down, 0 Up).\r\n"
                          "Please Check Serial Cable and Machine Power.")
        .arg(down);
}

// One normal exchange waiting out its whole read, and one slow one.
constexpr qint64 kNormalMs = 1330;
constexpr qint64 kSlowMs = 6500;

}  // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void promptFaults_data();
    void promptFaults() { RunRow(); }
    void downloadFaults_data();
    void downloadFaults() { RunRow(); }

private:
    static void AddColumns();
    void RunRow();

    QTemporaryDir m_dir;
};

void TestFaultMatrix::initTestCase()
{
    UseTestSettings();
}

void TestFaultMatrix::AddColumns()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("portHeld");
    QTest::addColumn<int>("clockScale");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("logged");
    QTest::addColumn<qint64>("leastMs");  // the waits the fault forces
    QTest::addColumn<qint64>("boundMs");
}

// Up to the go-ahead. The dialogue's replies in turn: the wake-up, the
// identification, the mode, force, displacement and velocity answers and
// the dwell answer (a slow exchange). A box that falls silent has its
// unanswered prompt answered once more before the run gives up.
void TestFaultMatrix::promptFaults_data()
{
    AddColumns();
    const QString notResponding = CRunOutcome::kNotResponding;
    const QList<std::tuple<const char*, int, int, qint64>> silent{
        {"wake-up", 0, 1, kNormalMs},          {"identification", 1, 1, 2 * kNormalMs},
        {"mode", 2, 1, 2 * kNormalMs},         {"force", 3, 1, 2 * kNormalMs},
        {"displacement", 4, 1, 2 * kNormalMs}, {"velocity", 5, 1, 2 * kNormalMs},
        {"dwell", 6, 4, 2 * kSlowMs},
    };
    for (const auto& [exchange, replies, scale, waitMs] : silent) {
        QTest::addRow("silent at the %s", exchange)
            << QStringList{QStringLiteral("silent-after=%1").arg(replies)} << false << scale
            << notResponding << false << waitMs << (scale == 1 ? waitMs : waitMs * 4 / 3) + 2000;
    }
    QTest::newRow("garbage instead of the first prompt")
        << QStringList{"noise-after=0"} << false << 1 << notResponding << false << qint64(0)
        << qint64(2000);
    QTest::newRow("garbage instead of the force prompt")
        << QStringList{"noise-after=2"} << false << 1 << notResponding << false << qint64(0)
        << qint64(2000);
    QTest::newRow("port held by another program")
        << QStringList{} << true << 1 << notResponding << false << qint64(0) << qint64(500);
}

// From the go-ahead: "y", "Impact complete", then blocks of samples. A
// silent download ends after 100 unanswered polls, an endless one after
// 2000 polls or its time bound.
void TestFaultMatrix::downloadFaults_data()
{
    AddColumns();
    const qint64 silentPollsMs = CSerialLink::kMaxEmptyPolls * kNormalMs;
    QTest::newRow("silent at the impact (\"y\")")
        << QStringList{"silent-after=7"} << false << 20 << QString(CRunOutcome::kNotResponding)
        << false << kNormalMs + silentPollsMs << (kNormalMs + silentPollsMs) * 4 / 3;
    QTest::newRow("silent after \"Impact complete\"")
        << QStringList{"silent-after=8"} << false << 20 << CutShort(0) << true << silentPollsMs
        << silentPollsMs * 4 / 3;
    QTest::newRow("silent after two blocks of samples")
        << QStringList{"silent-after=10"} << false << 20 << CutShort(18) << true << silentPollsMs
        << silentPollsMs * 4 / 3;
    QTest::newRow("device vanishes after two blocks of samples")
        << QStringList{"unplug-after=10"} << false << 1 << CutShort(18) << true << qint64(0)
        << qint64(3000);
    // 2000 polls, each ended by the read interval after its noise, or the
    // download's time bound, whichever comes first.
    QTest::newRow("garbage instead of samples")
        << QStringList{"noise-after=8"} << false << 20 << CutShort(0) << true
        << qint64(CSerialLink::kMaxDownloadPolls) * 50
        << CSerialLink::MaxDownloadMs(115200) + 20000;
}

void TestFaultMatrix::RunRow()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, portHeld);
    QFETCH(int, clockScale);
    QFETCH(QString, message);
    QFETCH(bool, logged);
    QFETCH(qint64, leastMs);
    QFETCH(qint64, boundMs);

    CBoxSimProcess box(BoxArguments(faults));
    QVERIFY(box.Device().startsWith(QLatin1String("/dev/")));
    QSerialPort holder(box.Device());
    if (portHeld)
        QVERIFY(holder.open(QIODevice::ReadWrite));
    const QString logPath = m_dir.filePath(QStringLiteral("%1.log").arg(QTest::currentDataTag()));
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::WriteOnly) && log.write(kEarlierEntries) == kEarlierEntries.size());
    log.close();
    qputenv("ZENTAK_RUN_LOG", logPath.toLocal8Bit());

    CScriptedPrompt prompt;
    CFastClock clock(clockScale);
    CPortFactory ports;
    CScriptedFileChooser files;
    CMainFrame frame(CFrameServices{prompt, clock, ports, files});
    frame.ApplySerialSettings(box.Device(), 115200, "None", "1", 8);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    // A quick impact: the box is busy for milliseconds, not seconds.
    frame.findChild<QLineEdit*>(QStringLiteral("velocityDesired"))->setText(QStringLiteral("100"));
    prompt.QueueAnswers({Answer::Yes});
    auto* start = frame.findChild<QPushButton*>(QStringLiteral("startExperiment"));

    QElapsedTimer wall;
    wall.start();
    const qint64 startedMs = clock.NowMs();
    QTest::mouseClick(start, Qt::LeftButton);
    const qint64 tookMs = clock.NowMs() - startedMs;
    const qint64 wallMs = wall.elapsed();

    qInfo("%s: %lld ms (bound %lld ms; %lld ms of real time at %dx)", QTest::currentDataTag(),
          tookMs, boundMs, wallMs, clockScale);
    QVERIFY(!prompt.messages.isEmpty());
    const bool silent = message == CRunOutcome::kNotResponding;  // named by its port
    QCOMPARE(prompt.messages.last().text, silent ? message + "\r\nPort: " + box.Device() : message);
    QCOMPARE(prompt.messages.size(), 1);
    QCOMPARE(frame.findChild<QLabel*>(QStringLiteral("busyPane"))->text(), QString());
    QVERIFY2(tookMs >= leastMs - 50 && tookMs <= boundMs, qPrintable(QString::number(tookMs)));

    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray entry =
        logged ? CExperimentFileWriter::Text(frame.Document().Record()) : QByteArray();
    QCOMPARE(log.readAll(), kEarlierEntries + entry);
    QCOMPARE(frame.Document().DataPresent(), logged);
}

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"

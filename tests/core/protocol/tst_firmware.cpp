#include "CManualClock.h"
#include "CScriptedBox.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/files/CFirmwareFile.h"
#include "core/protocol/CFirmwareTransfer.h"
#include "core/protocol/CLineFeedProbe.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QTemporaryDir>
#include <QTest>

using Icon = COperatorPrompt::Icon;
using Route = CFirmwareTransfer::Route;
using Shown = CScriptedPrompt::Shown;

Q_DECLARE_METATYPE(CFirmwareTransfer::Route)

namespace {

// The simulated box, also noting when each write reached it.
class CTimedSimulator : public ControlBoxSimulator
{
public:
    using ControlBoxSimulator::ControlBoxSimulator;
    QList<qint64> arrivalsMs;

protected:
    void OnReceive(const QByteArray& bytes, qint64 nowMs) override
    {
        arrivalsMs.append(nowMs);
        ControlBoxSimulator::OnReceive(bytes, nowMs);
    }
};

// One transfer over the simulated port with free waits.
struct Bench {
    explicit Bench(CSimulatedBox& box) : factory(box), transfer(factory, clock, prompt)
    {
        transfer.SetProgressCallback([this](int percent) { percents.append(percent); });
    }

    int Run(const QStringList& lines) { return transfer.Run(settings, lines); }

    CManualClock clock;
    CPortFactory factory;
    CScriptedPrompt prompt;
    CSerialSettings settings{CPortFactory::kSimulatorPort};
    CFirmwareTransfer transfer;
    QList<int> percents;
};

ControlBoxSimulator::Options Options(const QStringList& faults = {})
{
    ControlBoxSimulator::Options options;
    for (const QString& fault : faults) {
        if (!options.AddFault(fault))
            qFatal("bad fault %s", qPrintable(fault));
    }
    return options;
}

QStringList HexLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral(":10%1000000112233445566778899AABBCCDDEEFF00")
                         .arg(i % 0x10000, 4, 16, QLatin1Char('0'))
                         .toUpper());
    return lines;
}

QByteArrayList Sent(const QStringList& lines)
{
    QByteArrayList sent;
    for (const QString& line : lines)
        sent.append(line.toLatin1() + '\n');
    return sent;
}

const QByteArrayList kRouteAStart{"R", "\n", "\n", "68\n", "R"};
const QList<Shown> kNotResponding{{CRunOutcome::kNotResponding, Icon::Exclamation}};

}  // namespace

class TestFirmware : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxAtMainPromptIsSwitchedToItsReprogramStateFirst();
    void boxWaitingForDataGetsTheLinesAtOnce();
    void probeReplies_data();
    void probeReplies();
    void silentBoxFailsAfterTheSlowProbe();
    void blankRepliesToTheProbeEnd();
    void percentagesCountTheLinesSentBefore();
    void longLinesAreBrokenAtTheBoxBuffer_data();
    void longLinesAreBrokenAtTheBoxBuffer();
    void emptyFileStillEndsTheTransfer();
    void unansweredLinesAreCountedNotFatal();
    void outcomeMessages_data();
    void outcomeMessages();
    void firmwareFileLines_data();
    void firmwareFileLines();
    void unreadableFilesSayWhy_data();
    void unreadableFilesSayWhy();
};

void TestFirmware::boxAtMainPromptIsSwitchedToItsReprogramStateFirst()
{
    CTimedSimulator box(Options());
    Bench bench(box);
    const QStringList lines = HexLines(3);
    QCOMPARE(bench.Run(lines), CFirmwareTransfer::kResultSuccess);

    QCOMPARE(bench.transfer.TakenRoute(), Route::MainPrompt);
    QCOMPARE(box.Writes(), kRouteAStart + Sent(lines) + QByteArrayList{"24\n"});
    QCOMPARE(box.ProgrammedLines(), lines);
    QVERIFY(box.AtMainPrompt());
    QVERIFY(bench.prompt.messages.isEmpty());
    QCOMPARE(bench.transfer.UnansweredLines(), 0);

    // 2 s after the reprogram state, 3 s after the loader's "R", 2 s before
    // "24"; each exchange itself lasts no longer than its read time-out.
    const QList<qint64>& at = box.arrivalsMs;
    const auto gap = [&at](int from) { return at[from + 1] - at[from]; };
    QVERIFY2(gap(3) >= 2000 && gap(3) < 2000 + 1330, qPrintable(QString::number(gap(3))));
    QVERIFY2(gap(4) >= 3000 && gap(4) < 3000 + 1330, qPrintable(QString::number(gap(4))));
    QVERIFY2(gap(7) >= 2000 && gap(7) < 2000 + 1330, qPrintable(QString::number(gap(7))));
    QVERIFY(gap(5) < 1330 && gap(6) < 1330);
}

void TestFirmware::boxWaitingForDataGetsTheLinesAtOnce()
{
    CTimedSimulator box(Options({"returning"}));
    Bench bench(box);
    const QStringList lines = HexLines(2);
    QCOMPARE(bench.Run(lines), CFirmwareTransfer::kResultSuccess);

    QCOMPARE(bench.transfer.TakenRoute(), Route::Loader);
    QCOMPARE(box.Writes(), QByteArrayList{"R"} + Sent(lines) + QByteArrayList{"24\n"});
    QCOMPARE(box.ProgrammedLines(), lines);
    QVERIFY(box.AtMainPrompt());
    const QList<qint64>& at = box.arrivalsMs;
    QVERIFY2(at[1] - at[0] < 2000, "no pause before the first line");
    QVERIFY(at[3] - at[2] >= 2000);
}

// Scripted replies from the slow "R" on: where the probe leads.
void TestFirmware::probeReplies_data()
{
    QTest::addColumn<QByteArrayList>("replies");  // "" is silence
    QTest::addColumn<Route>("route");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArrayList>("writes");

    const QByteArrayList routeA{"Send Data Now\r\n",
                                "\r\n",
                                "\r\nEnter Mode: ",
                                "68\r\nEntering reprogram state\r\n",
                                "R\r\nSend Data Now\r\n",
                                "OK\r\n",
                                "\r\nProgramming complete\r\nEnter Mode: "};
    QTest::newRow("Send Data Now at the first character is not seen: the probes decide")
        << routeA << Route::MainPrompt << 5
        << QByteArrayList{"R", "\n", "\n", "68\n", "R", ":00\n", "24\n"};
    QTest::newRow("Send Data Now after the echo: data at once")
        << QByteArrayList{"R\r\nSend Data Now\r\n", "OK\r\n", "done\r\n"} << Route::Loader << 5
        << QByteArrayList{"R", ":00\n", "24\n"};
    QTest::newRow("the probe finds the loader")
        << QByteArrayList{"R", "", "\r\nreturning to normal operation\r\n", "OK", "done"}
        << Route::Loader << 5 << QByteArrayList{"R", "\n", "\n", ":00\n", "24\n"};
    QTest::newRow("one silent probe is forgiven")
        << QByteArrayList{"R", "", "", "Enter Mode: ", "reprogram state", "R", "", "x"}
        << Route::MainPrompt << 5
        << QByteArrayList{"R", "\n", "\n", "\n", "68\n", "R", ":00\n", "24\n"};
    QTest::newRow("neither prompt nor loader")
        << QByteArrayList{"R", "", "Unknown mode\r\n"} << Route::None << 0
        << QByteArrayList{"R", "\n", "\n"};
    QTest::newRow("two silent probes") << QByteArrayList{"R", "", "", ""} << Route::None << 0
                                       << QByteArrayList{"R", "\n", "\n", "\n"};
    QTest::newRow("68 unanswered")
        << QByteArrayList{"R", "", "Enter Mode: ", ""} << Route::MainPrompt << 0
        << QByteArrayList{"R", "\n", "\n", "68\n"};
    QTest::newRow("68 answered without the reprogram state")
        << QByteArrayList{"R", "", "Enter Mode: ", "68\r\nUnknown mode\r\n"} << Route::MainPrompt
        << 0 << QByteArrayList{"R", "\n", "\n", "68\n"};
    QTest::newRow("the loader's R unanswered")
        << QByteArrayList{"R", "", "Enter Mode: ", "reprogram state", ""} << Route::MainPrompt << 0
        << QByteArrayList{"R", "\n", "\n", "68\n", "R"};
    QTest::newRow("24 unanswered") << QByteArrayList{"R\r\nSend Data Now", "OK", ""}
                                   << Route::Loader << 0 << QByteArrayList{"R", ":00\n", "24\n"};
}

void TestFirmware::probeReplies()
{
    QFETCH(QByteArrayList, replies);
    QFETCH(Route, route);
    QFETCH(int, result);
    QFETCH(QByteArrayList, writes);

    CScriptedBox box;
    for (const QByteArray& reply : replies) {
        if (reply.isEmpty())
            box.QueueSilence();
        else
            box.QueueReply(reply);
    }
    Bench bench(box);
    QCOMPARE(bench.Run({":00"}), result);
    QCOMPARE(bench.transfer.TakenRoute(), route);
    QCOMPARE(box.Writes(), writes);
    QCOMPARE(bench.prompt.messages, result == 5 ? QList<Shown>{} : kNotResponding);
}

void TestFirmware::silentBoxFailsAfterTheSlowProbe()
{
    ControlBoxSimulator box(Options({"silent"}));
    Bench bench(box);
    QCOMPARE(bench.Run(HexLines(5)), CFirmwareTransfer::kResultFailure);
    QCOMPARE(box.Writes(), QByteArrayList{"R"});
    QCOMPARE(bench.prompt.messages, kNotResponding);
    // The slow read's total time-out: 50 ms per byte x 128 + 100 ms.
    QCOMPARE(bench.clock.NowMs(), 6500);
}

// A line that only ever echoes line ends must not hold the transfer for ever.
void TestFirmware::blankRepliesToTheProbeEnd()
{
    CScriptedBox box;
    box.QueueReply("R");
    box.SetFallback("\r\n");
    Bench bench(box);
    QCOMPARE(bench.Run(HexLines(1)), CFirmwareTransfer::kResultFailure);
    QCOMPARE(box.Writes(),
             QByteArrayList{"R"} + QByteArrayList(1 + CLineFeedProbe::kMaxBlankReplies, "\n"));
    QCOMPARE(bench.prompt.messages, kNotResponding);
}

void TestFirmware::percentagesCountTheLinesSentBefore()
{
    ControlBoxSimulator box(Options());
    Bench bench(box);
    QCOMPARE(bench.Run(HexLines(200)), CFirmwareTransfer::kResultSuccess);
    QList<int> expected{0};  // before the first line
    for (int line = 0; line < 200; ++line)
        expected.append(line / 2);
    QCOMPARE(bench.percents, expected);
    QCOMPARE(bench.percents.mid(1, 5), (QList<int>{0, 0, 1, 1, 2}));
    QCOMPARE(bench.percents.last(), 99);
}

void TestFirmware::longLinesAreBrokenAtTheBoxBuffer_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray a999(999, 'a');
    QTest::newRow("empty") << 0 << QByteArray("\n");
    QTest::newRow("999") << 999 << a999 + "\n";
    QTest::newRow("1000") << 1000 << a999 + "b\n";
    QTest::newRow("1001") << 1001 << a999 + "b\nc";
    QTest::newRow("1002") << 1002 << a999 + "b\ncd";
}

void TestFirmware::longLinesAreBrokenAtTheBoxBuffer()
{
    QFETCH(int, length);
    QFETCH(QByteArray, sent);
    const QString line = (QString(999, u'a') + QStringLiteral("bcd")).left(length);

    CScriptedBox box;
    box.QueueReply("R\r\nSend Data Now\r\n");
    box.SetFallback("OK\r\n");
    Bench bench(box);
    QCOMPARE(bench.Run({line}), CFirmwareTransfer::kResultSuccess);
    QCOMPARE(box.Writes().at(1), sent);
    QCOMPARE(CFirmwareTransfer::LineToSend(line).toLatin1(), sent);
}

void TestFirmware::emptyFileStillEndsTheTransfer()
{
    ControlBoxSimulator box(Options());
    Bench bench(box);
    QCOMPARE(bench.Run({}), CFirmwareTransfer::kResultSuccess);
    QCOMPARE(box.Writes(), kRouteAStart + QByteArrayList{"24\n"});
    QCOMPARE(bench.percents, QList<int>{0});
}

void TestFirmware::unansweredLinesAreCountedNotFatal()
{
    CScriptedBox box;
    box.QueueReply("R\r\nSend Data Now\r\n");
    box.QueueReply("OK\r\n");
    box.QueueSilence();
    box.QueueReply("OK\r\n");
    box.QueueSilence();
    box.QueueReply("\r\nProgramming complete\r\n");
    Bench bench(box);
    const QStringList lines = HexLines(4);
    QCOMPARE(bench.Run(lines), CFirmwareTransfer::kResultSuccess);
    QCOMPARE(box.Writes().size(), 6);
    QCOMPARE(bench.transfer.UnansweredLines(), 2);
    QVERIFY(bench.prompt.messages.isEmpty());

    // Every later transfer counts afresh.
    ControlBoxSimulator good(Options({"returning"}));
    CPortFactory goodPorts(good);
    CFirmwareTransfer again(goodPorts, bench.clock, bench.prompt);
    QCOMPARE(again.Run(bench.settings, lines), CFirmwareTransfer::kResultSuccess);
    QCOMPARE(again.UnansweredLines(), 0);
}

void TestFirmware::outcomeMessages_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("unanswered");
    QTest::addColumn<QString>("message");
    QTest::newRow("success") << 5 << 0 << "Firmware Upgrade Successful!";
    QTest::newRow("failure") << 0 << 0 << "Firmware Upgrade Failed!";
    QTest::newRow("any other result fails") << 1 << 0 << "Firmware Upgrade Failed!";
    QTest::newRow("success with silent lines")
        << 5 << 3
        << "Firmware Upgrade Successful!\r\n3 of 500 firmware lines got no reply from the "
           "control box.";
    QTest::newRow("failure with silent lines")
        << 0 << 500
        << "Firmware Upgrade Failed!\r\n500 of 500 firmware lines got no reply from the control "
           "box.";
}

void TestFirmware::outcomeMessages()
{
    QFETCH(int, result);
    QFETCH(int, unanswered);
    QFETCH(QString, message);
    QCOMPARE(CFirmwareTransfer::OutcomeMessage(result, unanswered, 500), message);
}

void TestFirmware::firmwareFileLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArrayList>("wire");
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QByteArrayList{};
    QTest::newRow("LF") << QByteArray(":01\n:02\n") << QStringList{":01", ":02"}
                        << QByteArrayList{":01\n", ":02\n"};
    QTest::newRow("CR LF") << QByteArray(":01\r\n:02\r\n") << QStringList{":01", ":02"}
                           << QByteArrayList{":01\n", ":02\n"};
    QTest::newRow("last line without an end")
        << QByteArray(":01\n:02") << QStringList{":01", ":02"} << QByteArrayList{":01\n", ":02\n"};
    QTest::newRow("empty lines count")
        << QByteArray("\n:01\n\r\n\n") << QStringList{"", ":01", "", ""}
        << QByteArrayList{"\n", ":01\n", "\n", "\n"};
    QTest::newRow("8-bit bytes pass unchanged")
        << QByteArray(":\xe9\xff\n") << QStringList{QString::fromLatin1(":\xe9\xff")}
        << QByteArrayList{":\xe9\xff\n"};
    // Only LF or CR LF ends a line: any other CR is the line's own.
    QTest::newRow("CR at the very end") << QByteArray(":01\r\nz\r") << QStringList{":01", "z\r"}
                                        << QByteArrayList{":01\n", "z\r\n"};
    QTest::newRow("CR inside and doubled")
        << QByteArray("a\rb\r\r\n") << QStringList{"a\rb\r"} << QByteArrayList{"a\rb\r\n"};
}

// The lines as read, and the bytes the box receives for them.
void TestFirmware::firmwareFileLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QByteArrayList, wire);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.hex"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QStringList read{"stale"};
    QString error;
    QVERIFY(CFirmwareFile::ReadLines(path, read, error));
    QCOMPARE(read, lines);
    QVERIFY(error.isEmpty());

    CScriptedBox box;
    box.QueueReply("R\r\nSend Data Now\r\n");
    box.SetFallback("OK\r\n");
    Bench bench(box);
    QCOMPARE(bench.Run(read), CFirmwareTransfer::kResultSuccess);
    QCOMPARE(box.Writes().mid(1, read.size()), wire);
}

void TestFirmware::unreadableFilesSayWhy_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("error");
    static QTemporaryDir dir;
    const QString absent = dir.filePath(QStringLiteral("absent.hex"));
    QTest::newRow("missing")
        << absent << QStringLiteral("%1 was not found.").arg(QDir::toNativeSeparators(absent));
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero")
        << QStringLiteral("/dev/zero is not an ordinary file (a device or a pipe may never end). "
                          "It was not read.");
    const QString huge = dir.filePath(QStringLiteral("huge.hex"));
    QFile hugeFile(huge);
    QVERIFY(hugeFile.open(QIODevice::WriteOnly) &&
            hugeFile.resize(CFirmwareFile::kMaxFileBytes + 1));
    QTest::newRow("larger than any firmware")
        << huge
        << QStringLiteral("%1 is too large to be a firmware file (4194305 bytes; the limit is "
                          "4194304 bytes). It was not read.")
               .arg(QDir::toNativeSeparators(huge));
    const QString longLine = dir.filePath(QStringLiteral("long.hex"));
    QFile longFile(longLine);
    QVERIFY(longFile.open(QIODevice::WriteOnly));
    longFile.write(":00\r\n:01\r\n" + QByteArray(2 << 20, '0') + "\r\n:02\r\n");
    longFile.close();
    QTest::newRow("line beyond the bound")
        << longLine
        << QStringLiteral("Line 3 of %1 is longer than 1048576 characters and cannot be read "
                          "whole.")
               .arg(QDir::toNativeSeparators(longLine));
}

// Nothing of such a file is kept: part of an image must never reach the box.
void TestFirmware::unreadableFilesSayWhy()
{
    QFETCH(QString, path);
    QFETCH(QString, error);
    QStringList read{"stale"};
    QString message;
    QVERIFY(!CFirmwareFile::ReadLines(path, read, message));
    QVERIFY(read.isEmpty());
    QCOMPARE(message, error);
}

QTEST_GUILESS_MAIN(TestFirmware)
#include "tst_firmware.moc"

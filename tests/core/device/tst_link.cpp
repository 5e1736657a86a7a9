#include "CManualClock.h"
#include "CRecordingFactory.h"
#include "CScriptedBox.h"
#include "core/device/CPortFactory.h"
#ifndef Q_OS_WIN
#include "core/device/CQtSerialBackend.h"
#endif
#include "core/device/CSerialLink.h"
#include "core/device/CSimulatorBackend.h"
#include "core/device/CSystemClock.h"

#include <QTest>

#include <memory>

namespace {

struct Line {
    CManualClock clock;
    CScriptedBox box;
    CRecordingFactory factory{box};
    CSerialLink link{factory, clock};

    Line() { link.Configure(9600, 8, CPortFactory::kSimulatorPort, "None", "1"); }
};

bool SameTimeouts(const CTimeouts& a, const CTimeouts& b)
{
    return a.readIntervalMs == b.readIntervalMs && a.readTotalPerByteMs == b.readTotalPerByteMs &&
           a.readTotalConstantMs == b.readTotalConstantMs &&
           a.writeTotalPerByteMs == b.writeTotalPerByteMs &&
           a.writeTotalConstantMs == b.writeTotalConstantMs;
}

const QString kMissingPort = QStringLiteral("/nonexistent/zentak-test-port");

}  // namespace

class TestLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translatesParityNames_data();
    void translatesParityNames();
    void translatesStopBitsTexts_data();
    void translatesStopBitsTexts();
    void configuresThePortForEachOperation();
    void writesTheTextExactly();
    void storesAtMost128Bytes_data();
    void storesAtMost128Bytes();
    void nulByteEndsTheReplyText();
    void emptyReadKeepsThePreviousReply_data();
    void emptyReadKeepsThePreviousReply();
    void replyEndsAfterTheReadInterval_data();
    void replyEndsAfterTheReadInterval();
    void unopenablePortFailsAtOnce();
    void downloadStopsAtTheModePrompt();
    void downloadDoesNotSearchTheReplyToY();
    void downloadFindsAPromptCutByTwoReads_data();
    void downloadFindsAPromptCutByTwoReads();
    void downloadEndsAfter100EmptyPolls_data();
    void downloadEndsAfter100EmptyPolls();
    void endlessDownloadIsBounded();
    void downloadIsBoundedInTime_data();
    void downloadIsBoundedInTime();
    void mapsPortNamesToDevices_data();
    void mapsPortNamesToDevices();
    // QtSerialPort is the serial line on Linux only.
#ifndef Q_OS_WIN
    void translatesLineSettingsForQt();
#endif
    void systemClockCallsTheHookWhileSleeping();
};

void TestLink::translatesParityNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("None") << "None" << 0;
    QTest::newRow("Odd") << "Odd" << 1;
    QTest::newRow("Even") << "Even" << 2;
    QTest::newRow("Mark") << "Mark" << 3;
    QTest::newRow("Space") << "Space" << 4;
    QTest::newRow("odd in lower case") << "odd" << 0;
    QTest::newRow("EVEN in upper case") << "EVEN" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("padded") << " Odd" << 0;
}

void TestLink::translatesParityNames()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QCOMPARE(int(CSerialLink::ParityCode(name)), code);
}

void TestLink::translatesStopBitsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("1") << "1" << 0;
    QTest::newRow("1.5") << "1.5" << 1;
    QTest::newRow("2") << "2" << 2;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("1,5") << "1,5" << 0;
    QTest::newRow("two") << "two" << 0;
}

void TestLink::translatesStopBitsTexts()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(int(CSerialLink::StopBitsCode(text)), code);
}

void TestLink::configuresThePortForEachOperation()
{
    Line line;
    line.link.Configure(19200, 0x107, CPortFactory::kSimulatorPort, "Even", "2");
    line.box.SetFallback("ok");
    line.link.Exchange("a");
    line.link.ExchangeSlow("b");
    QStringList chunks;
    line.box.QueueReply("Enter Mode");
    line.link.CollectRunData(chunks);

    QCOMPARE(line.factory.setups.size(), 3);
    const CLineSettings& s = line.factory.setups[0].settings;
    QCOMPARE(s.baudRate, 19200);
    QCOMPARE(int(s.dataBits), 7);  // only the low byte of the byte size
    QCOMPARE(int(s.parity), int(CLineSettings::EvenParity));
    QCOMPARE(int(s.stopBits), int(CLineSettings::TwoStop));
    QVERIFY(SameTimeouts(line.factory.setups[0].timeouts, CSerialLink::kShortTimeouts));
    QVERIFY(SameTimeouts(line.factory.setups[1].timeouts, CSerialLink::kLongTimeouts));
    QVERIFY(SameTimeouts(line.factory.setups[2].timeouts, CSerialLink::kShortTimeouts));
    QCOMPARE(CSerialLink::kShortTimeouts.ReadTotalMs(128), 1330);
    QCOMPARE(CSerialLink::kLongTimeouts.ReadTotalMs(128), 6500);
}

void TestLink::writesTheTextExactly()
{
    Line line;
    line.box.QueueReply("Enter Mode");
    QVERIFY(line.link.Exchange("57\n"));
    QVERIFY(!line.link.ExchangeSlow("\n\n\n"));
    QCOMPARE(line.box.Writes(), (QByteArrayList{"57\n", "\n\n\n"}));
    QCOMPARE(line.link.LastSent(), QStringLiteral("\n\n\n"));
}

void TestLink::storesAtMost128Bytes_data()
{
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("stored");
    QTest::addColumn<qint64>("waitedMs");
    QTest::newRow("1 byte: the interval ends it") << 1 << 1 << qint64(50);
    QTest::newRow("127 bytes") << 127 << 127 << qint64(50);
    QTest::newRow("128 bytes: full at once") << 128 << 128 << qint64(0);
    QTest::newRow("200 bytes: the rest is not read") << 200 << 128 << qint64(0);
}

void TestLink::storesAtMost128Bytes()
{
    QFETCH(int, sent);
    QFETCH(int, stored);
    QFETCH(qint64, waitedMs);
    Line line;
    QByteArray reply;
    for (int i = 0; i < sent; ++i)
        reply += char('A' + i % 26);
    // A full buffer first: a reply not ended right after its bytes would
    // show the rest of it.
    line.box.QueueReply(QByteArray(CSerialLink::kReplyBytes, 'x'));
    line.box.QueueReply(reply);
    QVERIFY(line.link.Exchange("\n"));
    const qint64 startMs = line.clock.NowMs();

    QVERIFY(line.link.Exchange("\n"));
    QCOMPARE(line.link.BytesRead(), stored);
    QCOMPARE(line.link.ReplyText(), QString::fromLatin1(reply.left(stored)));
    QCOMPARE(line.clock.NowMs() - startMs, waitedMs);
}

void TestLink::nulByteEndsTheReplyText()
{
    Line line;
    line.box.QueueReply(QByteArray("Enter\0Mode", 10));
    QVERIFY(line.link.Exchange("\n"));
    QCOMPARE(line.link.ReplyText(), QStringLiteral("Enter"));
}

void TestLink::emptyReadKeepsThePreviousReply_data()
{
    QTest::addColumn<bool>("slow");
    QTest::addColumn<qint64>("waitedMs");
    QTest::newRow("short set") << false << qint64(1330);
    QTest::newRow("long set") << true << qint64(6500);
}

void TestLink::emptyReadKeepsThePreviousReply()
{
    QFETCH(bool, slow);
    QFETCH(qint64, waitedMs);
    Line line;
    line.box.QueueReply("Enter Mode: ");
    QVERIFY(line.link.Exchange("\n"));
    const qint64 before = line.clock.NowMs();

    QVERIFY(!(slow ? line.link.ExchangeSlow("57\n") : line.link.Exchange("57\n")));
    QCOMPARE(line.link.ReplyText(), QStringLiteral("Enter Mode: "));
    QCOMPARE(line.clock.NowMs() - before, waitedMs);
}

void TestLink::replyEndsAfterTheReadInterval_data()
{
    QTest::addColumn<bool>("slow");
    QTest::addColumn<qint64>("gapMs");
    QTest::addColumn<QString>("reply");
    QTest::newRow("short: gap of 50 is not more than the interval")
        << false << qint64(50) << "abcd";
    QTest::newRow("short: gap of 51 ends the read") << false << qint64(51) << "ab";
    QTest::newRow("long: gap of 500 keeps reading") << true << qint64(500) << "abcd";
    QTest::newRow("long: gap of 501 ends the read") << true << qint64(501) << "ab";
}

void TestLink::replyEndsAfterTheReadInterval()
{
    QFETCH(bool, slow);
    QFETCH(qint64, gapMs);
    QFETCH(QString, reply);
    Line line;
    line.box.QueueReply(CScriptedBox::Reply{{10, "ab"}, {10 + gapMs, "cd"}});
    QVERIFY(slow ? line.link.ExchangeSlow("\n") : line.link.Exchange("\n"));
    QCOMPARE(line.link.ReplyText(), reply);
}

void TestLink::unopenablePortFailsAtOnce()
{
    Line line;
    line.box.QueueReply("Enter Mode");
    QVERIFY(line.link.Exchange("\n"));
    line.link.Configure(9600, 8, kMissingPort, "None", "1");
    const qint64 before = line.clock.NowMs();

    QVERIFY(!line.link.Exchange("\n"));
    QCOMPARE(line.link.ReplyText(), QStringLiteral("Enter Mode"));
    QStringList chunks;
    line.link.CollectRunData(chunks);
    QCOMPARE(chunks.size(), 101);
    QCOMPARE(chunks.join(QString()), QString());
    QCOMPARE(line.clock.NowMs(), before);
}

void TestLink::downloadStopsAtTheModePrompt()
{
    Line line;
    line.box.QueueReply("\r\nImpact complete\r\n");
    line.box.QueueReply("#1#2#3\r\n");
    line.box.QueueReply("\r\n");
    line.box.QueueReply("#4#5#6\r\n");
    line.box.QueueReply("-7-8-9\r\n\r\nEnter Mode: ");
    line.box.SetFallback("must not be read");
    QStringList chunks;
    line.link.CollectRunData(chunks);

    QCOMPARE(chunks, (QStringList{"\r\nImpact complete\r\n", "#1#2#3\r\n", "\r\n", "#4#5#6\r\n",
                                  "-7-8-9\r\n\r\nEnter Mode: "}));
    QCOMPARE(line.box.Writes(), (QByteArrayList{"y", "w", "w", "w", "w"}));
    QCOMPARE(line.link.LastChunk(), QStringLiteral("-7-8-9\r\n\r\nEnter Mode: "));
    QVERIFY(line.link.RunDataComplete());
}

void TestLink::downloadDoesNotSearchTheReplyToY()
{
    Line line;
    line.box.QueueReply("Enter Mode: ");
    line.box.QueueReply("#1#2#3\r\n");
    line.box.QueueReply("Enter Mode: ");
    QStringList chunks;
    line.link.CollectRunData(chunks);
    QCOMPARE(chunks.size(), 3);
}

void TestLink::downloadFindsAPromptCutByTwoReads_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("Enter | Mode") << QByteArray("#1#2#3\r\nEnter") << QByteArray(" Mode: ");
    QTest::newRow("E | nter Mode") << QByteArray("#1#2#3\r\nE") << QByteArray("nter Mode: ");
    QTest::newRow("Enter Mod | e") << QByteArray("#1#2#3\r\nEnter Mod") << QByteArray("e: ");
}

void TestLink::downloadFindsAPromptCutByTwoReads()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    Line line;
    line.box.QueueReply("\r\nImpact complete\r\n");
    line.box.QueueReply(first);
    line.box.QueueReply(second);
    line.box.SetFallback("w");
    QStringList chunks;
    line.link.CollectRunData(chunks);
    QCOMPARE(chunks.size(), 3);
    QCOMPARE(line.clock.NowMs(), 3 * 50);
}

void TestLink::downloadEndsAfter100EmptyPolls_data()
{
    QTest::addColumn<QByteArray>("emptyReply");
    QTest::addColumn<qint64>("pollMs");
    QTest::newRow("silence") << QByteArray() << qint64(1330);
    QTest::newRow("white space only") << QByteArray(" \r\n\t") << qint64(50);
}

void TestLink::downloadEndsAfter100EmptyPolls()
{
    QFETCH(QByteArray, emptyReply);
    QFETCH(qint64, pollMs);
    Line line;
    line.box.QueueReply("\r\nImpact complete\r\n");
    line.box.QueueReply("#1#2#3\r\n");
    line.box.QueueReply("#4#5#6\r\n");
    line.box.SetFallback(emptyReply);
    QStringList chunks;
    line.link.CollectRunData(chunks);

    // The reply to "y", two chunks with data that do not count, 100 empty ones.
    QCOMPARE(chunks.size(), 103);
    QCOMPARE(chunks.last(), QString::fromLatin1(emptyReply));
    QCOMPARE(line.clock.NowMs(), 3 * 50 + 100 * pollMs);
    QVERIFY(!line.link.RunDataComplete());
}

void TestLink::endlessDownloadIsBounded()
{
    Line line;
    line.box.SetFallback("#1#2#3\r\n");
    QStringList chunks;
    line.link.CollectRunData(chunks);
    QCOMPARE(chunks.size(), 1 + CSerialLink::kMaxDownloadPolls);
    QVERIFY(!line.link.RunDataComplete());
}

void TestLink::downloadIsBoundedInTime_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<qint64>("boundAtLeastMs");
    QTest::addColumn<qint64>("boundAtMostMs");
    QTest::newRow("9600: a few minutes") << 9600 << qint64(240000) << qint64(300000);
    QTest::newRow("115200") << 115200 << qint64(150000) << qint64(240000);
    QTest::newRow("1200: the slowest line needs longer")
        << 1200 << qint64(900000) << qint64(1200000);
    QTest::newRow("not a number: as slow as 1200") << 0 << qint64(900000) << qint64(1200000);
}

// A box that trickles a byte every 45 ms keeps each poll reading for its
// whole 1330 ms: 2000 polls would last 44 minutes.
void TestLink::downloadIsBoundedInTime()
{
    QFETCH(int, baudRate);
    QFETCH(qint64, boundAtLeastMs);
    QFETCH(qint64, boundAtMostMs);
    Line line;
    line.link.Configure(baudRate, 8, CPortFactory::kSimulatorPort, "None", "1");
    CScriptedBox::Reply trickle;
    for (qint64 atMs = 10; atMs <= 1330; atMs += 45)
        trickle.append({atMs, "#"});
    line.box.SetFallback(trickle);
    const qint64 boundMs = CSerialLink::MaxDownloadMs(baudRate);
    QVERIFY2(boundMs >= boundAtLeastMs && boundMs <= boundAtMostMs,
             qPrintable(QString::number(boundMs)));

    QStringList chunks;
    line.link.CollectRunData(chunks);
    QVERIFY(!line.link.RunDataComplete());
    QVERIFY(chunks.size() < 1 + CSerialLink::kMaxDownloadPolls);
    // It stops at the first poll that would start past the bound.
    const qint64 pollMs = CSerialLink::kShortTimeouts.ReadTotalMs(CSerialLink::kReplyBytes);
    QVERIFY2(line.clock.NowMs() >= boundMs && line.clock.NowMs() < boundMs + pollMs,
             qPrintable(QString::number(line.clock.NowMs())));
    QCOMPARE(line.clock.NowMs(), qint64(chunks.size()) * pollMs);
}

void TestLink::mapsPortNamesToDevices_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");
#ifdef Q_OS_WIN
    QTest::newRow("Com1") << "Com1"
                          << "COM1";
    QTest::newRow("Com9") << "Com9"
                          << "COM9";
#else
    QTest::newRow("Com1") << "Com1"
                          << "/dev/ttyS0";
    QTest::newRow("Com9") << "Com9"
                          << "/dev/ttyS8";
    QTest::newRow("COM3 in upper case") << "COM3"
                                        << "/dev/ttyS2";
    QTest::newRow("device path") << "/dev/pts/3"
                                 << "/dev/pts/3";
    QTest::newRow("listed name") << "ttyUSB0"
                                 << "ttyUSB0";
#endif
    QTest::newRow("Com0 is no Com port") << "Com0"
                                         << "Com0";
    QTest::newRow("Com10 is no Com port") << "Com10"
                                          << "Com10";
}

void TestLink::mapsPortNamesToDevices()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QCOMPARE(CPortFactory::SystemPortName(name), device);
}

#ifndef Q_OS_WIN
void TestLink::translatesLineSettingsForQt()
{
    QCOMPARE(CQtSerialBackend::ToDataBits(8), std::optional(QSerialPort::Data8));
    QCOMPARE(CQtSerialBackend::ToDataBits(0x105), std::optional(QSerialPort::Data5));
    QCOMPARE(CQtSerialBackend::ToDataBits(9), std::nullopt);
    QCOMPARE(CQtSerialBackend::ToParity(CSerialLink::ParityCode("Odd")), QSerialPort::OddParity);
    QCOMPARE(CQtSerialBackend::ToParity(CSerialLink::ParityCode("Even")), QSerialPort::EvenParity);
    QCOMPARE(CQtSerialBackend::ToParity(CSerialLink::ParityCode("Mark")), QSerialPort::MarkParity);
    QCOMPARE(CQtSerialBackend::ToParity(CSerialLink::ParityCode("Space")),
             QSerialPort::SpaceParity);
    QCOMPARE(CQtSerialBackend::ToParity(CSerialLink::ParityCode("none")), QSerialPort::NoParity);
    QCOMPARE(CQtSerialBackend::ToStopBits(CSerialLink::StopBitsCode("1.5")),
             QSerialPort::OneAndHalfStop);
    QCOMPARE(CQtSerialBackend::ToStopBits(CSerialLink::StopBitsCode("2")), QSerialPort::TwoStop);
    QCOMPARE(CQtSerialBackend::NearestStopBits(QSerialPort::OneAndHalfStop), QSerialPort::TwoStop);
}
#endif

void TestLink::systemClockCallsTheHookWhileSleeping()
{
    CSystemClock clock;
    int calls = 0;
    clock.SetWaitHook([&calls] { ++calls; });
    const qint64 start = clock.NowMs();
    clock.SleepMs(35);
    QVERIFY(clock.NowMs() - start >= 35);
    QVERIFY2(calls >= 3, qPrintable(QString::number(calls)));
}

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"

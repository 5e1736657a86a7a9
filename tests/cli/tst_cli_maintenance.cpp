#include "CBoxSimProcess.h"
#include "CliProcess.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString HexFile(const QString& name, int lines)
{
    const QString path = Scratch().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (int i = 0; i < lines; ++i)
        file.write(QByteArray(":10") + QByteArray::number(i, 16).rightJustified(4, '0') +
                   "00000102030405060708090A0B0C0D0E0F00\r\n");
    return path;
}

const QString kNotResponding = QStringLiteral(
    "COM Port or Device is Not Responding!\nPlease Check Serial Cable and Machine Power.");
const QString kMissingPort = QStringLiteral("/nonexistent/zentak-port");

}  // namespace

class TestCliMaintenance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badArgumentsSendNothing_data();
    void badArgumentsSendNothing();
    void readsTheSensitivity();
    void setsTheSensitivityAfterConfirmation_data();
    void setsTheSensitivityAfterConfirmation();
    void sensitivityOnAMissingPort();
    void reprogramsTheSimulatedBox();
    void reprogramsOverAPseudoTerminal();
    void firmwareStopsBeforeSending_data();
    void firmwareStopsBeforeSending();
};

void TestCliMaintenance::badArgumentsSendNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("set 7001") << QStringList{"sensitivity", "--set", "7001"}
                              << "--set: Please enter an integer between 3000 and 7000.";
    QTest::newRow("set 2999") << QStringList{"sensitivity", "--set", "2999"}
                              << "--set: Please enter an integer between 3000 and 7000.";
    QTest::newRow("set letters") << QStringList{"sensitivity", "--set", "543.1"}
                                 << "--set: Please enter an integer.";
    QTest::newRow("sensitivity stray argument") << QStringList{"sensitivity", "5000"} << "5000";
    QTest::newRow("sensitivity parity in lower case")
        << QStringList{"sensitivity", "--parity", "odd"} << "--parity";
    QTest::newRow("firmware without a file") << QStringList{"firmware"} << "which firmware file?";
    QTest::newRow("firmware with two files")
        << QStringList{"firmware", "a.hex", "b.hex"} << "unexpected argument 'b.hex'";
    QTest::newRow("firmware baud")
        << QStringList{"firmware", "a.hex", "--baud", "fast"} << "--baud";
    QTest::newRow("firmware unknown option")
        << QStringList{"firmware", "a.hex", "--force"} << "force";
}

void TestCliMaintenance::badArgumentsSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CliOutcome outcome = RunCli(arguments + QStringList{"--port", kMissingPort});
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(outcome.err.contains(QLatin1String("usage: zentak-cli")));
    QVERIFY(!outcome.err.contains(QLatin1String("Not Responding")));
    QVERIFY(outcome.out.isEmpty());
}

void TestCliMaintenance::readsTheSensitivity()
{
    const CliOutcome outcome = RunCli({"sensitivity", "--port", "Simulator"});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.out, QStringLiteral("Force Sensitivity: 5431\n"));
    QVERIFY(outcome.err.isEmpty());
}

void TestCliMaintenance::setsTheSensitivityAfterConfirmation_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::newRow("--yes") << QStringList{"--yes"} << QByteArray() << 0
                           << "Force Sensitivity: 4800\n";
    QTest::newRow("answered y") << QStringList{} << QByteArray("y\n") << 0
                                << "Force Sensitivity: 4800\n";
    QTest::newRow("answered n") << QStringList{} << QByteArray("n\n") << 1 << "";
    QTest::newRow("no answer") << QStringList{} << QByteArray() << 1 << "";
}

void TestCliMaintenance::setsTheSensitivityAfterConfirmation()
{
    QFETCH(QStringList, extra);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    const CliOutcome outcome =
        RunCli(QStringList{"sensitivity", "--port", "Simulator", "--set", "4800"} + extra, input);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.out, out);
    QVERIFY(outcome.err.contains(QLatin1String("The control box holds 5431.")));
    QVERIFY(outcome.err.contains(QLatin1String("Confirm Setting? [y/N]")));
    // Declining is the operator's choice, not a dead box.
    QVERIFY2(!outcome.err.contains(QLatin1String("Not Responding")), qPrintable(outcome.err));
    QCOMPARE(outcome.err.contains(QLatin1String("The sensitivity was not changed.")),
             exitCode != 0);
}

void TestCliMaintenance::sensitivityOnAMissingPort()
{
    const CliOutcome outcome = RunCli({"sensitivity", "--port", kMissingPort, "--set", "5000"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(outcome.out.isEmpty());
    QCOMPARE(outcome.err, kNotResponding + u'\n');
    QVERIFY(outcome.elapsedMs < 5000);
}

// A box at its main prompt: 2 s + 3 s before the lines, 2 s before the end.
void TestCliMaintenance::reprogramsTheSimulatedBox()
{
    const QString hex = HexFile(QStringLiteral("four.hex"), 4);
    const CliOutcome outcome = RunCli({"firmware", hex, "--port", "Simulator", "--yes"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(outcome.err.contains(QLatin1String("Reprogram Firmware Now? [y/N] y")));
    QVERIFY(outcome.err.contains(QLatin1String("\rWriting Firmware... 75%")));
    QVERIFY(outcome.err.endsWith(QLatin1String("\nFirmware Upgrade Successful!\n")));
    QVERIFY(outcome.elapsedMs >= 7000);
}

void TestCliMaintenance::reprogramsOverAPseudoTerminal()
{
#ifdef ZENTAK_BOXSIM
    CBoxSimProcess box({"--fault", "returning"});
    const QString device = box.Device();
    QVERIFY(!device.isEmpty());
    const QString hex = HexFile(QStringLiteral("forty.hex"), 40);
    const CliOutcome outcome =
        RunCli({"firmware", hex, "--port", device, "--baud", "115200", "--yes"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.err.contains(QLatin1String("Writing Firmware... 97%")),
             qPrintable(outcome.err));
    QVERIFY(outcome.err.endsWith(QLatin1String("\nFirmware Upgrade Successful!\n")));
#else
    QSKIP("no pseudo-terminals on this system");
#endif
}

void TestCliMaintenance::firmwareStopsBeforeSending_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString hex = HexFile(QStringLiteral("one.hex"), 1);
    const QString missing = Scratch().filePath(QStringLiteral("missing.hex"));
    QTest::newRow("missing file")
        << QStringList{"firmware", missing, "--yes"}
        << QStringLiteral("%1 was not found.").arg(QDir::toNativeSeparators(missing));
    QTest::newRow("endless device")
        << QStringList{"firmware", "/dev/zero", "--yes"}
        << QStringLiteral("/dev/zero is not an ordinary file (a device or a pipe may never end). "
                          "It was not read.");
    QTest::newRow("not confirmed")
        << QStringList{"firmware", hex} << QStringLiteral("Reprogram Firmware Now? [y/N] ");
    QTest::newRow("missing port") << QStringList{"firmware", hex, "--yes"}
                                  << kNotResponding + QStringLiteral("\nFirmware Upgrade Failed!");
}

void TestCliMaintenance::firmwareStopsBeforeSending()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CliOutcome outcome = RunCli(arguments + QStringList{"--port", kMissingPort});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(!outcome.err.contains(QLatin1String("Successful")));
    QVERIFY(outcome.out.isEmpty());
    QVERIFY(outcome.elapsedMs < 5000);
}

QTEST_GUILESS_MAIN(TestCliMaintenance)
#include "tst_cli_maintenance.moc"

#include "CBoxSimProcess.h"
#include "CliProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <grp.h>
#include <unistd.h>
#endif

namespace {

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

int Printed(const QString& out, const QString& label)
{
    const QRegularExpression line(QStringLiteral("^%1: (-?\\d+)$").arg(label),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(out);
    return match.hasMatch() ? match.captured(1).toInt() : -99999;
}

const QStringList kSimulatedImpact{"run",        "--port", "Simulator", "--force", "100",
                                   "--velocity", "100",    "--dwell",   "0"};

#ifndef Q_OS_WIN
// A device the test user may not open, though its group may: as root the
// file belongs to the group "dialout" where there is one and zentak-cli runs
// as nobody; otherwise the owner is denied by the owner's own bits.
struct DeniedPort {
    QTemporaryDir dir;
    QString path;
    QString owningGroup;
    QString program;
    QStringList prefix;

    bool Create()
    {
        path = dir.filePath(QStringLiteral("ttyDenied"));
        QFile port(path);
        if (!port.open(QIODevice::WriteOnly))
            return false;
        port.close();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup |
                                              QFile::ReadOther | QFile::ExeOther);
        program = QStringLiteral(ZENTAK_CLI);
        if (::geteuid() == 0) {
            const group* dialout = ::getgrnam("dialout");
            if (dialout && ::chown(QFile::encodeName(path).constData(), 0, dialout->gr_gid) != 0)
                return false;
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                            QFile::WriteGroup);
            // The build tree may sit where nobody cannot reach it.
            program = dir.filePath(QStringLiteral("zentak-cli"));
            if (!QFile::copy(QStringLiteral(ZENTAK_CLI), program))
                return false;
            prefix = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                      QStringLiteral("--clear-groups"), program};
            program = QStringLiteral("setpriv");
        } else {
            QFile::setPermissions(path, QFile::ReadGroup | QFile::WriteGroup);
        }
        owningGroup = QFileInfo(path).group();
        return !owningGroup.isEmpty();
    }
};
#endif

}  // namespace

class TestCliRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badArgumentsRunNothing_data();
    void badArgumentsRunNothing();
    void completesAnImpactOnTheSimulator();
    void completesAnImpactOverAPseudoTerminal();
    void jsonOutcomeIsOneObject_data();
    void jsonOutcomeIsOneObject();
    void cutShortDownloadIsKeptThenReported();
    void flaggedImpactIsStillLoggedAndSaved_data();
    void flaggedImpactIsStillLoggedAndSaved();
    void noAnswerIsNo();
    void displacementModeIsRefused();
    void completedImpactIsLoggedSavedAndExported();
    void unwritableOutputFailsButKeepsTheLog();
    void refusedImpactWritesNothing();
    void missingPortIsNotResponding();
    // COM ports carry no per-user rights: Windows has no such denial.
#ifndef Q_OS_WIN
    void deniedPortNamesItsGroup_data();
    void deniedPortNamesItsGroup();
#endif
};

void TestCliRun::badArgumentsRunNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QStringList sim{"run", "--port", "Simulator", "--yes"};
    QTest::newRow("no force") << sim << "--force is required";
    QTest::newRow("force 0") << sim + QStringList{"--force", "0"}
                             << "--force: Please enter an integer between 1 and 1000.";
    QTest::newRow("force 1001") << sim + QStringList{"--force", "1001"}
                                << "--force: Please enter an integer between 1 and 1000.";
    QTest::newRow("force with letters")
        << sim + QStringList{"--force", "12a"} << "--force: Please enter an integer.";
    QTest::newRow("velocity 101") << sim + QStringList{"--force", "10", "--velocity", "101"}
                                  << "--velocity: Please enter an integer between 0 and 100.";
    QTest::newRow("dwell 61") << sim + QStringList{"--force", "10", "--dwell", "61"}
                              << "--dwell: Please enter an integer between 0 and 60.";
    QTest::newRow("displacement not a number")
        << sim + QStringList{"--force", "10", "--disp", "x"} << "--disp: Please enter an integer.";
    QTest::newRow("unknown mode") << sim + QStringList{"--force", "10", "--mode", "sideways"}
                                  << "--mode";
    QTest::newRow("parity in lower case")
        << sim + QStringList{"--force", "10", "--parity", "even"} << "--parity";
    QTest::newRow("stop bits") << sim + QStringList{"--force", "10", "--stop-bits", "3"}
                               << "--stop-bits";
    QTest::newRow("baud not a number")
        << sim + QStringList{"--force", "10", "--baud", "fast"} << "--baud";
    QTest::newRow("byte size 9") << sim + QStringList{"--force", "10", "--byte-size", "9"}
                                 << "--byte-size";
    QTest::newRow("unknown option")
        << sim + QStringList{"--force", "10", "--speed", "3"} << "speed";
    QTest::newRow("stray argument") << sim + QStringList{"--force", "10", "now"} << "now";
    QTest::newRow("subject too long")
        << sim + QStringList{"--force", "10", "--subject", QString(65, u'x')}
        << "--subject: The subject is 65 characters long; it may hold at most 64.";
    QTest::newRow("subject of two lines")
        << sim + QStringList{"--force", "10", "--subject", "rat\n17"}
        << "--subject: The subject must be one line of text";
}

void TestCliRun::badArgumentsRunNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CliOutcome outcome = RunCli(arguments);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(!outcome.err.contains(QLatin1String("Running")));
    QVERIFY(outcome.out.isEmpty());
}

void TestCliRun::completesAnImpactOnTheSimulator()
{
    const qint64 loggedBefore = QFileInfo(CliTestRunLog()).size();
    const CliOutcome outcome = RunCli(kSimulatedImpact + QStringList{"--yes"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(QFileInfo(CliTestRunLog()).size() > loggedBefore + 1000);
    const int force = Printed(outcome.out, "Actual Force");
    QVERIFY2(force >= 100 && force <= 110, qPrintable(outcome.out));
    QVERIFY2(qAbs(Printed(outcome.out, "Actual Velocity") - 100) <= 10, qPrintable(outcome.out));
    QVERIFY(Printed(outcome.out, "Actual Displacement") > 100);
    QVERIFY(Printed(outcome.out, "Down Samples") > 30);
    QVERIFY(Printed(outcome.out, "Up Samples") > 30);
    QVERIFY(outcome.err.contains(QLatin1String("Impact Now?")));
    QVERIFY2(outcome.out.endsWith(QLatin1String("\nQC pass\n")), qPrintable(outcome.out));
}

// What a script reads: one object on one line, whichever box command ran.
void TestCliRun::jsonOutcomeIsOneObject_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most");
    const QStringList sensitivity{"sensitivity", "--port", "Simulator", "--json"};
    QTest::newRow("run") << kSimulatedImpact + QStringList{"--yes", "--json"} << "actualForce"
                         << 100 << 110;
    QTest::newRow("sensitivity") << sensitivity << "forceSensitivity" << 5431 << 5431;
    QTest::newRow("sensitivity set") << sensitivity + QStringList{"--set", "4800", "--yes"}
                                     << "forceSensitivity" << 4800 << 4800;
}

void TestCliRun::jsonOutcomeIsOneObject()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, key);
    QFETCH(int, least);
    QFETCH(int, most);
    const CliOutcome outcome = RunCli(arguments);
    QCOMPARE(outcome.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(outcome.outBytes, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(json.isObject());
    QCOMPARE(outcome.outBytes.count('\n'), 1);
    const int value = json[key].toInt(-1);
    QVERIFY2(value >= least && value <= most, outcome.outBytes.constData());
}

void TestCliRun::completesAnImpactOverAPseudoTerminal()
{
#ifdef ZENTAK_BOXSIM
    CBoxSimProcess box({"--release", "4"});
    const QString device = box.Device();
    QVERIFY(!device.isEmpty());
    const CliOutcome outcome = RunCli({"run", "--port", device, "--baud", "115200", "--force", "50",
                                       "--velocity", "80", "--yes"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(
        outcome.err.contains(QLatin1String("Release 5 is Currently Available.\nContinue Anyway?")));
    const int force = Printed(outcome.out, "Actual Force");
    QVERIFY2(force >= 50 && force <= 55, qPrintable(outcome.out));
#else
    QSKIP("no pseudo-terminals on this system");
#endif
}

// The box's line goes dead after three blocks of samples: the impact is
// logged and saved with what arrived, then the operator is told and the
// command fails.
void TestCliRun::cutShortDownloadIsKeptThenReported()
{
#ifdef ZENTAK_BOXSIM
    CBoxSimProcess box({"--no-pace", "--fault", "unplug-after=11"});
    const QString device = box.Device();
    QVERIFY(!device.isEmpty());
    const QString log = Scratch().filePath(QStringLiteral("cut-short.log"));
    const QString exp = Scratch().filePath(QStringLiteral("cut-short.exp"));
    const CliOutcome outcome =
        RunCli({"run", "--port", device, "--baud", "115200", "--force", "100", "--velocity", "100",
                "--yes", "--out", exp, "--run-log", log});

    QCOMPARE(outcome.exitCode, 1);
    const int down = Printed(outcome.out, "Down Samples");
    const int up = Printed(outcome.out, "Up Samples");
    QVERIFY2(down > 0 && up == 0, qPrintable(outcome.out));
    const QString message = QStringLiteral("Impact Data Download Was Cut Short!\n"
                                           "Samples Received: %1 (%2 Down, %3 Up).\n"
                                           "Please Check Serial Cable and Machine Power.\n")
                                .arg(down + up)
                                .arg(down)
                                .arg(up);
    QVERIFY2(outcome.err.endsWith(message), qPrintable(outcome.err));
    QFile saved(exp), logged(log);
    QVERIFY(saved.open(QIODevice::ReadOnly) && logged.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.contains("Displacement Data"));
    QCOMPARE(logged.readAll(), bytes);
    QVERIFY2(outcome.elapsedMs < 10000, qPrintable(QString::number(outcome.elapsedMs)));
#else
    QSKIP("no pseudo-terminals on this system");
#endif
}

void TestCliRun::flaggedImpactIsStillLoggedAndSaved_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("second-hit") << "second-hit"
                                << "QC flags: second hit";
    QTest::newRow("early-contact") << "early-contact"
                                   << "QC flags: early contact, too few samples";
}

// The verdict is printed after the values; it changes neither the exit
// status nor a byte of what is logged and saved.
void TestCliRun::flaggedImpactIsStillLoggedAndSaved()
{
#ifdef ZENTAK_BOXSIM
    QFETCH(QString, fault);
    QFETCH(QString, verdict);
    CBoxSimProcess box({"--no-pace", "--fault", fault});
    const QString device = box.Device();
    QVERIFY(!device.isEmpty());
    const QString log = Scratch().filePath(fault + QStringLiteral(".log"));
    const QString exp = Scratch().filePath(fault + QStringLiteral(".exp"));
    const CliOutcome outcome =
        RunCli({"run", "--port", device, "--baud", "115200", "--force", "100", "--velocity", "100",
                "--yes", "--out", exp, "--run-log", log});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.out.endsWith(QStringLiteral("\nUp Samples: %1\n%2\n")
                                      .arg(Printed(outcome.out, "Up Samples"))
                                      .arg(verdict)),
             qPrintable(outcome.out));
    QFile saved(exp), logged(log);
    QVERIFY(saved.open(QIODevice::ReadOnly) && logged.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QCOMPARE(logged.readAll(), bytes);
    QVERIFY(!bytes.contains("QC"));
#else
    QSKIP("no pseudo-terminals on this system");
#endif
}

void TestCliRun::noAnswerIsNo()
{
    const CliOutcome outcome = RunCli(kSimulatedImpact);
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(outcome.err.contains(
        QLatin1String("Impact Now?\nForce 100 K dynes, velocity 100 mm/s, dwell 0 s. [y/N]")));
    QVERIFY(outcome.err.contains(QLatin1String("Impact Aborted.")));
    QVERIFY(outcome.out.isEmpty());
}

void TestCliRun::displacementModeIsRefused()
{
    const CliOutcome outcome = RunCli(kSimulatedImpact + QStringList{"--mode", "displacement"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(outcome.err.contains(
        QLatin1String("Displacement Experiment Unavailable in Current Software Release.\n"
                      "Please Watch the ZEV Website for the Lastest Release")));
}

void TestCliRun::missingPortIsNotResponding()
{
    const CliOutcome outcome =
        RunCli({"run", "--port", "/nonexistent/zentak-port", "--force", "10", "--yes"});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(outcome.err.contains(QLatin1String("COM Port or Device is Not Responding!\n"
                                               "Please Check Serial Cable and Machine Power.\n"
                                               "Port: /nonexistent/zentak-port\n")));
    QVERIFY(outcome.elapsedMs < 5000);
}

#ifndef Q_OS_WIN
void TestCliRun::deniedPortNamesItsGroup_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("run") << QStringList{"run", "--force", "10", "--yes"};
    QTest::newRow("sensitivity") << QStringList{"sensitivity"};
    QTest::newRow("firmware") << QStringList{"firmware", "FIRMWARE", "--yes"};
}

void TestCliRun::deniedPortNamesItsGroup()
{
    QFETCH(QStringList, arguments);
    DeniedPort port;
    QVERIFY(port.Create());
    const QString firmware = port.dir.filePath(QStringLiteral("update.hex"));
    QFile hex(firmware);
    QVERIFY(hex.open(QIODevice::WriteOnly) && hex.write(":00000001FF\r\n") > 0);
    hex.close();
    QFile::setPermissions(firmware, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const qsizetype slot = arguments.indexOf(QStringLiteral("FIRMWARE"));
    if (slot >= 0)
        arguments[slot] = firmware;

    QProcess process;
    process.start(port.program, port.prefix + arguments + QStringList{"--port", port.path});
    QVERIFY2(process.waitForFinished(20000), qPrintable(process.errorString()));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 1);
    const QString expected = QStringLiteral("No Permission to Use Serial Port %1!\nPlease Add Your "
                                            "User to the Group \"%2\" and Log In Again.")
                                 .arg(port.path, port.owningGroup);
    QVERIFY2(err.contains(expected), qPrintable(err));
    QVERIFY(!err.contains(QLatin1String("Not Responding")));
}
#endif

void TestCliRun::completedImpactIsLoggedSavedAndExported()
{
    const QString log = Scratch().filePath(QStringLiteral("saved.log"));
    const QString exp = Scratch().filePath(QStringLiteral("saved.exp"));
    const QString csv = Scratch().filePath(QStringLiteral("saved.csv"));
    const CliOutcome outcome = RunCli(
        kSimulatedImpact + QStringList{"--yes", "--out", exp, "--csv", csv, "--run-log", log});
    QCOMPARE(outcome.exitCode, 0);

    // The log holds exactly the record that was saved, stamp included.
    QFile saved(exp), logged(log);
    QVERIFY(saved.open(QIODevice::ReadOnly) && logged.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QCOMPARE(logged.readAll(), bytes);
    const QRegularExpression stamp(QStringLiteral(
        "Comments:\\r\\nDate: [A-Z][a-z]+ \\d\\d, \\d{4}\\. \\r\\nTime: \\d\\d:\\d\\d:\\d\\d\\."));
    QVERIFY2(stamp.match(QString::fromLatin1(bytes)).hasMatch(), bytes.left(400).constData());

    const CliOutcome shown = RunCli({"show", exp, "--json"});
    QCOMPARE(shown.exitCode, 0);
    const QJsonObject record = QJsonDocument::fromJson(shown.out.toUtf8()).object();
    QVERIFY(record.value("dataPresent").toBool());
    const QJsonObject actual = record.value("actual").toObject();
    QCOMPARE(actual.value("force").toInt(), Printed(outcome.out, "Actual Force"));
    QCOMPARE(actual.value("displacement").toInt(), Printed(outcome.out, "Actual Displacement"));
    QCOMPARE(actual.value("velocity").toInt(), Printed(outcome.out, "Actual Velocity"));
    for (const char* stroke : {"dispDown", "forceDown", "stepTimeDown"})
        QCOMPARE(record.value(stroke).toArray().size(), Printed(outcome.out, "Down Samples"));
    for (const char* stroke : {"dispUp", "forceUp", "stepTimeUp"})
        QCOMPARE(record.value(stroke).toArray().size(), Printed(outcome.out, "Up Samples"));

    // The traces the run exported are the traces the saved file holds.
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray fromRun = exported.readAll();
    QVERIFY(fromRun.count("\r\n") > 60);
    const QString reexported = Scratch().filePath(QStringLiteral("from-file.csv"));
    QCOMPARE(RunCli({"export", exp, "-o", reexported}).exitCode, 0);
    QFile fromFile(reexported);
    QVERIFY(fromFile.open(QIODevice::ReadOnly));
    QCOMPARE(fromFile.readAll(), fromRun);
}

void TestCliRun::unwritableOutputFailsButKeepsTheLog()
{
    const QString log = Scratch().filePath(QStringLiteral("unwritable.log"));
    const QString exp = Scratch().filePath(QStringLiteral("no-such-folder/out.exp"));
    const CliOutcome outcome =
        RunCli(kSimulatedImpact + QStringList{"--yes", "--out", exp, "--run-log", log});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.contains(QLatin1String("out.exp")), qPrintable(outcome.err));
    QVERIFY(QFileInfo(log).size() > 1000);
    QVERIFY(Printed(outcome.out, "Actual Force") >= 100);
}

void TestCliRun::refusedImpactWritesNothing()
{
    const QString log = Scratch().filePath(QStringLiteral("refused.log"));
    const QString exp = Scratch().filePath(QStringLiteral("refused.exp"));
    const CliOutcome outcome =
        RunCli(kSimulatedImpact + QStringList{"--out", exp, "--run-log", log});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY(!QFile::exists(log));
    QVERIFY(!QFile::exists(exp));
}

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_cli_run.moc"

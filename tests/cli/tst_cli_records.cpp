#include "CliProcess.h"
#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString DataPath(const char* name)
{
    return QStringLiteral(ZENTAK_TEST_DATA "/") + QLatin1String(name);
}

QJsonArray Array(std::initializer_list<int> values)
{
    QJsonArray array;
    for (int value : values)
        array.append(value);
    return array;
}

// The release-4 fixture as CSV: deepest point 2090 counts.
const QByteArray kRelease4Csv = "Displacement (microns),Time (ms)\r\n"
                                "1587,0.000\r\n"
                                "1411,0.360\r\n"
                                "881,0.720\r\n"
                                "0,1.080\r\n"
                                "176,0.000\r\n"
                                "1058,0.360\r\n"
                                "Force (K dynes),Time (ms)\r\n"
                                "0,0.000\r\n"
                                "15,0.360\r\n"
                                "90,0.720\r\n"
                                "152,1.080\r\n"
                                "70,0.000\r\n"
                                "2,0.360\r\n";

}  // namespace

class TestCliRecords : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void showJsonHasExactlyTheKeys();
    void showAfterLoadMessage_data();
    void showAfterLoadMessage();
    void showPrintsTextRecord();
    void showJudgesByTheWindowsThresholds();
    void showRefusesWhatItCannotRead_data();
    void showRefusesWhatItCannotRead();
    void badArguments_data();
    void badArguments();
    void exportBesideTheFile();
    void exportToChosenFile();
    void exportRefusesIncompleteLoad();
    void resaveInCurrentLayout_data();
    void resaveInCurrentLayout();
    void resaveRefusesIncompleteLoad_data();
    void resaveRefusesIncompleteLoad();
    void samplesThatAreNoDataAreNotWritten_data();
    void samplesThatAreNoDataAreNotWritten();
};

void TestCliRecords::showJsonHasExactlyTheKeys()
{
    const CliOutcome result =
        RunCli({QStringLiteral("show"), DataPath("release4.exp"), QStringLiteral("--json")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QJsonParseError error{};
    const QJsonObject json = QJsonDocument::fromJson(result.outBytes, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QStringList keys = json.keys();
    keys.sort();
    QCOMPARE(keys,
             (QStringList{"actual", "comments", "dataPresent", "desired", "dispDown", "dispUp",
                          "firmwareRelease", "firmwareVersion", "forceDown", "forceUp", "format",
                          "measures", "qc", "stats", "stepTimeDown", "stepTimeUp"}));
    // Contact measured from sample 1 (2010, 15 K dynes), the peak sample 3
    // (2090, 152): 80 counts = 1411.11 microns in 2 x 0.36 ms = 1959.9 mm/s;
    // work (15 + 90) / 2 x 30 + (90 + 152) / 2 x 50 = 7625 K dyne counts
    // x 0.1763889 = 1344.965 uJ.
    const QJsonObject measures = json["measures"].toObject();
    QCOMPARE(measures["dispAtPeakMicrons"].toDouble(), 1411.0);
    QCOMPARE(measures["peakTimeMs"].toDouble(), 1.08);
    QCOMPARE(measures["workMicroJ"].toDouble(), 1344.965);
    QCOMPARE(measures["meanVelocityMmPerS"].toDouble(), 1959.9);
    QCOMPARE(json["format"].toInt(), 4);
    QCOMPARE(json["firmwareRelease"].toInt(), 4);
    QCOMPARE(json["firmwareVersion"].toString(), QString());
    QCOMPARE(json["desired"].toObject(),
             (QJsonObject{{"force", 150}, {"displacement", 1}, {"velocity", 100}, {"dwell", 5}}));
    QCOMPARE(json["actual"].toObject(),
             (QJsonObject{{"force", 152}, {"displacement", 1411}, {"velocity", 97}, {"dwell", 5}}));
    QCOMPARE(json["dispDown"].toArray(), Array({2000, 2010, 2040, 2090}));
    QCOMPARE(json["forceDown"].toArray(), Array({0, 150, 900, 1520}));
    QCOMPARE(json["dispUp"].toArray(), Array({2080, 2030}));
    QCOMPARE(json["forceUp"].toArray(), Array({700, 20}));
    QCOMPARE(json["stepTimeDown"].toArray(), QJsonArray());
    QCOMPARE(json["stats"].toObject(),
             (QJsonObject{
                 {"dispMax", 2090}, {"dispMin", 2000}, {"forceMax", 1520}, {"contactIndex", 2}}));
    QCOMPARE(json["comments"].toString(), QStringLiteral("Rat 12, T10"));
    QCOMPARE(json["dataPresent"].toBool(), true);
    // Four samples: too few; 152 K dynes for 150 and a velocity from too
    // short a stroke are no flag.
    QCOMPARE(json["qc"].toObject(),
             (QJsonObject{{"pass", false},
                          {"flags", QJsonArray{"too-few-samples"}},
                          {"text", "QC flags: too few samples"},
                          {"thresholds", QJsonObject{{"forceToleranceKdyn", 10},
                                                     {"velocityTolerancePercent", 10},
                                                     {"earlyContactForceKdyn", 20},
                                                     {"secondHitRiseKdyn", 5},
                                                     {"boneDisplacementMicrons", 100},
                                                     {"minDownSamples", 32}}}}));
}

void TestCliRecords::showAfterLoadMessage_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("format");
    QTest::addColumn<QJsonArray>("dispDown");
    QTest::newRow("no known header")
        << DataPath("no_header.txt") << "Not a Valid Experiment File.\n"
        << 0 << QJsonArray();
    QTest::newRow("transcript never completes")
        << DataPath("transcript_incomplete.txt")
        << "Old Experiment File Load Failed. \nCheck to see if it is a valid file.\n"
        << 3 << Array({2000, 2010, 2040});
}

// Exit 1, the message on stderr, the record as the load left it on stdout.
void TestCliRecords::showAfterLoadMessage()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(int, format);
    QFETCH(QJsonArray, dispDown);
    const CliOutcome result = RunCli({QStringLiteral("show"), QStringLiteral("--json"), file});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, message);
    const QJsonObject json = QJsonDocument::fromJson(result.outBytes).object();
    QCOMPARE(json["format"].toInt(), format);
    QCOMPARE(json["dispDown"].toArray(), dispDown);
    QCOMPARE(json["desired"].toObject()["force"].toInt(), 100);
    QCOMPARE(json["actual"].toObject()["force"].toInt(), 0);
    QCOMPARE(json["stats"].toObject()["dispMin"].toInt(), 5555);
    QCOMPARE(json["dataPresent"].toBool(), false);
    QVERIFY(json["qc"].isNull());  // no impact, no verdict
}

void TestCliRecords::showPrintsTextRecord()
{
    const CliOutcome result = RunCli({QStringLiteral("show"), DataPath("release4.exp")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(
        result.outBytes.contains("Desired:           force 150 K dynes, displacement 1 microns, "
                                 "velocity 100 mm/s, dwell 5 s\n"));
    QVERIFY(result.outBytes.contains("Data present:      yes\n"
                                     "Quality check:     QC flags: too few samples\n"
                                     "Comments:\nRat 12, T10\n"));
    QVERIFY(result.outBytes.contains("Down stroke, 4 samples\n"));
    QVERIFY(result.outBytes.contains("     4         2090     1520\n"));
}

// The thresholds the window's dialog keeps in the user's settings; one out of
// its range (the minimum is 6 samples) counts as its default.
void TestCliRecords::showJudgesByTheWindowsThresholds()
{
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("Local AppWizard-Generated Applications"));
    QFile conf(
        config.filePath(QStringLiteral("Local AppWizard-Generated Applications/Zentak.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[Quality%20Check]\nforceToleranceKdyn=1\nminDownSamples=4\n");
    conf.close();
    const CliOutcome result = RunCli({QStringLiteral("show"), DataPath("release4.exp")}, {},
                                     {QString(), {{"XDG_CONFIG_HOME", config.path()}}});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.outBytes.contains(
                 "Quality check:     QC flags: force off target, too few samples\n"),
             result.outBytes.constData());
}

void TestCliRecords::showRefusesWhatItCannotRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    const QString missing = dir.filePath(QStringLiteral("none.exp"));
    QTest::newRow("missing") << missing << missing + QStringLiteral(" was not found.\n");
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero")
        << QStringLiteral("/dev/zero is not an ordinary file (a device or a pipe may never end). "
                          "It was not read.\n");
    const QString huge = dir.filePath(QStringLiteral("huge.exp"));
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(300) << 20));
    QTest::newRow("300 MB")
        << huge
        << QStringLiteral("%1 is too large to be an experiment file (314572800 bytes; the limit "
                          "is 16777216 bytes). It was not read.\n")
               .arg(huge);
}

// Exit 1 at once with the reason; nothing is printed as a record.
void TestCliRecords::showRefusesWhatItCannotRead()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    const CliOutcome result = RunCli({QStringLiteral("show"), path});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, message);
    QVERIFY(result.outBytes.isEmpty());
    QVERIFY(result.elapsedMs < 5000);
}

void TestCliRecords::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("show without file") << QStringList{"show"};
    QTest::newRow("show two files") << QStringList{"show", "a.exp", "b.exp"};
    QTest::newRow("show unknown option") << QStringList{"show", "--xml", "a.exp"};
    QTest::newRow("export without file") << QStringList{"export"};
    QTest::newRow("export -o without name") << QStringList{"export", "a.exp", "-o"};
    QTest::newRow("export onto itself") << QStringList{"export", "a.csv"};
    QTest::newRow("resave one file") << QStringList{"resave", "a.exp"};
    QTest::newRow("resave three files") << QStringList{"resave", "a.exp", "b.exp", "c.exp"};
}

void TestCliRecords::badArguments()
{
    QFETCH(QStringList, args);
    const CliOutcome result = RunCli(args);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(!result.err.isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("a.csv")));
}

void TestCliRecords::exportBesideTheFile()
{
    const QString experiment = dir.filePath(QStringLiteral("rat12.exp"));
    QVERIFY(QFile::copy(DataPath("release4.exp"), experiment));
    const CliOutcome result = RunCli({QStringLiteral("export"), experiment});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QCOMPARE(Contents(dir.filePath(QStringLiteral("rat12.csv"))), kRelease4Csv);
}

void TestCliRecords::exportToChosenFile()
{
    const QString csv = dir.filePath(QStringLiteral("chosen.csv"));
    const CliOutcome result =
        RunCli({QStringLiteral("export"), DataPath("transcript.txt"), QStringLiteral("-o"), csv});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(Contents(csv), kRelease4Csv);
}

// A record that did not load whole would export empty tables over a good file.
void TestCliRecords::exportRefusesIncompleteLoad()
{
    const QString csv = dir.filePath(QStringLiteral("kept.csv"));
    QFile old(csv);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier export\r\n");
    old.close();
    const CliOutcome result =
        RunCli({QStringLiteral("export"), DataPath("transcript_incomplete.txt"), "-o", csv});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains(QStringLiteral("no CSV file was written")));
    QCOMPARE(Contents(csv), QByteArray("earlier export\r\n"));
}

void TestCliRecords::resaveInCurrentLayout_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QJsonObject>("actual");
    QTest::newRow("release-4 header")
        << DataPath("release4.exp")
        << QJsonObject{{"force", 152}, {"displacement", 1411}, {"velocity", 97}, {"dwell", 5}};
    QTest::newRow("oldest transcript")
        << DataPath("transcript.txt")
        << QJsonObject{{"force", 152}, {"displacement", 1411}, {"velocity", 0}, {"dwell", 0}};
}

void TestCliRecords::resaveInCurrentLayout()
{
    QFETCH(QString, input);
    QFETCH(QJsonObject, actual);
    const QString output = dir.filePath(QStringLiteral("resaved.exp"));
    const CliOutcome resave = RunCli({QStringLiteral("resave"), input, output});
    QCOMPARE(resave.exitCode, 0);
    QVERIFY(Contents(output).startsWith("ZR Spinal Cord Impactor Experiment File v5.0\r\n"));

    const CliOutcome shown = RunCli({QStringLiteral("show"), QStringLiteral("--json"), output});
    QCOMPARE(shown.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(shown.outBytes).object();
    QCOMPARE(json["format"].toInt(), 5);
    QCOMPARE(json["actual"].toObject(), actual);
    QCOMPARE(json["dispDown"].toArray(), Array({2000, 2010, 2040, 2090}));
    QCOMPARE(json["forceUp"].toArray(), Array({700, 20}));
    QCOMPARE(json["dataPresent"].toBool(), true);
}

void TestCliRecords::resaveRefusesIncompleteLoad_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reason");
    QTest::newRow("transcript never completes")
        << DataPath("transcript_incomplete.txt")
        << QStringLiteral("Old Experiment File Load Failed.");
    // The comment line would come back cut, and the file shorter.
    QByteArray text = Contents(DataPath("release4.exp"));
    text.replace("Rat 12, T10", "Rat 12, T10\r\n" + QByteArray(2 << 20, 'c'));
    const QString longLine = dir.filePath(QStringLiteral("long-comment.exp"));
    QFile file(longLine);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    QTest::newRow("comment line of 2 MiB")
        << longLine
        << QStringLiteral("Line 44 of the file is longer than 1048576 characters and cannot be "
                          "read whole; the file was not read past it.\n");
}

void TestCliRecords::resaveRefusesIncompleteLoad()
{
    QFETCH(QString, input);
    QFETCH(QString, reason);
    const QString output = dir.filePath(QStringLiteral("never.exp"));
    const CliOutcome result = RunCli({QStringLiteral("resave"), input, output});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.startsWith(reason), qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("was not written")));
    QVERIFY(!QFileInfo::exists(output));
}

void TestCliRecords::samplesThatAreNoDataAreNotWritten_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("message");
    QTest::newRow("export") << QStringList{"export", "%IN", "-o", "%OUT"}
                            << "%IN holds samples, but no up-stroke displacement samples, so they "
                               "do not count as data: the CSV file would hold only its two header "
                               "lines. No CSV file was written.\n";
    QTest::newRow("resave") << QStringList{"resave", "%IN", "%OUT"}
                            << "%IN holds samples, but no up-stroke displacement samples, so they "
                               "do not count as data: a saved file would leave them out. %OUT was "
                               "not written.\n";
}

// The file loads whole, but without an up stroke its samples are no data:
// say so, rather than that it did not load, and leave the target alone.
void TestCliRecords::samplesThatAreNoDataAreNotWritten()
{
    QFETCH(QStringList, command);
    QFETCH(QString, message);
    const QString input = dir.filePath(QStringLiteral("down-only.exp"));
    const QString output = dir.filePath(QStringLiteral("kept.out"));
    QFile file(input);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ZR Spinal Cord Impactor Experiment File v5.0\r\nFirmware Release Version: \r\n\r\n"
               "Desired Force: 150\r\nDesired Displacement: 1\r\nDesired Velocity: 100\r\n"
               "Desired Dwell: 5\r\n\r\nActual Force: 152\r\nActual Displacement: 1411\r\n"
               "Actual Velocity: 97\r\nActual Dwell: 5\r\n\r\n-------------------------------\r\n"
               "Displacement Data:\r\n*Down*\r\n2000\r\n2090\r\n*End*\r\n\r\n*Up*\r\n*End*\r\n"
               "\r\n-------------------------------\r\nForce Data:\r\n*Down*\r\n0\r\n1520\r\n"
               "*End*\r\n\r\n*Up*\r\n*End*\r\n\r\n-------------------------------\r\n"
               "Experiment Comments:\r\n\r\n\r\n-----End of File-----");
    file.close();
    QFile previous(output);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("written before\r\n");
    previous.close();

    const CliOutcome result =
        RunCli(command.replaceInStrings("%IN", input).replaceInStrings("%OUT", output));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, message.replace("%IN", input).replace("%OUT", output));
    QCOMPARE(Contents(output), QByteArray("written before\r\n"));
}

QTEST_GUILESS_MAIN(TestCliRecords)
#include "tst_cli_records.moc"

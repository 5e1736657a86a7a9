#include "CliProcess.h"
#include "ImpactRecord.h"
#include "core/CZentakDoc.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/record/CRunStamp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Impact {
    const char* file;
    const char* subject;
    int desiredForce;
    int actualForce;
    int actualDisp;
    int actualVelocity;
};

// A clean impact with the given values, saved by the program's own writer;
// its stamp is 10:00:SS on 5 March 2026, SS its place in the list.
void Save(const QString& path, const Impact& impact, int second)
{
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    record = CleanRecord();
    record.m_strFirmwareVersion = QStringLiteral("R4.x");
    record.m_nDesiredForce = impact.desiredForce;
    record.SetActualValues(impact.actualForce, impact.actualDisp, impact.actualVelocity, 0);
    record.m_nDesiredVelocity = impact.actualVelocity;
    record.m_strComments = CRunStamp::Comments(QDateTime(QDate(2026, 3, 5), QTime(10, 0, second)),
                                               QLatin1String(impact.subject));
    if (!doc.Save(path))
        qFatal("cannot save %s", qPrintable(path));
}

QString WriteStudy(const QTemporaryDir& dir, const QList<Impact>& impacts)
{
    const QString folder = dir.filePath(QStringLiteral("study"));
    QDir().mkpath(folder);
    for (qsizetype i = 0; i < impacts.size(); ++i)
        Save(folder + u'/' + QLatin1String(impacts[i].file), impacts[i], int(i));
    return folder;
}

QJsonObject Statistic(double mean, QJsonValue sd)
{
    return {{"mean", mean}, {"sd", sd}};
}

}  // namespace

class TestCliSummary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statisticsMatchHandArithmetic();
    void csvIsExact();
    void tableForTheTerminal();
    void everyInputWithoutAnImpactIsListed();
    void runLogEntriesAreRowsLikeTheirFiles();
    void badArguments_data();
    void badArguments();
};

// Worked by hand, over the runs no check flagged (SD divides by n - 1):
//
//   sham (a2.exp and a1.exp by subject, sham-3.exp by its file name)
//     force 100, 104, 108: mean 104, deviations -4 0 4, SD sqrt(32 / 2) = 4
//     disp  900, 950, 1000: mean 950, SD sqrt(5000 / 2) = 50
//     vel    98, 100, 102: mean 100, SD sqrt(8 / 2) = 2
//   injured (b1 to b3; b3 asked for 50 and reached 80: force off target)
//     force 50, 60: mean 55, SD sqrt(50 / 1) = 7.0711 -> 7.07
//     disp 500, 520: mean 510, SD sqrt(200) = 14.1421 -> 14.14
//     vel 100, 100: mean 100, SD 0
//   c1.exp ("rat-9": the pattern finds nothing): its own group, SD of one run none
void TestCliSummary::statisticsMatchHandArithmetic()
{
    QTemporaryDir dir;
    const QString study = WriteStudy(dir, {{"a2.exp", "sham-02", 100, 100, 900, 98},
                                           {"b1.exp", "injured-01", 50, 50, 500, 100},
                                           {"a1.exp", "sham-01", 104, 104, 950, 100},
                                           {"b2.exp", "injured-02", 60, 60, 520, 100},
                                           {"sham-3.exp", "", 108, 108, 1000, 102},
                                           {"b3.exp", "injured-03", 50, 80, 700, 100},
                                           {"c1.exp", "rat-9", 70, 70, 600, 90}});
    const CliOutcome result = RunCli({"summary", study, "--json", "--group-by", "^(sham|injured)"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    const QJsonObject json = QJsonDocument::fromJson(result.outBytes).object();

    const QJsonArray groups = json["groups"].toArray();
    QCOMPARE(groups.size(), 3);
    QJsonObject excludedNone{{"force-off-target", 0}, {"velocity-off-target", 0},
                             {"early-contact", 0},    {"second-hit", 0},
                             {"bone-contact", 0},     {"too-few-samples", 0}};
    QCOMPARE(groups[0].toObject(), (QJsonObject{{"group", "sham"},
                                                {"runs", 3},
                                                {"included", 3},
                                                {"force", Statistic(104, 4)},
                                                {"displacement", Statistic(950, 50)},
                                                {"velocity", Statistic(100, 2)},
                                                {"excluded", excludedNone}}));
    QJsonObject excludedForce = excludedNone;
    excludedForce["force-off-target"] = 1;
    QCOMPARE(groups[1].toObject(), (QJsonObject{{"group", "injured"},
                                                {"runs", 3},
                                                {"included", 2},
                                                {"force", Statistic(55, 7.07)},
                                                {"displacement", Statistic(510, 14.14)},
                                                {"velocity", Statistic(100, 0)},
                                                {"excluded", excludedForce}}));
    QCOMPARE(groups[2].toObject()["group"].toString(), QStringLiteral("(no match)"));
    QCOMPARE(groups[2].toObject()["force"].toObject(), Statistic(70, QJsonValue()));

    // One row per run, in the order of their paths, each with its group.
    const QJsonArray runs = json["runs"].toArray();
    QCOMPARE(runs.size(), 7);
    QStringList order;
    for (const QJsonValue& run : runs)
        order << QFileInfo(run["source"].toString()).fileName() + u'=' + run["group"].toString();
    QCOMPARE(order, (QStringList{"a1.exp=sham", "a2.exp=sham", "b1.exp=injured", "b2.exp=injured",
                                 "b3.exp=injured", "c1.exp=(no match)", "sham-3.exp=sham"}));
    QCOMPARE(runs[4]["qc"].toObject()["flags"].toArray(), QJsonArray{"force-off-target"});
    QCOMPARE(runs[0]["stamp"].toString(), QStringLiteral("2026-03-05 10:00:02"));
    QCOMPARE(runs[0]["subject"].toString(), QStringLiteral("sham-01"));
    QCOMPARE(runs[6]["subject"].toString(), QString());
    QVERIFY(json["unreadable"].toArray().isEmpty());
}

// Every impact is the clean one (release 4): contact measured from sample 4,
// the peak 370 K dynes at sample 39, so 35 x 0.36 = 12.6 ms and 70 counts =
// 1234 microns to it; the forces of both strokes, 7025 + 3515 K dynes, times
// 0.36 ms make 3794.4 K dyne ms. The peak is 39 x 0.36 = 14.04 ms into the
// run; the work, 2 counts a step from 5 K dynes to 370: 5 + 2 x (30 + ... +
// 360) + 370 = 13635 K dyne counts x 0.1763889 = 2405.063 uJ; 1234.72
// microns in 12.6 ms = 98.0 mm/s.
void TestCliSummary::csvIsExact()
{
    QTemporaryDir dir;
    const QString study = WriteStudy(dir, {{"a.exp", "sham, left", 370, 370, 1234, 97},
                                           {"b.exp", "sham \"2\"", 360, 371, 1200, 97}});
    const QString csvPath = dir.filePath(QStringLiteral("summary.csv"));
    const CliOutcome result = RunCli({"summary", study, "--csv", csvPath, "--group-by", "^(\\w+)"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.outBytes.isEmpty());
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray a = (study + "/a.exp").toLatin1();
    const QByteArray b = (study + "/b.exp").toLatin1();
    QCOMPARE(
        csv.readAll(),
        "Source,Entry,Stamp,Subject,Firmware,Desired Force (K dynes),Actual Force (K dynes),"
        "Desired Displacement (microns),Actual Displacement (microns),Desired Velocity "
        "(mm/s),Actual Velocity (mm/s),Peak Force (K dynes),Peak Force Time (ms),Time to Peak "
        "Force (ms),Displacement at Peak (microns),Travel to Peak (microns),Force-Time "
        "Integral (K dyne ms),Work to Peak (uJ),Mean Velocity to Peak (mm/s),QC,Group\r\n" +
            a +
            ",,2026-03-05 10:00:00,\"sham, left\",R4.x,370,370,1,1234,97,97,370.0,14.040,12.600,"
            "1234,1234.7,3794.40,2405.063,98.0,pass,sham\r\n" +
            b +
            ",,2026-03-05 10:00:01,\"sham \"\"2\"\"\",R4.x,360,371,1,1200,97,97,370.0,"
            "14.040,12.600,1234,1234.7,3794.40,2405.063,98.0,force-off-target,sham\r\n"
            "\r\n"
            "Group,Runs,Included,Mean Actual Force (K dynes),SD Actual Force (K dynes),Mean "
            "Actual Displacement (microns),SD Actual Displacement (microns),Mean Actual "
            "Velocity (mm/s),SD Actual Velocity (mm/s),Excluded: force-off-target,Excluded: "
            "velocity-off-target,Excluded: early-contact,Excluded: second-hit,Excluded: "
            "bone-contact,Excluded: too-few-samples\r\n"
            "sham,2,1,370.00,,1234.00,,97.00,,1,0,0,0,0,0\r\n");
}

void TestCliSummary::tableForTheTerminal()
{
    QTemporaryDir dir;
    const QString study = WriteStudy(
        dir, {{"a.exp", "sham-1", 370, 370, 1234, 97}, {"b.exp", "sham-2", 360, 371, 1200, 97}});
    const CliOutcome result = RunCli({"summary", study, "--group-by", "^(sham)"});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = result.out.split(u'\n');
    const QString path = study + QStringLiteral("/b.exp");
    QCOMPARE(lines[4], path.leftJustified(path.size() + 2) +
                           QStringLiteral("       2026-03-05 10:00:01  sham-2   R4.x      360/371  "
                                          "1/1200        97/97     370.0       12.600   1234     "
                                          "3794.40       force off target  sham"));
    QVERIFY2(
        result.out.endsWith(QStringLiteral(
            "Group  Runs  Included  Force       Displacement  Velocity   Excluded by\n"
            "                       K dynes     microns       mm/s\n"
            "             (n)       mean (SD)   mean (SD)     mean (SD)\n"
            "sham   2     1         370.00 (-)  1234.00 (-)   97.00 (-)  force off target 1\n")),
        qPrintable(result.out));
}

void TestCliSummary::everyInputWithoutAnImpactIsListed()
{
    QTemporaryDir dir;
    const QString study = WriteStudy(dir, {{"a.exp", "sham-1", 370, 370, 1234, 97}});
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const QString junk = dir.filePath(QStringLiteral("junk.exp"));
    const QString cut = dir.filePath(QStringLiteral("cut.exp"));
    const QString noData = dir.filePath(QStringLiteral("nodata.exp"));
    const QString missing = dir.filePath(QStringLiteral("missing.exp"));
    {
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a shopping list\r\n");
        QFile whole(study + QStringLiteral("/a.exp"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile part(cut);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write(whole.readAll().chopped(30));
    }
    CZentakDoc nothing;
    QVERIFY(nothing.Save(noData));

    const CliOutcome result =
        RunCli({"summary", missing, study, empty, junk, cut, noData, "--json"});
    QCOMPARE(result.exitCode, 1);
    const QJsonObject json = QJsonDocument::fromJson(result.outBytes).object();
    QCOMPARE(json["runs"].toArray().size(), 1);
    const QStringList reasons = {
        missing + QStringLiteral(": ") + QDir::toNativeSeparators(missing) + " was not found.",
        empty + QStringLiteral(": The folder holds no experiment files (.exp)."),
        junk + QStringLiteral(": Not a Valid Experiment File."),
        cut + QStringLiteral(": It ends before its end marker: the file was cut short."),
        noData + QStringLiteral(": It holds no impact data.")};
    QCOMPARE(result.err,
             QStringLiteral("These gave no impact to summarise:\n") + reasons.join(u'\n') + u'\n');
    QCOMPARE(json["unreadable"].toArray().size(), 5);
    QCOMPARE(json["unreadable"][2].toObject(),
             (QJsonObject{{"source", junk},
                          {"entry", QJsonValue()},
                          {"reason", "Not a Valid Experiment File."}}));
}

// A log the program's writer made: two entries, text between them that
// belongs to none, and a torn last entry. The first entry's row equals the
// row of the same record saved as a file, but for where it came from.
void TestCliSummary::runLogEntriesAreRowsLikeTheirFiles()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sham.exp"));
    Save(file, {"", "sham-1", 370, 370, 1234, 97}, 1);
    CZentakDoc doc;
    QVERIFY(doc.Load(file));
    const CImpactRecord sham = doc.Record();
    CImpactRecord injured = CleanRecord(60);
    injured.m_strFirmwareVersion = QStringLiteral("R4.x");
    injured.StampRun(QDateTime(QDate(2026, 3, 5), QTime(11, 0, 0)), QStringLiteral("injured-1"));
    const QString log = dir.filePath(QStringLiteral("run.log"));
    QFile out(log);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(CExperimentFileWriter::Text(sham));
    out.write("the cat walked over the keyboard\r\n");
    out.write(CExperimentFileWriter::Text(injured));
    out.write(CExperimentFileWriter::Text(injured).chopped(40));
    out.close();

    const CliOutcome result =
        RunCli({"summary", file, "--run-log", log, "--json", "--group-by", "^(sham|injured)"}, {},
               {QString(), {{"XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache"))}}});
    QCOMPARE(result.exitCode, 1);
    const qint64 foreignAt = CExperimentFileWriter::Text(sham).size();
    QCOMPARE(result.err,
             QStringLiteral("These gave no impact to summarise:\n"
                            "%1: 34 bytes at offset %2 belong to no entry.\n"
                            "%1 entry 3: The entry is torn: the log ends, or the next entry "
                            "begins, inside it.\n")
                 .arg(log)
                 .arg(foreignAt));
    const QJsonArray runs = QJsonDocument::fromJson(result.outBytes).object()["runs"].toArray();
    QCOMPARE(runs.size(), 3);
    QJsonObject fromFile = runs[0].toObject();
    QJsonObject fromLog = runs[1].toObject();
    QCOMPARE(fromLog["source"].toString(), log);
    QCOMPARE(fromLog["entry"].toInt(), 1);
    QCOMPARE(runs[2]["entry"].toInt(), 2);
    QCOMPARE(runs[2]["subject"].toString(), QStringLiteral("injured-1"));
    QCOMPARE(runs[2]["group"].toString(), QStringLiteral("injured"));
    for (const char* key : {"source", "entry"}) {
        fromFile.remove(QLatin1String(key));
        fromLog.remove(QLatin1String(key));
    }
    QCOMPARE(fromLog, fromFile);
}

void TestCliSummary::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    QTest::newRow("nothing to read")
        << QStringList{"summary"} << "no experiment files, folders or run logs given";
    QTest::newRow("no capture group")
        << QStringList{"summary", "a.exp", "--group-by", "sham"}
        << "--group-by: 'sham' has no capture group to name the group by, e.g. '^(sham|injured)'";
    QTest::newRow("not a pattern")
        << QStringList{"summary", "a.exp", "--group-by", "(sham"}
        << "--group-by: '(sham' is not a regular expression: missing closing parenthesis at "
           "offset 5";
    QTest::newRow("unknown option")
        << QStringList{"summary", "a.exp", "--xml"} << "unknown option '--xml'";
    QTest::newRow("check with inputs") << QStringList{"summary", "a.exp", "--odc-check", "odc"}
                                       << "--odc-check takes nothing else";
}

void TestCliSummary::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    const CliOutcome result = RunCli(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, QStringLiteral("zentak-cli summary: ") + problem +
                             QStringLiteral("\nusage: zentak-cli summary FILES_OR_DIRS... "
                                            "[--run-log PATH] [-o OUT.csv]\n                  "
                                            "[--json] [--group-by REGEX] [--subjects FILE] [--odc "
                                            "DIR]\n       zentak-cli summary --odc-check DIR\n"));
    QVERIFY(result.outBytes.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliSummary)
#include "tst_cli_summary.moc"

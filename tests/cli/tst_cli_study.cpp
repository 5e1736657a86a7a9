#include "CliProcess.h"
#include "SimulatedImpact.h"
#include "core/CZentakDoc.h"
#include "core/record/CRunStamp.h"
#include "core/study/CCsvTable.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// rat-01 to rat-12 impacted on the simulated box at 100 K dynes, 100 mm/s,
// rat-04 and rat-05 with a second hit; saved by the program's own writer.
QString WriteStudy(const QTemporaryDir& dir, bool subjects)
{
    const QString folder = dir.filePath(QStringLiteral("study"));
    QDir().mkpath(folder);
    const CImpactRecord clean = SimulatedImpact(QString(), 100, 100);
    const CImpactRecord secondHit = SimulatedImpact(QStringLiteral("second-hit"), 100, 100);
    for (int i = 1; i <= 12; ++i) {
        CZentakDoc doc;
        doc.EditRecord() = i == 4 || i == 5 ? secondHit : clean;
        const QString subject =
            subjects ? QStringLiteral("rat-%1").arg(i, 2, 10, QChar(u'0')) : QString();
        doc.EditRecord().m_strComments =
            CRunStamp::Comments(QDateTime(QDate(2026, 3, 5), QTime(10, i, 0)), subject);
        if (!doc.Save(QStringLiteral("%1/impact-%2.exp").arg(folder).arg(i, 2, 10, QChar(u'0'))))
            qFatal("cannot save impact %d", i);
    }
    return folder;
}

CCsvTable ReadCsv(const QString& path)
{
    CCsvTable table;
    if (!CCsvTable::Read(path, table).ok)
        qFatal("cannot read %s", qPrintable(path));
    return table;
}

}  // namespace

class TestCliStudy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportOfTwelveImpacts();
    void exportWithoutSubjectsIsRefused();
    void decisionArguments_data();
    void decisionArguments();
};

// Subjects rat-01 to rat-09 and rat-99 in the table (rat-10 to rat-12 are
// not); rat-02, which passed, excluded by hand; rat-05, flagged, included.
void TestCliStudy::exportOfTwelveImpacts()
{
    QTemporaryDir dir;
    const QString study = WriteStudy(dir, true);
    QFile subjects(study + QStringLiteral("/subjects.csv"));
    QVERIFY(subjects.open(QIODevice::WriteOnly));
    subjects.write("Subject_ID,Species,Sex,Weight,Group\r\n");
    for (const char* id : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "99"})
        subjects.write(QByteArray("rat-") + id + ",rat,F,250,injured\r\n");
    subjects.close();
    QCOMPARE(
        RunCli({"exclude", study + "/impact-02.exp", "--reason", "bled, cord bruised"}).exitCode,
        0);
    QCOMPARE(
        RunCli({"include", study + "/impact-05.exp", "--reason", "rebound, not a hit"}).exitCode,
        0);

    const QString odc = dir.filePath(QStringLiteral("odc"));
    const CliOutcome result = RunCli({"summary", study, "--odc", odc});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.contains(
        "impact-02.exp: excluded by hand though the checks passed it: bled, cord bruised\n"));
    QVERIFY(result.err.contains("impact-05.exp: included by hand over its QC flags (second hit): "
                                "rebound, not a hit\n"));
    QVERIFY(result.err.contains("impact-12.exp (subject \"rat-12\")"));
    QVERIFY(result.err.contains("Subjects with no impact: rat-99\n"));
    QCOMPARE(RunCli({"summary", "--odc-check", odc}).exitCode, 0);

    // The group's statistics follow the decisions: 12 less rat-02 and rat-04.
    const CliOutcome grouped = RunCli({"summary", study, "--json", "--group-by", "^(rat)"});
    const QJsonObject group = QJsonDocument::fromJson(grouped.outBytes)["groups"][0].toObject();
    QCOMPARE(group["included"].toInt(), 10);
    QCOMPARE(group["excluded"]["second-hit"].toInt(), 1);
    QCOMPARE(group["excluded"]["by-hand"].toInt(), 1);

    const CCsvTable dataset = ReadCsv(odc + QStringLiteral("/dataset.csv"));
    QCOMPARE(dataset.m_rows.size(), 12);
    QCOMPARE(ReadCsv(odc + QStringLiteral("/dictionary.csv")).m_rows.size(),
             dataset.m_header.size());
    const qsizetype excluded = dataset.Column("Exclusion_in_origin_study");
    const qsizetype reason = dataset.Column("Exclusion_reason");
    const qsizetype weight = dataset.Column("Weight");
    QStringList seen;
    for (const QStringList& row : dataset.m_rows)
        seen.append(row[0] + u' ' + row[excluded] + u' ' + row[reason] + u' ' + row[weight]);
    QCOMPARE(seen,
             (QStringList{"rat-01 No  250", "rat-02 Yes Excluded by hand: bled, cord bruised 250",
                          "rat-03 No  250", "rat-04 Yes Quality check flags: second hit 250",
                          "rat-05 No  250", "rat-06 No  250", "rat-07 No  250", "rat-08 No  250",
                          "rat-09 No  250", "rat-10 No  ", "rat-11 No  ", "rat-12 No  "}));
}

// Impacts with no subject would give rows without a Subject_ID.
void TestCliStudy::exportWithoutSubjectsIsRefused()
{
    QTemporaryDir dir;
    const QString odc = dir.filePath(QStringLiteral("odc"));
    const CliOutcome result = RunCli({"summary", WriteStudy(dir, false), "--odc", odc});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("Subject_ID first: dataset.csv line 13 has no Subject_ID"));
    QVERIFY(!QFileInfo::exists(odc));
}

void TestCliStudy::decisionArguments_data()
{
    QTest::addColumn<QStringList>("args");  // FILE stands for an impact's file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    QTest::newRow("no reason") << QStringList{"exclude", "FILE"} << 2
                               << "A decision needs its reason";
    QTest::newRow("blank reason") << QStringList{"include", "FILE", "--reason", " "} << 2
                                  << "A decision needs its reason";
    QTest::newRow("two lines") << QStringList{"exclude", "FILE", "--reason", "a\nb"} << 2
                               << "one line of text";
    QTest::newRow("file and log") << QStringList{"exclude", "FILE", "--run-log", "x.log",
                                                 "--entry", "1",    "--reason",  "r"}
                                  << 2 << "name one experiment file";
    QTest::newRow("entry 0") << QStringList{"exclude", "--run-log", "x.log", "--entry",
                                            "0",       "--reason",  "r"}
                             << 2 << "--entry needs an entry number";
    QTest::newRow("no such file") << QStringList{"exclude", "FILE.none", "--reason", "r"} << 1
                                  << "No decision was recorded.";
}

void TestCliStudy::decisionArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QTemporaryDir dir;
    const QString file = WriteStudy(dir, true) + QStringLiteral("/impact-01.exp");
    args.replaceInStrings(QStringLiteral("FILE"), file);
    const CliOutcome result = RunCli(args);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(err), qPrintable(result.err));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("study/zentak-decisions.csv"))));
}

QTEST_GUILESS_MAIN(TestCliStudy)
#include "tst_cli_study.moc"

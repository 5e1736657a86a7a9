#include "ImpactRecord.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunLogReader.h"
#include "core/files/CTextLineReader.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CRunLogQuality.h"
#include "core/record/CImpactMeasures.h"

#include <QBuffer>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Text(CImpactRecord record, const QString& version)
{
    record.m_strFirmwareVersion = version;
    record.m_bDataPresent = true;
    record.StampRun(QDateTime(QDate(2026, 3, 2), QTime(9, 30)), QStringLiteral("rat 7"));
    return CExperimentFileWriter::Text(record);
}

CImpactRecord Modelled(int release)
{
    CImpactRecord record;
    FillModelledImpact(record, 60, 90);
    record.m_nFirmwareRelease = release;
    return record;
}

QList<CUIntArray> Samples(const CImpactRecord& r)
{
    return {r.m_arrDispDown, r.m_arrDispUp,       r.m_arrForceDown,
            r.m_arrForceUp,  r.m_arrStepTimeDown, r.m_arrStepTimeUp};
}

QList<std::optional<double>> Measures(const CImpactRecord& record)
{
    QList<std::optional<double>> values;
    for (const CImpactMeasures::Field& field : CImpactMeasures::Fields())
        values.append(field.value(CImpactMeasures::Of(record)));
    return values;
}

}  // namespace

class TestRunLogQuality : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listingReadsAsEveryLineAString_data();
    void listingReadsAsEveryLineAString();
};

void TestRunLogQuality::listingReadsAsEveryLineAString_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray r5 = Text(Modelled(5), QStringLiteral("R5.04"));
    // No release: a step time label among the last force samples must not make it release 5.
    QByteArray labelLast = Text(Modelled(5), QString());
    labelLast.truncate(labelLast.lastIndexOf("*End*", labelLast.indexOf("Time per")));
    labelLast.insert(labelLast.lastIndexOf("*Up*") + 6, "Time per Step Data\r\n");
    CImpactRecord noUpStroke = CleanRecord();
    noUpStroke.m_arrDispUp.clear();
    QTest::newRow("release 5") << r5;
    QTest::newRow("release 4") << Text(CleanRecord(), QStringLiteral("R4.10"));
    QTest::newRow("no release, step times") << Text(Modelled(5), QString());
    QTest::newRow("LF line ends") << QByteArray(r5).replace("\r\n", "\n");
    QTest::newRow("blanks")
        << QByteArray(r5).replace("\r\n1", "\r\n \t1").replace("0\r\n", "0 \r\n");
    QTest::newRow("lone CR") << QByteArray(r5).replace("\r\n2", "\r\n2\r");
    QTest::newRow("nine digits and more") << QByteArray(r5).replace("\r\n2", "\r\n99999992");
    QTest::newRow("signs") << QByteArray(r5).replace("\r\n1", "\r\n-1").replace("\r\n2", "\r\n+2");
    QTest::newRow("empty lines") << QByteArray(r5).replace("\r\n3", "\r\n\r\n3");
    QTest::newRow("no up stroke") << Text(noUpStroke, QStringLiteral("R4.10"));
    QTest::newRow("too few samples") << Text(CleanRecord(10), QStringLiteral("R4.10"));
    QTest::newRow("beyond one read") << Text(CleanRecord(8000), QStringLiteral("R4.10"));
    QTest::newRow("torn") << r5.first(r5.size() / 2);
    QTest::newRow("torn in its end marker") << r5.chopped(3);
    QTest::newRow("torn after a label") << labelLast;
    QTest::newRow("line too long") << QByteArray(r5).replace(
        "Comments:\r\n", "Comments:\r\n" + QByteArray(CTextLineReader::kMaxLineBytes + 1, 'x'));
}

// The listing's verdict, record and sample counts are those of the same
// text with a blank at the end of every line, which no rule heeds but which
// makes each line a string.
void TestRunLogQuality::listingReadsAsEveryLineAString()
{
    QFETCH(QByteArray, text);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("run.log")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    CRunLogReader log{QString()};
    QString error;
    QCOMPARE(log.Open(file.fileName(), error), CRunLogReader::OpenResult::Opened);
    QByteArray blanked = QByteArray(text).replace('\n', " \n");
    QBuffer buffer(&blanked);
    buffer.open(QIODevice::ReadOnly);
    CImpactRecord whole;
    const CExperimentFileReader::Result result = CExperimentFileReader(buffer, whole).Read();
    const bool judged =
        !log.Entries()[0].m_bTorn &&
        CCohortReader::WhyNoImpact(result.message,
                                   result.outcome == CExperimentFileReader::LoadOutcome::Complete,
                                   whole.m_bDataPresent)
            .isEmpty();
    QCOMPARE(CRunLogQuality::Verdicts(log, {}).value(0),
             judged ? CQualityCheck::Judge(whole, {}) : std::nullopt);
    CImpactRecord listed;
    CExperimentFileReader::Result listedResult;
    QVERIFY(log.ReadEntry(0, listed, listedResult, error));
    QCOMPARE(Samples(listed), Samples(whole));
    QCOMPARE(listed.m_nFirmwareRelease, whole.m_nFirmwareRelease);
    QCOMPARE(listedResult.message, result.message);
    QCOMPARE(Measures(listed), Measures(whole));
    QCOMPARE(log.Entries()[0].m_nDownSamples, qint64(whole.m_arrDispDown.size()));
    QCOMPARE(log.Entries()[0].m_nUpSamples, qint64(whole.m_arrDispUp.size()));
}

QTEST_GUILESS_MAIN(TestRunLogQuality)
#include "tst_run_log_quality.moc"

#include "core/CZentakDoc.h"
#include "core/files/CCsvExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHeadersOnly = "Displacement (microns),Time (ms)\r\n"
                                "Force (K dynes),Time (ms)\r\n";

// Deepest point 100: a sample 98 lies 2 x 17.6389 = 35.2778 microns above it.
void FillRun(CImpactRecord& record, int release)
{
    record.m_nFirmwareRelease = release;
    record.m_arrDispDown = {98, 99, 100};
    record.m_arrDispUp = {100, 50};
    record.m_arrForceDown = {1234, 5, 0};
    record.m_arrForceUp = {10, 9};
    if (release == 5) {
        record.m_arrStepTimeDown = {1000, 1000, 1000};
        record.m_arrStepTimeUp = {2000, 2000};
    }
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
}

QByteArray Csv(const CImpactRecord& record)
{
    return CCsvExport::Text(record);
}

}  // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headersOnlyWithoutData();
    void fixedPeriodRows_data();
    void fixedPeriodRows();
    void release5RunningTime();
    void runningTimeIsSinglePrecision();
    void stepTimeIsCountTimes60ThenScaled_data();
    void stepTimeIsCountTimes60ThenScaled();
    void shortStepTimeArrays();
    void saveToFileReplacesWithoutAsking();
    void saveIntoMissingFolderNamesIt();
};

void TestCsvExport::headersOnlyWithoutData()
{
    CImpactRecord record;
    QCOMPARE(Csv(record), kHeadersOnly);
    FillRun(record, 5);
    record.m_bDataPresent = false;
    QCOMPARE(Csv(record), kHeadersOnly);
}

void TestCsvExport::fixedPeriodRows_data()
{
    QTest::addColumn<int>("release");
    QTest::newRow("release 4") << 4;
    QTest::newRow("release unknown") << 0;
}

// 0.36 ms apart, counting again from 0 in the up stroke; 1234 -> 123 K dynes.
void TestCsvExport::fixedPeriodRows()
{
    QFETCH(int, release);
    CImpactRecord record;
    FillRun(record, release);
    QCOMPARE(Csv(record), QByteArray("Displacement (microns),Time (ms)\r\n"
                                     "35,0.000\r\n"
                                     "17,0.360\r\n"
                                     "0,0.720\r\n"
                                     "0,0.000\r\n"
                                     "881,0.360\r\n"
                                     "Force (K dynes),Time (ms)\r\n"
                                     "123,0.000\r\n"
                                     "0,0.360\r\n"
                                     "0,0.720\r\n"
                                     "1,0.000\r\n"
                                     "0,0.360\r\n"));
}

// The up stroke continues the sum; the force table starts again from 0.
void TestCsvExport::release5RunningTime()
{
    CImpactRecord record;
    FillRun(record, 5);
    QCOMPARE(Csv(record), QByteArray("Displacement (microns),Time (ms)\r\n"
                                     "35,0.060\r\n"
                                     "17,0.120\r\n"
                                     "0,0.180\r\n"
                                     "0,0.300\r\n"
                                     "881,0.420\r\n"
                                     "Force (K dynes),Time (ms)\r\n"
                                     "123,0.060\r\n"
                                     "0,0.120\r\n"
                                     "0,0.180\r\n"
                                     "1,0.300\r\n"
                                     "0,0.420\r\n"));
}

// Near 6000 ms a float moves in steps of 0.00049 ms: each 0.00024 ms step is
// printed on top of the kept sum and then lost when the sum is rounded back,
// so the time stays at 6000.000 where a double sum would reach 6000.002.
void TestCsvExport::runningTimeIsSinglePrecision()
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    record.m_arrDispDown = CUIntArray(11, 7);
    record.m_arrForceDown = CUIntArray(11, 0);
    record.m_arrStepTimeDown = CUIntArray(11, 4);
    record.m_arrStepTimeDown[0] = 100000000;
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
    const QByteArray rows = QByteArray("0,6000.000\r\n").repeated(11);
    QCOMPARE(Csv(record), "Displacement (microns),Time (ms)\r\n" + rows +
                              "Force (K dynes),Time (ms)\r\n" + rows);
}

// (count x 60.0) x 1e-6 lands on the exact half where count x 6e-5 falls
// just below it, and the printed time rounds the other way.
void TestCsvExport::stepTimeIsCountTimes60ThenScaled_data()
{
    QTest::addColumn<quint32>("count");
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("6275") << quint32(6275) << QByteArray("0,0.377\r\n");
    QTest::newRow("25") << quint32(25) << QByteArray("0,0.002\r\n");
    QTest::newRow("2675") << quint32(2675) << QByteArray("0,0.161\r\n");
    QTest::newRow("6000") << quint32(6000) << QByteArray("0,0.360\r\n");
}

void TestCsvExport::stepTimeIsCountTimes60ThenScaled()
{
    QFETCH(quint32, count);
    QFETCH(QByteArray, row);
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    record.m_arrDispDown = {7};
    record.m_arrForceDown = {0};
    record.m_arrStepTimeDown = {count};
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
    QCOMPARE(Csv(record),
             "Displacement (microns),Time (ms)\r\n" + row + "Force (K dynes),Time (ms)\r\n" + row);
}

// A hand-edited file can leave fewer step times than values: those rows and
// the later ones of the same table keep their value and get no time.
void TestCsvExport::shortStepTimeArrays()
{
    CImpactRecord record;
    FillRun(record, 5);
    record.m_arrStepTimeDown = {1000};
    QCOMPARE(Csv(record), QByteArray("Displacement (microns),Time (ms)\r\n"
                                     "35,0.060\r\n"
                                     "17,\r\n"
                                     "0,\r\n"
                                     "0,\r\n"
                                     "881,\r\n"
                                     "Force (K dynes),Time (ms)\r\n"
                                     "123,0.060\r\n"
                                     "0,\r\n"
                                     "0,\r\n"
                                     "1,\r\n"
                                     "0,\r\n"));
    record.m_arrStepTimeDown = {1000, 1000, 1000};
    record.m_arrStepTimeUp.clear();
    QVERIFY(Csv(record).endsWith("0,0.180\r\n1,\r\n0,\r\n"));
}

void TestCsvExport::saveToFileReplacesWithoutAsking()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();
    CZentakDoc doc;
    FillRun(doc.EditRecord(), 4);
    QVERIFY2(doc.SaveCsv(path), qPrintable(doc.FileErrorString()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Csv(doc.Record()));
}

void TestCsvExport::saveIntoMissingFolderNamesIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/run.csv"));
    CZentakDoc doc;
    QVERIFY(!doc.SaveCsv(path));
    QCOMPARE(doc.FileErrorString(),
             QStringLiteral("The folder of %1 was not found.").arg(QDir::toNativeSeparators(path)));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csv_export.moc"

#include "core/CZentakDoc.h"

#include <QSignalSpy>
#include <QTest>

namespace {

CUIntArray Squares(int count)
{
    CUIntArray values;
    for (int i = 0; i < count; ++i)
        values.append(quint32(i * i));
    return values;
}

}  // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resetRestoresNewDocumentValues();
    void statsOfEmptyTraces();
    void statsOverBothStrokes();
    void contactIndexCountsFromOne_data();
    void contactIndexCountsFromOne();
    void velocityByTraceLength_data();
    void velocityByTraceLength();
    void displacementFromLastSampleBeforeContact_data();
    void displacementFromLastSampleBeforeContact();
    void forceIsPeakInWholeKDynes();
    void deriveKeepsActualDwell();
    void dataPresentAnnouncesChanges();
};

void TestRecord::resetRestoresNewDocumentValues()
{
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    doc.SetPathName(QStringLiteral("/tmp/a.exp"));
    doc.SetModifiedFlag();
    record.m_strComments = QStringLiteral("old");
    record.m_nDesiredForce = 300;
    record.m_nDesiredDisp = 7;
    record.m_nDesiredVelocity = 50;
    record.m_nDesiredDwell = 3;
    record.SetActualValues(1, 2, 3, 4);
    record.m_nFirmwareRelease = 5;
    record.m_arrDispDown = {1, 2};
    record.m_arrStepTimeUp = {9};
    record.ComputeTraceStats();
    doc.SetDataPresent(true);

    QVERIFY(doc.OnNewDocument());

    QVERIFY(doc.PathName().isEmpty());
    QVERIFY(!doc.IsModified());
    QVERIFY(record.m_strComments.isEmpty());
    QCOMPARE(record.m_nDesiredForce, 100);
    QCOMPARE(record.m_nDesiredDisp, 1);
    QCOMPARE(record.m_nDesiredVelocity, 1);
    QCOMPARE(record.m_nDesiredDwell, 0);
    QCOMPARE(record.m_nActualForce, 0);
    QCOMPARE(record.m_nActualDisp, 0);
    QCOMPARE(record.m_nActualVelocity, 0);
    QCOMPARE(record.m_nActualDwell, 0);
    QCOMPARE(record.m_nFirmwareRelease, 0);
    QVERIFY(record.m_arrDispDown.isEmpty());
    QVERIFY(record.m_arrStepTimeUp.isEmpty());
    QCOMPARE(record.m_nDispMax, 0u);
    QCOMPARE(record.m_nDispMin, 5555u);
    QCOMPARE(record.m_nForceMax, 0u);
    QCOMPARE(record.m_nContactIndex, 0);
    QVERIFY(!doc.DataPresent());
}

void TestRecord::statsOfEmptyTraces()
{
    CImpactRecord record;
    record.m_nDispMax = 9;
    record.m_nContactIndex = 4;
    record.ComputeTraceStats();
    QCOMPARE(record.m_nDispMax, 0u);
    QCOMPARE(record.m_nDispMin, 5555u);
    QCOMPARE(record.m_nForceMax, 0u);
    QCOMPARE(record.m_nContactIndex, 0);
}

void TestRecord::statsOverBothStrokes()
{
    CImpactRecord record;
    record.m_arrDispDown = {6000, 6100, 6200};
    record.m_arrDispUp = {6300, 5990};
    record.m_arrForceDown = {10, 150};
    record.m_arrForceUp = {900, 20};
    record.ComputeTraceStats();
    QCOMPARE(record.m_nDispMax, 6300u);
    // Every sample lies above the starting minimum, so it stays.
    QCOMPARE(record.m_nDispMin, 5555u);
    QCOMPARE(record.m_nForceMax, 900u);
}

void TestRecord::contactIndexCountsFromOne_data()
{
    QTest::addColumn<CUIntArray>("forceDown");
    QTest::addColumn<int>("contact");
    QTest::newRow("contact at index 0 is not contact") << CUIntArray{250, 100, 300} << 2;
    QTest::newRow("first of several") << CUIntArray{0, 199, 200, 400} << 2;
    QTest::newRow("never reached") << CUIntArray{0, 199, 10} << 0;
    QTest::newRow("only index 0") << CUIntArray{250} << 0;
    QTest::newRow("index 1") << CUIntArray{0, 200} << 1;
}

void TestRecord::contactIndexCountsFromOne()
{
    QFETCH(CUIntArray, forceDown);
    QFETCH(int, contact);
    CImpactRecord record;
    record.m_arrForceDown = forceDown;
    record.ComputeTraceStats();
    QCOMPARE(record.m_nContactIndex, contact);
}

void TestRecord::velocityByTraceLength_data()
{
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<int>("velocity");
    // Squares make every sample choice give a different answer.
    QTest::newRow("32 samples use 10 and 30") << Squares(32) << 1959;
    QTest::newRow("31 samples use 2 and 28 over 26 steps") << Squares(31) << 1469;
    QTest::newRow("6 samples, the shortest with a span") << Squares(6) << 244;
    for (int n = 0; n < 6; ++n)
        QTest::addRow("%d samples are too few", n) << Squares(n) << 0;
    CUIntArray backwards = Squares(32);
    backwards[30] = 50;
    QTest::newRow("probe moved back over 10..30") << backwards << 0;
    CUIntArray backwardsShort = Squares(10);
    backwardsShort[7] = 0;
    QTest::newRow("probe moved back over a short trace") << backwardsShort << 0;
}

void TestRecord::velocityByTraceLength()
{
    QFETCH(CUIntArray, dispDown);
    QFETCH(int, velocity);
    CImpactRecord record;
    record.m_arrDispDown = dispDown;
    record.DeriveActualValues();
    QCOMPARE(record.m_nActualVelocity, velocity);
}

void TestRecord::displacementFromLastSampleBeforeContact_data()
{
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<CUIntArray>("forceDown");
    QTest::addColumn<CUIntArray>("dispUp");
    QTest::addColumn<int>("displacement");
    QTest::newRow("clear start") << CUIntArray{100, 300, 400, 500} << CUIntArray{0, 50, 250, 600}
                                 << CUIntArray{450} << 3527;
    QTest::newRow("deepest point on the up stroke")
        << CUIntArray{100, 300, 400} << CUIntArray{0, 50, 250} << CUIntArray{500} << 3527;
    QTest::newRow("first force already in contact")
        << CUIntArray{100, 300, 400, 500} << CUIntArray{200, 50, 250, 600} << CUIntArray{} << 0;
    QTest::newRow("no contact") << CUIntArray{100, 300} << CUIntArray{0, 50} << CUIntArray{} << 0;
    QTest::newRow("position before contact missing")
        << CUIntArray{100} << CUIntArray{0, 50, 250} << CUIntArray{} << 0;
}

void TestRecord::displacementFromLastSampleBeforeContact()
{
    QFETCH(CUIntArray, dispDown);
    QFETCH(CUIntArray, forceDown);
    QFETCH(CUIntArray, dispUp);
    QFETCH(int, displacement);
    CImpactRecord record;
    record.m_arrDispDown = dispDown;
    record.m_arrForceDown = forceDown;
    record.m_arrDispUp = dispUp;
    record.DeriveActualValues();
    QCOMPARE(record.m_nActualDisp, displacement);
}

void TestRecord::forceIsPeakInWholeKDynes()
{
    CImpactRecord record;
    record.m_arrForceDown = {0, 1009};
    record.m_arrForceUp = {1019, 3};
    record.DeriveActualValues();
    QCOMPARE(record.m_nActualForce, 101);
}

void TestRecord::deriveKeepsActualDwell()
{
    CImpactRecord record;
    record.SetActualValues(9, 9, 9, 7);
    record.DeriveActualValues();
    QCOMPARE(record.m_nActualForce, 0);
    QCOMPARE(record.m_nActualDwell, 7);
}

void TestRecord::dataPresentAnnouncesChanges()
{
    CZentakDoc doc;
    QSignalSpy spy(&doc, &CZentakDoc::dataPresentChanged);
    doc.SetDataPresent(true);
    doc.SetDataPresent(true);
    QVERIFY(doc.DataPresent());
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"

#include "CScriptedPrompt.h"
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

    CScriptedPrompt prompt;

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
    CZentakDoc doc(prompt);
    doc.SetPathName(QStringLiteral("/tmp/a.exp"));
    doc.SetModifiedFlag();
    doc.m_strComments = QStringLiteral("old");
    doc.m_nDesiredForce = 300;
    doc.m_nDesiredDisp = 7;
    doc.m_nDesiredVelocity = 50;
    doc.m_nDesiredDwell = 3;
    doc.SetActualValues(1, 2, 3, 4);
    doc.m_nFirmwareRelease = 5;
    doc.m_arrDispDown = {1, 2};
    doc.m_arrStepTimeUp = {9};
    doc.ComputeTraceStats();
    doc.SetDataPresent(true);

    QVERIFY(doc.OnNewDocument());

    QVERIFY(doc.PathName().isEmpty());
    QVERIFY(!doc.IsModified());
    QVERIFY(doc.m_strComments.isEmpty());
    QCOMPARE(doc.m_nDesiredForce, 100);
    QCOMPARE(doc.m_nDesiredDisp, 1);
    QCOMPARE(doc.m_nDesiredVelocity, 1);
    QCOMPARE(doc.m_nDesiredDwell, 0);
    QCOMPARE(doc.m_nActualForce, 0);
    QCOMPARE(doc.m_nActualDisp, 0);
    QCOMPARE(doc.m_nActualVelocity, 0);
    QCOMPARE(doc.m_nActualDwell, 0);
    QCOMPARE(doc.m_nFirmwareRelease, 0);
    QVERIFY(doc.m_arrDispDown.isEmpty());
    QVERIFY(doc.m_arrStepTimeUp.isEmpty());
    QCOMPARE(doc.m_nDispMax, 0u);
    QCOMPARE(doc.m_nDispMin, 5555u);
    QCOMPARE(doc.m_nForceMax, 0u);
    QCOMPARE(doc.m_nContactIndex, 0);
    QVERIFY(!doc.DataPresent());
}

void TestRecord::statsOfEmptyTraces()
{
    CZentakDoc doc(prompt);
    doc.m_nDispMax = 9;
    doc.m_nContactIndex = 4;
    doc.ComputeTraceStats();
    QCOMPARE(doc.m_nDispMax, 0u);
    QCOMPARE(doc.m_nDispMin, 5555u);
    QCOMPARE(doc.m_nForceMax, 0u);
    QCOMPARE(doc.m_nContactIndex, 0);
}

void TestRecord::statsOverBothStrokes()
{
    CZentakDoc doc(prompt);
    doc.m_arrDispDown = {6000, 6100, 6200};
    doc.m_arrDispUp = {6300, 5990};
    doc.m_arrForceDown = {10, 150};
    doc.m_arrForceUp = {900, 20};
    doc.ComputeTraceStats();
    QCOMPARE(doc.m_nDispMax, 6300u);
    // Every sample lies above the starting minimum, so it stays.
    QCOMPARE(doc.m_nDispMin, 5555u);
    QCOMPARE(doc.m_nForceMax, 900u);
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
    CZentakDoc doc(prompt);
    doc.m_arrForceDown = forceDown;
    doc.ComputeTraceStats();
    QCOMPARE(doc.m_nContactIndex, contact);
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
    CZentakDoc doc(prompt);
    doc.m_arrDispDown = dispDown;
    doc.DeriveActualValues();
    QCOMPARE(doc.m_nActualVelocity, velocity);
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
    CZentakDoc doc(prompt);
    doc.m_arrDispDown = dispDown;
    doc.m_arrForceDown = forceDown;
    doc.m_arrDispUp = dispUp;
    doc.DeriveActualValues();
    QCOMPARE(doc.m_nActualDisp, displacement);
}

void TestRecord::forceIsPeakInWholeKDynes()
{
    CZentakDoc doc(prompt);
    doc.m_arrForceDown = {0, 1009};
    doc.m_arrForceUp = {1019, 3};
    doc.DeriveActualValues();
    QCOMPARE(doc.m_nActualForce, 101);
}

void TestRecord::deriveKeepsActualDwell()
{
    CZentakDoc doc(prompt);
    doc.SetActualValues(9, 9, 9, 7);
    doc.DeriveActualValues();
    QCOMPARE(doc.m_nActualForce, 0);
    QCOMPARE(doc.m_nActualDwell, 7);
}

void TestRecord::dataPresentAnnouncesChanges()
{
    CZentakDoc doc(prompt);
    QSignalSpy spy(&doc, &CZentakDoc::dataPresentChanged);
    doc.SetDataPresent(true);
    doc.SetDataPresent(true);
    QVERIFY(doc.DataPresent());
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"

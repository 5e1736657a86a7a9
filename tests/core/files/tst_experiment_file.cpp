#include "core/CZentakDoc.h"
#include "core/files/CExperimentFileReader.h"
#include "core/files/CInputFile.h"
#include "core/files/CTextLineReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using LoadOutcome = CZentakDoc::LoadOutcome;
Q_DECLARE_METATYPE(LoadOutcome)

namespace {

// The saved text of a new, never-run record, written out from the layout.
const QByteArray kNewRecordFile = "ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                                  "Firmware Release Version: \r\n"
                                  "\r\n"
                                  "Desired Force: 100\r\n"
                                  "Desired Displacement: 1\r\n"
                                  "Desired Velocity: 1\r\n"
                                  "Desired Dwell: 0\r\n"
                                  "\r\n"
                                  "Actual Force: 0\r\n"
                                  "Actual Displacement: 0\r\n"
                                  "Actual Velocity: 0\r\n"
                                  "Actual Dwell: 0\r\n"
                                  "\r\n"
                                  "-------------------------------\r\n"
                                  "Displacement Data:\r\n"
                                  "*Down*\r\n"
                                  "*End*\r\n"
                                  "\r\n"
                                  "*Up*\r\n"
                                  "*End*\r\n"
                                  "\r\n"
                                  "-------------------------------\r\n"
                                  "Force Data:\r\n"
                                  "*Down*\r\n"
                                  "*End*\r\n"
                                  "\r\n"
                                  "*Up*\r\n"
                                  "*End*\r\n"
                                  "\r\n"
                                  "-------------------------------\r\n"
                                  "Experiment Comments:\r\n"
                                  "\r\n"
                                  "\r\n"
                                  "-----End of File-----";

// The saved text of the small release 5 run that FillRelease5Run() builds.
const QByteArray kRelease5File = "ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                                 "Firmware Release Version: R5.1\r\n"
                                 "\r\n"
                                 "Desired Force: 300\r\n"
                                 "Desired Displacement: 25\r\n"
                                 "Desired Velocity: 100\r\n"
                                 "Desired Dwell: 2\r\n"
                                 "\r\n"
                                 "Actual Force: 80\r\n"
                                 "Actual Displacement: 1234\r\n"
                                 "Actual Velocity: 98\r\n"
                                 "Actual Dwell: 2\r\n"
                                 "\r\n"
                                 "-------------------------------\r\n"
                                 "Displacement Data:\r\n"
                                 "*Down*\r\n"
                                 "100\r\n"
                                 "150\r\n"
                                 "220\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "*Up*\r\n"
                                 "210\r\n"
                                 "120\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "-------------------------------\r\n"
                                 "Force Data:\r\n"
                                 "*Down*\r\n"
                                 "5\r\n"
                                 "250\r\n"
                                 "800\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "*Up*\r\n"
                                 "300\r\n"
                                 "10\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "-------------------------------\r\n"
                                 "Time per Step Data:\r\n"
                                 "*Down*\r\n"
                                 "1000\r\n"
                                 "1000\r\n"
                                 "1000\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "*Up*\r\n"
                                 "2000\r\n"
                                 "2000\r\n"
                                 "*End*\r\n"
                                 "\r\n"
                                 "-------------------------------\r\n"
                                 "Experiment Comments:\r\n"
                                 "Date: March 05, 2024. \r\n"
                                 "Time: 14:07:09.\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "-----End of File-----";

const QString kNotValid = QStringLiteral("Not a Valid Experiment File.");
const QString kOldLoadFailed =
    QStringLiteral("Old Experiment File Load Failed. \r\nCheck to see if it is a valid file.");

void FillRelease5Run(CZentakDoc& doc)
{
    CImpactRecord& record = doc.EditRecord();
    record.m_strFirmwareVersion = QStringLiteral("R5.1");
    record.m_nFirmwareRelease = 5;
    record.m_nDesiredForce = 300;
    record.m_nDesiredDisp = 25;
    record.m_nDesiredVelocity = 100;
    record.m_nDesiredDwell = 2;
    record.SetActualValues(80, 1234, 98, 2);
    record.m_arrDispDown = {100, 150, 220};
    record.m_arrDispUp = {210, 120};
    record.m_arrForceDown = {5, 250, 800};
    record.m_arrForceUp = {300, 10};
    record.m_arrStepTimeDown = {1000, 1000, 1000};
    record.m_arrStepTimeUp = {2000, 2000};
    record.m_strComments = QStringLiteral("Date: March 05, 2024. \r\nTime: 14:07:09.\r\n");
    doc.SetDataPresent(true);
}

// A release 5 run as the box delivers it: strokes of any length, in step.
void FillLongRelease5Run(CZentakDoc& doc, int samplesPerStroke)
{
    CImpactRecord& record = doc.EditRecord();
    FillRelease5Run(doc);
    record.m_arrDispDown.clear();
    record.m_arrDispUp.clear();
    record.m_arrForceDown.clear();
    record.m_arrForceUp.clear();
    record.m_arrStepTimeDown.clear();
    record.m_arrStepTimeUp.clear();
    for (int i = 0; i < samplesPerStroke; ++i) {
        record.m_arrDispDown.append(quint32(3000 + 3 * i));
        record.m_arrForceDown.append(quint32(i < 20 ? 5 * i : 10 * i));
        record.m_arrStepTimeDown.append(quint32(900 + i % 7));
        record.m_arrDispUp.append(quint32(3000 + 3 * (samplesPerStroke - i)));
        record.m_arrForceUp.append(quint32(10 * (samplesPerStroke - i)));
        record.m_arrStepTimeUp.append(quint32(1800 + i % 5));
    }
}

QByteArray Save(CZentakDoc& doc)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!doc.Save(buffer))
        return QByteArray("save failed");
    return buffer.data();
}

bool Load(CZentakDoc& doc, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return doc.Load(buffer);
}

QByteArray DataFile(const char* name)
{
    QFile file(QStringLiteral(ZENTAK_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

// The file text around a displacement-down section holding these lines.
QByteArray WithDisplacementDown(const QByteArray& lines)
{
    QByteArray text = kNewRecordFile;
    text.replace("Displacement Data:\r\n*Down*\r\n", "Displacement Data:\r\n*Down*\r\n" + lines);
    return text;
}

}  // namespace

class TestExperimentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void savesNewRecordExactly();
    void savesRelease5RunExactly();
    void storeHookRunsBetweenTracesAndComments();
    void writesSectionsOverTheArraysItHas();
    void newRecordLoadsBack();
    void loadResetsAllButRunFlags();
    void release5RoundTripOfLongRun_data();
    void release5RoundTripOfLongRun();
    void release5RunWithoutVersionText();
    void versionTextIsNeverALabel_data();
    void versionTextIsNeverALabel();
    void release4HeaderFile();
    void firmwareReleaseFromVersionLine_data();
    void firmwareReleaseFromVersionLine();
    void headerValueLines_data();
    void headerValueLines();
    void sectionValueLines_data();
    void sectionValueLines();
    void fileCutShort_data();
    void fileCutShort();
    void formatDetectionExaminesThirtyLines_data();
    void formatDetectionExaminesThirtyLines();
    void oldestTranscript();
    void oldestTranscriptPairs_data();
    void oldestTranscriptPairs();
    void oldestTranscriptThatNeverCompletes_data();
    void oldestTranscriptThatNeverCompletes();
    void commentsRoundTrip_data();
    void commentsRoundTrip();
    void commentsOfOriginalFiles_data();
    void commentsOfOriginalFiles();
    void commentsAreLatin1Bytes();
    void boundsEndTheLoad_data();
    void boundsEndTheLoad();
    void refusedFilesLeaveTheRecord_data();
    void refusedFilesLeaveTheRecord();
    void readErrorLeavesNoFileName();
    void saveToFileReplacesWholeFile();
    // A disk that fills is a file-size limit, which Windows has not.
#ifndef Q_OS_WIN
    void failedSaveKeepsPreviousFile();
#endif
    void saveIntoMissingFolderNamesIt();
    void loadOfMissingFileLeavesRecord();
    void loadMessageStillTakesFileName();
};

void TestExperimentFile::init()
{
}

void TestExperimentFile::savesNewRecordExactly()
{
    CZentakDoc doc;
    doc.OnNewDocument();
    QCOMPARE(Save(doc), kNewRecordFile);
}

void TestExperimentFile::savesRelease5RunExactly()
{
    CZentakDoc doc;
    FillRelease5Run(doc);
    QCOMPARE(Save(doc), kRelease5File);
}

void TestExperimentFile::storeHookRunsBetweenTracesAndComments()
{
    CZentakDoc doc;
    FillRelease5Run(doc);
    int calls = 0;
    QObject::connect(&doc, &CZentakDoc::storeViewsRequested, [&] {
        ++calls;
        doc.EditRecord().m_nDesiredForce = 999;
        doc.EditRecord().m_strComments = QStringLiteral("typed after the run");
    });
    const QByteArray text = Save(doc);
    QCOMPARE(calls, 1);
    QVERIFY(text.contains("Desired Force: 300\r\n"));
    QVERIFY(
        text.endsWith("Experiment Comments:\r\ntyped after the run\r\n\r\n-----End of File-----"));
}

// A hand-edited file can leave a stroke's arrays of unequal length: each
// section gets exactly the values its array holds, nothing read past an end.
void TestExperimentFile::writesSectionsOverTheArraysItHas()
{
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    FillRelease5Run(doc);
    record.m_arrForceDown = {5};
    record.m_arrStepTimeUp = {2000, 2000, 2000, 7};
    QByteArray expected = kRelease5File;
    expected.replace("Force Data:\r\n*Down*\r\n5\r\n250\r\n800\r\n",
                     "Force Data:\r\n*Down*\r\n5\r\n");
    expected.replace("2000\r\n2000\r\n*End*", "2000\r\n2000\r\n2000\r\n7\r\n*End*");
    QCOMPARE(Save(doc), expected);

    CZentakDoc loaded;
    QVERIFY(Load(loaded, expected));
    QCOMPARE(loaded.Record().m_arrForceDown, CUIntArray{5});
    QCOMPARE(loaded.Record().m_arrStepTimeUp, (CUIntArray{2000, 2000, 2000, 7}));
    QCOMPARE(loaded.Record().m_arrDispDown, record.m_arrDispDown);
}

void TestExperimentFile::newRecordLoadsBack()
{
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QSignalSpy changed(&doc, &CZentakDoc::recordChanged);
    doc.SetDataPresent(true);
    QVERIFY(Load(doc, kNewRecordFile));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(record.m_nFileFormat, 5);
    QCOMPARE(record.m_nFirmwareRelease, 0);
    QVERIFY(record.m_strFirmwareVersion.isEmpty());
    QCOMPARE(record.m_nDesiredForce, 100);
    QCOMPARE(record.m_nDesiredDisp, 1);
    QCOMPARE(record.m_nDesiredVelocity, 1);
    QVERIFY(record.m_arrDispDown.isEmpty() && record.m_arrForceUp.isEmpty());
    QCOMPARE(record.m_strComments, QString());
    QVERIFY(!doc.DataPresent());
    QCOMPARE(changed.count(), 1);
    QVERIFY(doc.LoadMessage().isEmpty());
}

void TestExperimentFile::loadResetsAllButRunFlags()
{
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    FillRelease5Run(doc);
    record.m_nFileFormat = 5;
    record.ComputeTraceStats();
    QVERIFY(Load(doc, "garbage"));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::NotValid);
    QCOMPARE(doc.LoadMessage(), kNotValid);
    QCOMPARE(record.m_nFileFormat, 0);
    QCOMPARE(record.m_nFirmwareRelease, 0);
    QVERIFY(record.m_strFirmwareVersion.isEmpty());
    QCOMPARE(record.m_nDesiredForce, 100);
    QCOMPARE(record.m_nDesiredDwell, 0);
    QCOMPARE(record.m_nActualForce, 0);
    QCOMPARE(record.m_nActualDwell, 0);
    QVERIFY(record.m_arrDispDown.isEmpty() && record.m_arrStepTimeUp.isEmpty());
    QCOMPARE(record.m_nDispMax, 0u);
    QCOMPARE(record.m_nDispMin, 5555u);
    QCOMPARE(record.m_nContactIndex, 0);
    QVERIFY(record.m_strComments.isEmpty());
    QVERIFY(!doc.DataPresent());
}

void TestExperimentFile::release5RoundTripOfLongRun_data()
{
    QTest::addColumn<int>("samples");
    QTest::newRow("59 per stroke") << 59;
    QTest::newRow("60 per stroke") << 60;
    QTest::newRow("200 per stroke") << 200;
}

// Sections of any length come back whole, and a second save is byte for
// byte the first: the comments no longer grow with every cycle.
void TestExperimentFile::release5RoundTripOfLongRun()
{
    QFETCH(int, samples);
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    FillLongRelease5Run(doc, samples);
    const QByteArray saved = Save(doc);

    CZentakDoc loaded;
    QVERIFY(Load(loaded, saved));
    QCOMPARE(loaded.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(loaded.Record().m_nFileFormat, 5);
    QCOMPARE(loaded.Record().m_nFirmwareRelease, 5);
    QCOMPARE(loaded.Record().m_strFirmwareVersion, record.m_strFirmwareVersion);
    QCOMPARE(loaded.Record().m_arrDispDown, record.m_arrDispDown);
    QCOMPARE(loaded.Record().m_arrForceDown, record.m_arrForceDown);
    QCOMPARE(loaded.Record().m_arrDispUp, record.m_arrDispUp);
    QCOMPARE(loaded.Record().m_arrForceUp, record.m_arrForceUp);
    QCOMPARE(loaded.Record().m_arrStepTimeDown, record.m_arrStepTimeDown);
    QCOMPARE(loaded.Record().m_arrStepTimeUp, record.m_arrStepTimeUp);
    QCOMPARE(loaded.Record().m_nDesiredForce, 300);
    QCOMPARE(loaded.Record().m_nDesiredDisp, 25);
    QCOMPARE(loaded.Record().m_nDesiredVelocity, 100);
    QCOMPARE(loaded.Record().m_nDesiredDwell, 2);
    QCOMPARE(loaded.Record().m_nActualForce, 80);
    QCOMPARE(loaded.Record().m_nActualDisp, 1234);
    QCOMPARE(loaded.Record().m_nActualVelocity, 98);
    QCOMPARE(loaded.Record().m_nActualDwell, 2);
    QCOMPARE(loaded.Record().m_strComments, record.m_strComments);
    QVERIFY(loaded.DataPresent());
    QCOMPARE(loaded.Record().m_nDispMax, quint32(3000 + 3 * samples));
    QCOMPARE(Save(loaded), saved);
}

// A box that reported no release text leaves the version line empty; its
// step times must not turn into comments on the way back.
void TestExperimentFile::release5RunWithoutVersionText()
{
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    FillLongRelease5Run(doc, 20);
    record.m_strFirmwareVersion.clear();
    const QByteArray saved = Save(doc);
    QVERIFY(saved.contains("Firmware Release Version: \r\n"));

    CZentakDoc loaded;
    QVERIFY(Load(loaded, saved));
    QCOMPARE(loaded.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(loaded.Record().m_nFirmwareRelease, 5);
    QCOMPARE(loaded.Record().m_arrStepTimeDown, record.m_arrStepTimeDown);
    QCOMPARE(loaded.Record().m_arrStepTimeUp, record.m_arrStepTimeUp);
    QCOMPARE(loaded.Record().m_strComments, record.m_strComments);
    QCOMPARE(Save(loaded), saved);
}

void TestExperimentFile::versionTextIsNeverALabel_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("section label") << QStringLiteral("R5.1 Displacement Data");
    QTest::newRow("label alone") << QStringLiteral("Displacement Data:");
    QTest::newRow("markers") << QStringLiteral("R5 *Down* *Up* *End*");
    QTest::newRow("other labels") << QStringLiteral(
        "R5 Force Data: Time per Step Data: Experiment Comments:");
    QTest::newRow("header value") << QStringLiteral("R5 Desired Force: 7");
    QTest::newRow("end marker") << QStringLiteral("R5 -----End of File-----");
}

// Whatever the box reported goes into the version line; the record comes
// back the same, and every later save writes the same bytes.
void TestExperimentFile::versionTextIsNeverALabel()
{
    QFETCH(QString, version);
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    FillLongRelease5Run(doc, 5);
    record.m_strFirmwareVersion = version;
    const QByteArray saved = Save(doc);

    CZentakDoc loaded;
    QVERIFY(Load(loaded, saved));
    QCOMPARE(loaded.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(loaded.Record().m_strFirmwareVersion, version);
    QCOMPARE(loaded.Record().m_nDesiredForce, 300);
    QCOMPARE(loaded.Record().m_nDesiredDwell, 2);
    QCOMPARE(loaded.Record().m_nActualVelocity, 98);
    QCOMPARE(loaded.Record().m_arrDispDown, record.m_arrDispDown);
    QCOMPARE(loaded.Record().m_arrForceUp, record.m_arrForceUp);
    QCOMPARE(loaded.Record().m_arrStepTimeUp, record.m_arrStepTimeUp);
    QCOMPARE(loaded.Record().m_strComments, record.m_strComments);
    QCOMPARE(Save(loaded), saved);
}

void TestExperimentFile::release4HeaderFile()
{
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QVERIFY(Load(doc, DataFile("release4.exp")));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(record.m_nFileFormat, 4);
    QCOMPARE(record.m_nFirmwareRelease, 4);
    QVERIFY(record.m_strFirmwareVersion.isEmpty());
    QCOMPARE(record.m_nDesiredForce, 150);
    QCOMPARE(record.m_nDesiredVelocity, 100);
    QCOMPARE(record.m_nDesiredDwell, 5);
    QCOMPARE(record.m_nActualForce, 152);
    QCOMPARE(record.m_nActualDisp, 1411);
    QCOMPARE(record.m_nActualVelocity, 97);
    QCOMPARE(record.m_arrDispDown, (CUIntArray{2000, 2010, 2040, 2090}));
    QCOMPARE(record.m_arrDispUp, (CUIntArray{2080, 2030}));
    QCOMPARE(record.m_arrForceDown, (CUIntArray{0, 150, 900, 1520}));
    QCOMPARE(record.m_arrForceUp, (CUIntArray{700, 20}));
    QVERIFY(record.m_arrStepTimeDown.isEmpty());
    QCOMPARE(record.m_strComments, QStringLiteral("Rat 12, T10"));
    QCOMPARE(record.m_nDispMax, 2090u);
    QCOMPARE(record.m_nContactIndex, 2);
    QVERIFY(doc.DataPresent());

    // Release 4 files carry no version line and no step times, even when
    // one stands where a release 5 file would have it.
    QByteArray withVersion = DataFile("release4.exp");
    withVersion.replace("File\r\n", "File\r\nFirmware Release Version: R5.2\r\n");
    QVERIFY(Load(doc, withVersion));
    QCOMPARE(record.m_nFirmwareRelease, 4);
    QVERIFY(record.m_strFirmwareVersion.isEmpty());
}

void TestExperimentFile::firmwareReleaseFromVersionLine_data()
{
    QTest::addColumn<QByteArray>("versionLines");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("release");
    QTest::newRow("release 4") << QByteArray("Firmware Release Version: R4.x\r\n") << "R4.x" << 4;
    QTest::newRow("release 5") << QByteArray("Firmware Release Version: R5.1\r\n") << "R5.1" << 5;
    QTest::newRow("5 wins") << QByteArray("Firmware Release Version: R4 R5\r\n") << "R4 R5" << 5;
    QTest::newRow("neither") << QByteArray("Firmware Release Version: X9\r\n") << "X9" << 0;
    QTest::newRow("no Version: label")
        << QByteArray("Firmware Release R5.0 \r\n") << "Firmware Release R5.0" << 5;
    QTest::newRow("third line after header")
        << QByteArray("\r\n\r\nFirmware Release Version:  R5.3 \r\n") << "R5.3" << 5;
}

void TestExperimentFile::firmwareReleaseFromVersionLine()
{
    QFETCH(QByteArray, versionLines);
    QFETCH(QString, version);
    QFETCH(int, release);
    QByteArray text = kNewRecordFile;
    text.replace("Firmware Release Version: \r\n", versionLines);
    CZentakDoc doc;
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.Record().m_strFirmwareVersion, version);
    QCOMPARE(doc.Record().m_nFirmwareRelease, release);
}

void TestExperimentFile::headerValueLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("force");
    QTest::newRow("plain") << QByteArray("Desired Force: 250") << 250;
    QTest::newRow("negative") << QByteArray("Desired Force: -7") << -7;
    QTest::newRow("spaces and tab") << QByteArray("Desired Force:   \t 42  ") << 42;
    QTest::newRow("not a number") << QByteArray("Desired Force: many") << 0;
    QTest::newRow("trailing text") << QByteArray("Desired Force: 12 Kdyn") << 12;
    QTest::newRow("text before label") << QByteArray("The Desired Force: 12") << 0;
}

// Labels are stripped as a character set from the left, as always.
void TestExperimentFile::headerValueLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, force);
    QByteArray text = kNewRecordFile;
    text.replace("Desired Force: 100", line);
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QVERIFY(Load(doc, text));
    QCOMPARE(record.m_nDesiredForce, force);
    QCOMPARE(record.m_nDesiredDisp, 1);

    // A label after "Displacement Data" is not a header value.
    text.replace("Displacement Data:\r\n", "Displacement Data:\r\nActual Dwell: 9\r\n");
    QVERIFY(Load(doc, text));
    QCOMPARE(record.m_nActualDwell, 0);
}

void TestExperimentFile::sectionValueLines_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<CUIntArray>("values");
    QTest::newRow("not a number") << QByteArray("12\r\nabc\r\n7\r\n") << CUIntArray{12, 0, 7};
    QTest::newRow("padding and trailing text")
        << QByteArray("  15 \r\n16mm\r\n\t17\r\n") << CUIntArray{15, 16, 17};
    QTest::newRow("empty line") << QByteArray("1\r\n\r\n2\r\n") << CUIntArray{1, 0, 2};
    QTest::newRow("negative is a fault") << QByteArray("-5\r\n") << CUIntArray{0};
    QTest::newRow("LF only") << QByteArray("8\n9\n") << CUIntArray{8, 9};
}

void TestExperimentFile::sectionValueLines()
{
    QFETCH(QByteArray, lines);
    QFETCH(CUIntArray, values);
    CZentakDoc doc;
    QVERIFY(Load(doc, WithDisplacementDown(lines)));
    QCOMPARE(doc.Record().m_arrDispDown, values);
    QVERIFY(doc.Record().m_arrDispUp.isEmpty());
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
}

void TestExperimentFile::fileCutShort_data()
{
    QTest::addColumn<int>("keptBytes");
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<CUIntArray>("forceDown");
    const int inForceSection = int(kRelease5File.indexOf("250\r\n"));
    QTest::newRow("in the force section")
        << inForceSection << CUIntArray{100, 150, 220} << CUIntArray{5};
    QTest::newRow("in the comments") << int(kRelease5File.indexOf("Time: 14"))
                                     << CUIntArray{100, 150, 220} << CUIntArray{5, 250, 800};
    QTest::newRow("end marker cut")
        << int(kRelease5File.size() - 10) << CUIntArray{100, 150, 220} << CUIntArray{5, 250, 800};
}

// No message: the bounded searches run out, nothing invented past the end,
// and without the end marker nothing is shown.
void TestExperimentFile::fileCutShort()
{
    QFETCH(int, keptBytes);
    QFETCH(CUIntArray, dispDown);
    QFETCH(CUIntArray, forceDown);
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QSignalSpy changed(&doc, &CZentakDoc::recordChanged);
    QVERIFY(Load(doc, kRelease5File.left(keptBytes)));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::NoEndMarker);
    QVERIFY(doc.LoadMessage().isEmpty());
    QCOMPARE(record.m_arrDispDown, dispDown);
    QCOMPARE(record.m_arrForceDown, forceDown);
    QVERIFY(!doc.DataPresent());
    QCOMPARE(record.m_nDispMax, 0u);
    QCOMPARE(changed.count(), 0);
}

void TestExperimentFile::formatDetectionExaminesThirtyLines_data()
{
    QTest::addColumn<int>("linesBefore");
    QTest::addColumn<int>("format");
    QTest::newRow("header on line 30") << 29 << 5;
    QTest::newRow("header on line 31") << 30 << 0;
}

void TestExperimentFile::formatDetectionExaminesThirtyLines()
{
    QFETCH(int, linesBefore);
    QFETCH(int, format);
    CZentakDoc doc;
    QVERIFY(Load(doc, QByteArray("x\r\n").repeated(linesBefore) + kNewRecordFile));
    QCOMPARE(doc.Record().m_nFileFormat, format);
    QCOMPARE(doc.LoadMessage(), format == 0 ? kNotValid : QString());
}

void TestExperimentFile::oldestTranscript()
{
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QSignalSpy changed(&doc, &CZentakDoc::recordChanged);
    QVERIFY(Load(doc, DataFile("transcript.txt")));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
    QVERIFY(doc.LoadMessage().isEmpty());
    QCOMPARE(record.m_nFileFormat, 3);
    QCOMPARE(record.m_nFirmwareRelease, 4);
    QCOMPARE(record.m_arrDispDown, (CUIntArray{2000, 2010, 2040, 2090}));
    QCOMPARE(record.m_arrForceDown, (CUIntArray{0, 150, 900, 1520}));
    QCOMPARE(record.m_arrDispUp, (CUIntArray{2080, 2030}));
    QCOMPARE(record.m_arrForceUp, (CUIntArray{700, 20}));
    // Derived on load: force 1520 / 10; travel (2090 - 2010) x 17.63889.
    QCOMPARE(record.m_nActualForce, 152);
    QCOMPARE(record.m_nActualDisp, 1411);
    QCOMPARE(record.m_nDesiredForce, 100);
    QVERIFY(record.m_strComments.isEmpty());
    QVERIFY(doc.DataPresent());
    QCOMPARE(changed.count(), 1);
}

void TestExperimentFile::oldestTranscriptPairs_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<CUIntArray>("forceDown");
    QTest::addColumn<CUIntArray>("dispUp");
    QTest::addColumn<CUIntArray>("forceUp");
    QTest::newRow("one pair each")
        << QByteArray("Enter Force\r\nEnter Mode\r\n12#345\r\n13-300\r\nCompleted")
        << CUIntArray{12} << CUIntArray{345} << CUIntArray{13} << CUIntArray{300};
    QTest::newRow("a lone #") << QByteArray("Mode\r\n#\r\nCompleted") << CUIntArray{0}
                              << CUIntArray{0} << CUIntArray{} << CUIntArray{};
    QTest::newRow("separators at both ends")
        << QByteArray("Mode\r\n#12#345#\r\n-13-300--\r\nCompleted") << CUIntArray{12}
        << CUIntArray{345} << CUIntArray{13} << CUIntArray{300};
    QTest::newRow("100 remark lines, then Completed")
        << QByteArray("Mode\r\n5#6\r\n") + QByteArray("x\r\n").repeated(99) + "Completed\r\n"
        << CUIntArray{5} << CUIntArray{6} << CUIntArray{} << CUIntArray{};
    QTest::newRow("LF lines") << QByteArray("Mode\n 1 # 2 \nCompleted\n") << CUIntArray{1}
                              << CUIntArray{2} << CUIntArray{} << CUIntArray{};
}

void TestExperimentFile::oldestTranscriptPairs()
{
    QFETCH(QByteArray, text);
    QFETCH(CUIntArray, dispDown);
    QFETCH(CUIntArray, forceDown);
    QFETCH(CUIntArray, dispUp);
    QFETCH(CUIntArray, forceUp);
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
    QCOMPARE(record.m_arrDispDown, dispDown);
    QCOMPARE(record.m_arrForceDown, forceDown);
    QCOMPARE(record.m_arrDispUp, dispUp);
    QCOMPARE(record.m_arrForceUp, forceUp);
}

void TestExperimentFile::oldestTranscriptThatNeverCompletes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::newRow("ends without Completed")
        << DataFile("transcript_incomplete.txt") << CUIntArray{2000, 2010, 2040};
    QTest::newRow("101 remark lines")
        << QByteArray("Mode\r\n5#6\r\n") + QByteArray("x\r\n").repeated(100) + "Completed\r\n"
        << CUIntArray{5};
    QTest::newRow("Completed on the Mode line")
        << QByteArray("Mode Completed\r\n1#2\r\nCompleted") << CUIntArray{};
}

// The reset values plus the samples read before giving up; nothing shown.
void TestExperimentFile::oldestTranscriptThatNeverCompletes()
{
    QFETCH(QByteArray, text);
    QFETCH(CUIntArray, dispDown);
    CZentakDoc doc;
    const CImpactRecord& record = doc.Record();
    QSignalSpy changed(&doc, &CZentakDoc::recordChanged);
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::OldFormatFailed);
    QCOMPARE(doc.LoadMessage(), kOldLoadFailed);
    QCOMPARE(record.m_arrDispDown, dispDown);
    QCOMPARE(record.m_nDispMax, 0u);
    QCOMPARE(record.m_nActualForce, 0);
    QVERIFY(!doc.DataPresent());
    QCOMPARE(changed.count(), 0);
}

void TestExperimentFile::commentsRoundTrip_data()
{
    QTest::addColumn<QString>("comments");
    QTest::newRow("empty") << QString();
    QTest::newRow("one line") << QStringLiteral("Rat 7");
    QTest::newRow("line breaks") << QStringLiteral("Rat 7\r\nT10 contusion\r\n\r\nre-check");
    QTest::newRow("final line break") << QStringLiteral("Rat 7\r\n");
    QTest::newRow("only line breaks") << QStringLiteral("\r\n\r\n");
    QTest::newRow("above 127") << QStringLiteral("Tier Nr. 5 \u00fc \u00b5m \u00a9\u00ff\u00a0");
    QTest::newRow("lone CR kept") << QStringLiteral("a\rb\r");
    // More than the 512 lines earlier versions read: the traces were then
    // left out of view, and a later save dropped them.
    QTest::newRow("600 lines") << QStringLiteral("note\r\n").repeated(600);
    // Only the writer's own marker line ends the comments.
    QTest::newRow("words of the end marker")
        << QStringLiteral("End of File 7 checked\r\nsecond line");
}

void TestExperimentFile::commentsRoundTrip()
{
    QFETCH(QString, comments);
    CZentakDoc doc;
    FillRelease5Run(doc);
    doc.EditRecord().m_strComments = comments;
    const QByteArray saved = Save(doc);
    for (int cycle = 0; cycle < 3; ++cycle) {
        QVERIFY(Load(doc, Save(doc)));
        QCOMPARE(doc.Record().m_strComments, comments);
        QVERIFY(doc.DataPresent());
    }
    QCOMPARE(Save(doc), saved);
}

// Files saved by earlier versions carry the extra lines of every save and
// load cycle they went through; they load as before, less one cycle's growth.
void TestExperimentFile::commentsOfOriginalFiles_data()
{
    QTest::addColumn<QByteArray>("commentLines");
    QTest::addColumn<QString>("comments");
    const QByteArray marker = "-----End of File-----";
    QTest::newRow("saved once") << "Rat 7\r\n\r\n" + marker << QStringLiteral("Rat 7");
    QTest::newRow("saved twice") << "Rat 7\r\n\r\n\r\n\r\n" + marker
                                 << QStringLiteral("Rat 7\r\n\r\n");
    QTest::newRow("no empty line before the marker")
        << "Rat 7\r\n" + marker << QStringLiteral("Rat 7");
    // Other writers, or a marker whose hyphens were cut: the last line that
    // holds "End of File" ends the comments.
    QTest::newRow("shorter marker")
        << QByteArray("Rat 7\r\n\r\n---End of File---") << QStringLiteral("Rat 7");
    QTest::newRow("bare marker words")
        << QByteArray("Rat 7\r\nEnd of File") << QStringLiteral("Rat 7");
    QTest::newRow("last of two mentions")
        << QByteArray("End of File 7 checked\r\nRat 7\r\n\r\n--End of File--\r\n")
        << QStringLiteral("End of File 7 checked\r\nRat 7");
    QTest::newRow("the exact marker first") << "Rat 7\r\n\r\n" + marker + "\r\nEnd of File\r\n"
                                            << QStringLiteral("Rat 7");
}

void TestExperimentFile::commentsOfOriginalFiles()
{
    QFETCH(QByteArray, commentLines);
    QFETCH(QString, comments);
    QByteArray text = kRelease5File;
    text.truncate(text.indexOf("Date: March"));
    text += commentLines;
    CZentakDoc doc;
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.Record().m_strComments, comments);
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::Complete);
    QVERIFY(doc.DataPresent());
}

void TestExperimentFile::commentsAreLatin1Bytes()
{
    CZentakDoc doc;
    doc.EditRecord().m_strComments = QStringLiteral("\u00fcber \u00b5");
    QVERIFY(Save(doc).contains("Comments:\r\n\xfc"
                               "ber \xb5\r\n\r\n-----End"));

    QByteArray text = kNewRecordFile;
    text.replace("Experiment Comments:\r\n\r\n\r\n", "Experiment Comments:\r\n\xe9t\xe9\r\n\r\n");
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.Record().m_strComments, QStringLiteral("\u00e9t\u00e9"));
}

void TestExperimentFile::boundsEndTheLoad_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<LoadOutcome>("outcome");
    QTest::addColumn<QString>("message");
    const qsizetype maxLine = CTextLineReader::kMaxLineBytes;
    const qint64 maxFile = CExperimentFileReader::kMaxFileBytes;
    const auto withComment = [](const QByteArray& comment) {
        QByteArray text = kRelease5File;
        return text.replace("Date: March", comment + "\r\nDate: March");
    };
    const int commentLine = int(kRelease5File.left(kRelease5File.indexOf("Date:")).count('\n')) + 1;
    const QString tooLong = CExperimentFileReader::LineTooLongMessage(commentLine);
    QTest::newRow("longest line") << withComment(QByteArray(maxLine, 'c')) << LoadOutcome::Complete
                                  << QString();
    QTest::newRow("comment line over the bound")
        << withComment(QByteArray(2 * maxLine, 'c')) << LoadOutcome::LineTooLong << tooLong;
    QTest::newRow("over the bound by one")
        << withComment(QByteArray(maxLine + 1, 'c')) << LoadOutcome::LineTooLong << tooLong;
    QByteArray inSection = kRelease5File;
    inSection.replace("150\r\n", "150" + QByteArray(maxLine, ' ') + "\r\n");
    QTest::newRow("value line over the bound")
        << inSection << LoadOutcome::LineTooLong << CExperimentFileReader::LineTooLongMessage(18);
    QTest::newRow("transcript line over the bound")
        << "Mode\r\n1#2\r\n" + QByteArray(maxLine + 1, '#') + "\r\nCompleted\r\n"
        << LoadOutcome::LineTooLong << CExperimentFileReader::LineTooLongMessage(3);
    QTest::newRow("no line breaks") << QByteArray(3 * maxLine, 'x') << LoadOutcome::LineTooLong
                                    << CExperimentFileReader::LineTooLongMessage(1);
    const QByteArray filler = QByteArray(1000, 'c') + "\r\n";
    QByteArray atBound = withComment(filler.repeated(int(maxFile / filler.size())));
    atBound.insert(atBound.indexOf("Date:"), QByteArray(maxFile - atBound.size(), 'd'));
    QTest::newRow("file at the bound") << atBound << LoadOutcome::Complete << QString();
    QTest::newRow("file over the bound")
        << atBound.insert(atBound.indexOf("Date:"), 'd') << LoadOutcome::TooLarge
        << CExperimentFileReader::TooLargeMessage();
}

// A cut line or input never passes for a whole one: the load says why and
// does not complete, so the record is not drawn and no save goes over it.
void TestExperimentFile::boundsEndTheLoad()
{
    QFETCH(QByteArray, text);
    QFETCH(LoadOutcome, outcome);
    QFETCH(QString, message);
    CZentakDoc doc;
    QSignalSpy changed(&doc, &CZentakDoc::recordChanged);
    QVERIFY(Load(doc, text));
    QCOMPARE(doc.LastLoadOutcome(), outcome);
    const bool complete = outcome == LoadOutcome::Complete;
    QCOMPARE(doc.LoadMessage(), complete ? QString() : message);
    QCOMPARE(doc.DataPresent(), complete);
    QCOMPARE(changed.count(), complete ? 1 : 0);
}

void TestExperimentFile::refusedFilesLeaveTheRecord_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    static QTemporaryDir dir;
    const QString huge = dir.filePath(QStringLiteral("huge.exp"));
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.resize(CExperimentFileReader::kMaxFileBytes + 1));
    // An endless device and a pipe named in a folder: Windows has neither.
#ifndef Q_OS_WIN
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero") << CInputFile::NotOrdinaryText(QStringLiteral("/dev/zero"));
    const QString pipe = dir.filePath(QStringLiteral("pipe.exp"));
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QTest::newRow("pipe") << pipe << CInputFile::NotOrdinaryText(pipe);
#endif
    QTest::newRow("larger than any experiment")
        << huge
        << QStringLiteral("%1 is too large to be an experiment file (16777217 bytes; the limit "
                          "is 16777216 bytes). It was not read.")
               .arg(QDir::toNativeSeparators(huge));
}

// Refused before a byte is read (a pipe would block, a device never end):
// the record, its name and the window keep what they had.
void TestExperimentFile::refusedFilesLeaveTheRecord()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    CZentakDoc doc;
    FillRelease5Run(doc);
    doc.SetPathName(QStringLiteral("/old/name.exp"));
    QVERIFY(!doc.Load(path));
    QCOMPARE(doc.FileErrorString(), message);
    QCOMPARE(doc.Record().m_arrDispDown.size(), 3);
    QCOMPARE(doc.Record().m_nDesiredForce, 300);
    QVERIFY(doc.DataPresent());
    QCOMPARE(doc.PathName(), QStringLiteral("/old/name.exp"));
    QVERIFY(doc.LoadMessage().isEmpty());
}

// The kernel refuses reads of a process's unmapped memory: a file whose
// read fails part-way. What was read must not be saved over it unasked.
void TestExperimentFile::readErrorLeavesNoFileName()
{
    const QString path = QStringLiteral("/proc/self/mem");
    CZentakDoc doc;
    doc.SetPathName(QStringLiteral("/old/name.exp"));
    QVERIFY(!doc.Load(path));
    QVERIFY2(doc.FileErrorString().startsWith(
                 QStringLiteral("An error occurred while reading %1").arg(path)),
             qPrintable(doc.FileErrorString()));
    QVERIFY(doc.PathName().isEmpty());
    QVERIFY(doc.LoadMessage().isEmpty());
}

void TestExperimentFile::saveToFileReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.exp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    CZentakDoc doc;
    FillRelease5Run(doc);
    doc.SetModifiedFlag();
    QVERIFY2(doc.Save(path), qPrintable(doc.FileErrorString()));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), kRelease5File);
    QCOMPARE(doc.PathName(), path);
    QVERIFY(!doc.IsModified());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("run.exp")});
}

#ifndef Q_OS_WIN
// The disk "fills" after 4 KiB: the save fails and the old file is whole.
void TestExperimentFile::failedSaveKeepsPreviousFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.exp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(kRelease5File);
    }
    CZentakDoc doc;
    FillLongRelease5Run(doc, 2000);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = doc.Save(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QVERIFY2(doc.FileErrorString().contains(path), qPrintable(doc.FileErrorString()));
    QVERIFY(doc.FileErrorString().contains(QStringLiteral("unchanged")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), kRelease5File);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("run.exp")});
    QVERIFY(doc.PathName().isEmpty());
}
#endif

void TestExperimentFile::saveIntoMissingFolderNamesIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/run.exp"));
    CZentakDoc doc;
    QVERIFY(!doc.Save(path));
    QCOMPARE(doc.FileErrorString(),
             QStringLiteral("The folder of %1 was not found.").arg(QDir::toNativeSeparators(path)));
}

void TestExperimentFile::loadOfMissingFileLeavesRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none.exp"));
    CZentakDoc doc;
    FillRelease5Run(doc);
    doc.SetPathName(QStringLiteral("/old/name.exp"));
    QVERIFY(!doc.Load(path));
    QCOMPARE(doc.FileErrorString(),
             QStringLiteral("%1 was not found.").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(doc.Record().m_arrDispDown.size(), 3);
    QCOMPARE(doc.Record().m_strFirmwareVersion, QStringLiteral("R5.1"));
    QVERIFY(doc.DataPresent());
    QCOMPARE(doc.PathName(), QStringLiteral("/old/name.exp"));
    QVERIFY(doc.LoadMessage().isEmpty());
}

void TestExperimentFile::loadMessageStillTakesFileName()
{
    const QString path = QStringLiteral(ZENTAK_TEST_DATA "/transcript_incomplete.txt");
    CZentakDoc doc;
    doc.SetModifiedFlag();
    QVERIFY(doc.Load(path));
    QCOMPARE(doc.LastLoadOutcome(), LoadOutcome::OldFormatFailed);
    QCOMPARE(doc.PathName(), path);
    QVERIFY(!doc.IsModified());
}

QTEST_GUILESS_MAIN(TestExperimentFile)
#include "tst_experiment_file.moc"

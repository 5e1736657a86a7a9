#include "FileBytes.h"
#include "core/CZentakDoc.h"
#include "core/files/CPlatformFile.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CUnloggedRunFile.h"
#include "core/record/CRunStamp.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif
#include <thread>

namespace {

const QString kOpenFailed = QStringLiteral("Unable to Open Log File!");

void FillRun(CZentakDoc& doc, int release)
{
    CImpactRecord& record = doc.EditRecord();
    record.m_nFirmwareRelease = release;
    record.m_strFirmwareVersion = release == 5 ? QStringLiteral("R5.1") : QStringLiteral("R4.x");
    record.m_arrDispDown = {100, 150, 220};
    record.m_arrDispUp = {210, 120};
    record.m_arrForceDown = {5, 250, 800};
    record.m_arrForceUp = {300, 10};
    if (release == 5) {
        record.m_arrStepTimeDown = {1000, 1000, 1000};
        record.m_arrStepTimeUp = {2000, 2000};
    }
    doc.SetDataPresent(true);
    record.DeriveActualValues();
    record.StampRun(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
}

QByteArray Saved(CZentakDoc& doc)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    doc.Save(buffer);
    return buffer.data();
}

}  // namespace

class TestRunLog : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString LogPath() const { return dir.filePath(QStringLiteral("ZEVSpine_v5.log")); }

private Q_SLOTS:
    void init();
    void cleanup();
    void firstEntryCreatesTheLog();
    void entriesFollowOneAnother();
    void existingLogIsNeverTruncated();
    void timePerStepOnlyForRelease5_data();
    void timePerStepOnlyForRelease5();
    void unopenableLogKeepsTheRun_data();
    void unopenableLogKeepsTheRun();
    void logHeldByAnotherWriter();
    void rescueFilesNeverReplaceEachOther();
    void renameNeverReplaces_data();
    void renameNeverReplaces();
    // A disk that fills is a file-size limit, which Windows has not.
#ifndef Q_OS_WIN
    void writeFailureLeavesTheLogAsItWas();
#endif
    void pathResolution();
    void defaultFolderIsCreated();
    void runStamp_data();
    void runStamp();
    void stampReplacesComments();
    void completedRunIsDerivedStampedAndLogged_data();
    void completedRunIsDerivedStampedAndLogged();
    void subjectLineFollowsTheStamp_data();
    void subjectLineFollowsTheStamp();
};

void TestRunLog::init()
{
    QVERIFY(dir.isValid());
    QFile::remove(LogPath());
    qunsetenv(CRunLogPath::kEnvironmentVariable);
}

void TestRunLog::cleanup()
{
    qunsetenv("XDG_DATA_HOME");
}

void TestRunLog::firstEntryCreatesTheLog()
{
    CZentakDoc doc;
    FillRun(doc, 5);
    int hookCalls = 0;
    QObject::connect(&doc, &CZentakDoc::storeViewsRequested, [&] { ++hookCalls; });
    doc.SetRunLogPath(LogPath());
    QVERIFY(doc.WriteRunLog());
    // The log takes the record as it is: the views are not asked to store.
    QCOMPARE(hookCalls, 0);
    QVERIFY(doc.FileErrorString().isEmpty());
    const QByteArray entry = Contents(LogPath());
    QVERIFY(entry.startsWith("ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                             "Firmware Release Version: R5.1\r\n"));
    QVERIFY(entry.endsWith("Experiment Comments:\r\nDate: March 05, 2024. \r\nTime: 14:07:09.\r\n"
                           "\r\n\r\n-----End of File-----"));
    QCOMPARE(entry, Saved(doc));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("ZEVSpine_v5.log")});
}

void TestRunLog::entriesFollowOneAnother()
{
    CZentakDoc doc;
    doc.SetRunLogPath(LogPath());
    FillRun(doc, 5);
    QVERIFY(doc.WriteRunLog());
    const QByteArray first = Saved(doc);
    doc.OnNewDocument();
    FillRun(doc, 4);
    QVERIFY(doc.WriteRunLog());
    const QByteArray log = Contents(LogPath());
    QCOMPARE(log, first + Saved(doc));
    QVERIFY(log.contains("-----End of File-----ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                         "Firmware Release Version: R4.x\r\n"));
}

void TestRunLog::existingLogIsNeverTruncated()
{
    const QByteArray older = QByteArray("older entries\r\n\xe9").repeated(1000);
    WriteFile(LogPath(), older);
    CZentakDoc doc;
    doc.SetRunLogPath(LogPath());
    FillRun(doc, 4);
    QVERIFY(doc.WriteRunLog());
    QCOMPARE(Contents(LogPath()), older + Saved(doc));
}

void TestRunLog::timePerStepOnlyForRelease5_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<bool>("hasStepTimes");
    QTest::newRow("release 4") << 4 << false;
    QTest::newRow("release 5") << 5 << true;
}

void TestRunLog::timePerStepOnlyForRelease5()
{
    QFETCH(int, release);
    QFETCH(bool, hasStepTimes);
    CZentakDoc doc;
    doc.SetRunLogPath(LogPath());
    FillRun(doc, release);
    QVERIFY(doc.WriteRunLog());
    const QByteArray log = Contents(LogPath());
    QCOMPARE(log.contains("Time per Step Data:"), hasStepTimes);
    QCOMPARE(log.contains("Time per Step Data:\r\n*Down*\r\n1000\r\n1000\r\n1000\r\n*End*\r\n\r\n"
                          "*Up*\r\n2000\r\n2000\r\n*End*\r\n"),
             hasStepTimes);
    QVERIFY(log.contains("Force Data:\r\n*Down*\r\n5\r\n250\r\n800\r\n*End*"));
}

void TestRunLog::unopenableLogKeepsTheRun_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("folder missing") << QStringLiteral("no/such/folder/run.log");
    QTest::newRow("a folder") << QStringLiteral(".");
    // Never waited on, never written into the void. A pipe on Windows has
    // no name in a folder.
#ifdef Q_OS_WIN
    QTest::newRow("a device") << QStringLiteral("NUL");
#else
    QTest::newRow("a pipe") << QStringLiteral("pipe.log");
    QTest::newRow("a device") << QStringLiteral("/dev/null");
#endif
}

// The message, nothing written, and the run's results stay in the record.
void TestRunLog::unopenableLogKeepsTheRun()
{
    QFETCH(QString, name);
#ifndef Q_OS_WIN
    ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.log"))).constData(), 0600);
#endif
    CZentakDoc doc;
    FillRun(doc, 5);
    const QByteArray before = Saved(doc);
    doc.SetRunLogPath(QDir(dir.path()).filePath(name));
    QVERIFY(!doc.WriteRunLog());
    QCOMPARE(doc.FileErrorString(), kOpenFailed);
    QCOMPARE(Saved(doc), before);
    QVERIFY(doc.DataPresent());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
}

// Runs kept at one moment under one subject each get a file of their own.
void TestRunLog::rescueFilesNeverReplaceEachOther()
{
    const QDateTime kStamp(QDate(2024, 3, 5), QTime(14, 7, 9));
    CZentakDoc doc;
    FillRun(doc, 5);
    for (int round = 0; round < 5; ++round) {
        const QString data = dir.filePath(QStringLiteral("data-%1").arg(round));
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        QStringList paths(4);
        std::vector<std::thread> runs;
        for (QString& path : paths)
            runs.emplace_back([&] {
                QStringList reasons;
                path = CUnloggedRunFile::Save(doc.Record(), kStamp, reasons);
            });
        for (std::thread& run : runs)
            run.join();
        QCOMPARE(QDir(CUnloggedRunFile::Folder()).entryList(QDir::Files).size(), 4);
        for (const QString& path : paths)
            QCOMPARE(Contents(path), Saved(doc));
    }
}

void TestRunLog::renameNeverReplaces_data()
{
    QTest::addColumn<bool>("dangling");  // else nothing has the new name
    QTest::newRow("nothing has the name") << false;
    QTest::newRow("a dangling link has it") << true;
}

// A name taken even by a link to nothing is never replaced, followed or copied over.
void TestRunLog::renameNeverReplaces()
{
    QFETCH(bool, dangling);
    QTemporaryDir folder;
    const QString from = folder.filePath("new"), to = folder.filePath("name");
    const QString aimed = folder.filePath("aimed");
    WriteFile(from, "new");
    QVERIFY(!dangling || QFile::link(aimed, to));
    bool taken = false;
    QString reason;
    QCOMPARE(CPlatformFile::RenameNoReplace(from, to, &taken, &reason), !dangling);
    QCOMPARE(taken, dangling);
    QCOMPARE(Contents(to), dangling ? QByteArray("<unreadable>") : QByteArray("new"));
    QVERIFY(!QFile::exists(aimed));
}

// Another program holding the log exclusively makes the open fail.
void TestRunLog::logHeldByAnotherWriter()
{
    WriteFile(LogPath(), "held");
    QFile holder(LogPath());
    QVERIFY(holder.open(QIODevice::ReadWrite));
    QVERIFY(CPlatformFile::LockExclusive(holder, 0, nullptr));

    CZentakDoc doc;
    doc.SetRunLogPath(LogPath());
    FillRun(doc, 5);
    QVERIFY(!doc.WriteRunLog());
    QCOMPARE(doc.FileErrorString(), kOpenFailed);
    QCOMPARE(Contents(LogPath()), QByteArray("held"));

    CPlatformFile::Unlock(holder);
    QVERIFY(doc.WriteRunLog());
    QVERIFY(doc.FileErrorString().isEmpty());
    QCOMPARE(Contents(LogPath()), "held" + Saved(doc));
}

#ifndef Q_OS_WIN
// The file opens but the disk "fills" at 200 bytes, part-way through the
// entry: the part written is cut off again and the system's reason is shown.
void TestRunLog::writeFailureLeavesTheLogAsItWas()
{
    const QByteArray earlier(100, 'x');
    WriteFile(LogPath(), earlier);
    CZentakDoc doc;
    doc.SetRunLogPath(LogPath());
    FillRun(doc, 5);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 200;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = doc.WriteRunLog();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(doc.FileErrorString(),
             QStringLiteral("Unable to Write Log File!\r\n%1: File too large.\r\n"
                            "This run is not in the log, which is as it was before the run.")
                 .arg(LogPath()));
    QCOMPARE(Contents(LogPath()), earlier);
}
#endif

void TestRunLog::pathResolution()
{
    const QString dataHome = dir.filePath(QStringLiteral("data-home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString byDefault = dataHome + QStringLiteral("/Zentak/ZEVSpine_v5.log");
    QCOMPARE(CRunLogPath::DefaultPath(), byDefault);
    QCOMPARE(CRunLogPath::Resolve(), byDefault);
    QCOMPARE(CRunLogPath::Resolve(QStringLiteral("/given/run.log")),
             QStringLiteral("/given/run.log"));

    qputenv(CRunLogPath::kEnvironmentVariable, "/from/env.log");
    QCOMPARE(CRunLogPath::Resolve(), QStringLiteral("/from/env.log"));
    QCOMPARE(CRunLogPath::Resolve(QStringLiteral("/given/run.log")),
             QStringLiteral("/given/run.log"));

    CZentakDoc doc;
    QCOMPARE(doc.RunLogPath(), QStringLiteral("/from/env.log"));
    doc.SetRunLogPath(QStringLiteral("/given/run.log"));
    QCOMPARE(doc.RunLogPath(), QStringLiteral("/given/run.log"));
}

// The first run on a machine creates the per-user folder and the log in it.
void TestRunLog::defaultFolderIsCreated()
{
    const QString dataHome = dir.filePath(QStringLiteral("fresh-home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    CZentakDoc doc;
    FillRun(doc, 5);
    QVERIFY(doc.WriteRunLog());
    QCOMPARE(Contents(dataHome + QStringLiteral("/Zentak/ZEVSpine_v5.log")), Saved(doc));
}

void TestRunLog::runStamp_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("day padded") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))
                                << "Date: March 05, 2024. \r\nTime: 14:07:09.\r\n";
    QTest::newRow("midnight") << QDateTime(QDate(2023, 1, 1), QTime(0, 0, 0))
                              << "Date: January 01, 2023. \r\nTime: 00:00:00.\r\n";
    QTest::newRow("year end") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))
                              << "Date: December 31, 1999. \r\nTime: 23:59:59.\r\n";
    QTest::newRow("september") << QDateTime(QDate(2025, 9, 10), QTime(9, 30, 0))
                               << "Date: September 10, 2025. \r\nTime: 09:30:00.\r\n";
}

// English month names whatever language the machine speaks.
void TestRunLog::runStamp()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, stamp);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = CRunStamp::Text(when);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(text, stamp);
}

void TestRunLog::stampReplacesComments()
{
    CImpactRecord record;
    record.m_strComments = QStringLiteral("typed before the run");
    record.StampRun(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    const QString stamp = QStringLiteral("Date: March 05, 2024. \r\nTime: 14:07:09.\r\n");
    QCOMPARE(record.m_strRunStamp, stamp);
    QCOMPARE(record.m_strComments, stamp);
}

void TestRunLog::completedRunIsDerivedStampedAndLogged_data()
{
    QTest::addColumn<bool>("logWritable");
    QTest::newRow("log written") << true;
    QTest::newRow("log cannot be opened") << false;
}

// An unwritable log costs the log entry only: the run's results stay.
void TestRunLog::completedRunIsDerivedStampedAndLogged()
{
    QFETCH(bool, logWritable);
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    doc.SetRunLogPath(logWritable ? LogPath() : dir.path());
    record.m_strComments = QStringLiteral("typed before the run");
    record.m_arrDispDown = {100, 150, 220};
    record.m_arrDispUp = {210, 120};
    record.m_arrForceDown = {5, 250, 800};
    record.m_arrForceUp = {300, 10};
    QCOMPARE(doc.CompleteRun(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))), logWritable);
    QVERIFY(doc.DataPresent());
    QCOMPARE(record.m_nActualForce, 80);
    QCOMPARE(record.m_nDispMax, 220u);
    QCOMPARE(record.m_strComments,
             QStringLiteral("Date: March 05, 2024. \r\nTime: 14:07:09.\r\ntyped before the run"));
    QCOMPARE(doc.FileErrorString().isEmpty(), logWritable);
    QCOMPARE(Contents(LogPath()), logWritable ? Saved(doc) : QByteArray("<unreadable>"));
}

void TestRunLog::subjectLineFollowsTheStamp_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("no subject") << QString() << QByteArray();
    QTest::newRow("subject") << QStringLiteral("rat 17") << QByteArray("Subject: rat 17\r\n");
    QTest::newRow("latin-1") << QStringLiteral("Maus é-3")
                             << QByteArray("Subject: Maus \xe9-3\r\n");
}

// The subject adds its line after the stamp and changes no other byte; a
// run without one writes what runs always wrote. The file reader gives the
// subject and the time back.
void TestRunLog::subjectLineFollowsTheStamp()
{
    QFETCH(QString, subject);
    QFETCH(QByteArray, line);
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    const QString withoutPath = dir.filePath(QStringLiteral("without.log"));
    QFile::remove(withoutPath);
    for (const QString& path : {withoutPath, LogPath()}) {
        CZentakDoc doc;
        doc.SetRunLogPath(path);
        FillRun(doc, 5);
        QVERIFY(path == withoutPath ? doc.CompleteRun(when) : doc.CompleteRun(when, subject));
    }
    QByteArray expected = Contents(withoutPath);
    const QByteArray stamp = "Time: 14:07:09.\r\n";
    QVERIFY(expected.endsWith(stamp + "\r\n\r\n-----End of File-----"));
    expected.insert(expected.indexOf(stamp) + stamp.size(), line);
    QCOMPARE(Contents(LogPath()), expected);

    CZentakDoc loaded;
    QVERIFY(loaded.Load(LogPath()));
    QCOMPARE(loaded.LastLoadOutcome(), CZentakDoc::LoadOutcome::Complete);
    const QString& comments = loaded.Record().m_strComments;
    QCOMPARE(comments, CRunStamp::Comments(when, subject));
    QCOMPARE(CRunStamp::SubjectOf(comments), subject);
    QCOMPARE(CRunStamp::TimeOf(comments), when);
}

QTEST_GUILESS_MAIN(TestRunLog)
#include "tst_run_log.moc"

#include "CManualClock.h"
#include "CScriptedPrompt.h"
#include "FileBytes.h"
#include "core/CZentakDoc.h"
#include "core/device/CPortFactory.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunFileName.h"
#include "core/files/CRunLogIndexCache.h"
#include "core/files/CRunLogReader.h"
#include "core/protocol/CImpactRun.h"
#include "core/quality/CRunLogQuality.h"
#include "core/record/CRunStamp.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <utility>

namespace {

// One completed impact as the program leaves it: the entry it appended to
// a log of its own, and the file saving its record writes (as --out does).
struct MadeRun {
    int release = 5;
    QString subject;
    QDateTime stamp;
    QByteArray logged;
    QByteArray saved;
};

MadeRun RunImpact(int release, const QString& subject, const QDateTime& stamp, const QString& log)
{
    ControlBoxSimulator::Options options;
    options.release = release;
    options.seed = quint32(release * 100 + subject.size());
    ControlBoxSimulator box(options);
    CPortFactory ports(box);
    CManualClock clock;
    CScriptedPrompt prompt;
    prompt.QueueAnswers({COperatorPrompt::Answer::Yes, COperatorPrompt::Answer::Yes});
    CZentakDoc doc;
    doc.SetRunLogPath(log);
    doc.OnNewDocument();
    doc.EditRecord().m_nDesiredForce = 60 + 20 * release;
    doc.EditRecord().m_nDesiredVelocity = 80;
    CSerialSettings settings;
    settings.m_strPort = CPortFactory::kSimulatorPort;
    const auto result = CImpactRun(ports, clock, prompt).Run(settings, 0, doc.EditRecord()).outcome;
    if (result != CRunOutcome::Kind::Completed || !doc.CompleteRun(stamp, subject))
        qFatal("the simulated impact failed");
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    doc.Save(saved);
    return {release, subject, stamp, Contents(log), saved.data()};
}

CImpactRecord Loaded(const QByteArray& text)
{
    CZentakDoc doc;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    doc.Load(buffer);
    return doc.Record();
}

// A piece of a log: a run's entry, whole or torn, or other text.
struct Piece {
    int run = -1;  // -1: foreign text
    QByteArray foreign;
    qsizetype keptBytes = -1;  // a torn entry: its first bytes; a negative
                               // count: all but that many of its last bytes
    bool torn = false;
    bool edited = false;  // its subject changed by hand, its length kept

    QByteArray Text(const QList<MadeRun>& runs) const
    {
        if (run < 0)
            return foreign;
        QByteArray entry = runs[run].logged;
        if (edited)
            entry.replace("Subject: rat 17", "Subject: rat 18");
        if (!torn)
            return entry;
        return keptBytes < 0 ? entry.chopped(-keptBytes) : entry.left(keptBytes);
    }
};

Piece Entry(int run)
{
    return {run, {}, 0, false, false};
}

Piece Torn(int run, qsizetype keptBytes)
{
    return {run, {}, keptBytes, true, false};
}

Piece Foreign(const QByteArray& text)
{
    return {-1, text, 0, false, false};
}

Piece Edited(int run)
{
    return {run, {}, 0, false, true};
}

void CompareIndexes(const CRunLogReader& reader, const CRunLogIndex& index)
{
    QCOMPARE(index.m_arrEntries.size(), reader.Entries().size());
    for (qsizetype i = 0; i < index.m_arrEntries.size(); ++i) {
        const CRunLogEntry& a = index.m_arrEntries[i];
        const CRunLogEntry& b = reader.Entries()[i];
        QCOMPARE(a.m_nOffset, b.m_nOffset);
        QCOMPARE(a.m_nLength, b.m_nLength);
        QCOMPARE(a.m_bTorn, b.m_bTorn);
        QCOMPARE(a.m_stampTime, b.m_stampTime);
        QCOMPARE(a.m_strSubject, b.m_strSubject);
        QCOMPARE(a.m_nDownSamples, b.m_nDownSamples);
        QCOMPARE(a.m_nActualForce, b.m_nActualForce);
        QCOMPARE(a.m_strComments, b.m_strComments);
    }
    QCOMPARE(index.m_arrForeignText.size(), reader.ForeignText().size());
    for (qsizetype i = 0; i < index.m_arrForeignText.size(); ++i) {
        QCOMPARE(index.m_arrForeignText[i].m_nOffset, reader.ForeignText()[i].m_nOffset);
        QCOMPARE(index.m_arrForeignText[i].m_nLength, reader.ForeignText()[i].m_nLength);
    }
}

}  // namespace

class TestRunLogReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<MadeRun> m_runs;

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QByteArray Compose(const QList<Piece>& pieces) const;

private Q_SLOTS:
    void initTestCase();
    void splitsLogsTheProgramWrote_data();
    void splitsLogsTheProgramWrote();
    void hugeDamagedEntryHidesNothing();
    void indexCacheFollowsTheLog_data();
    void indexCacheFollowsTheLog();
    void lyingIndexCacheIsNeverBelieved_data();
    void lyingIndexCacheIsNeverBelieved();
    void keptVerdictsStandForTheirThresholds_data();
    void keptVerdictsStandForTheirThresholds();
    void readsAsIfEveryLineWereAString_data();
    void readsAsIfEveryLineWereAString();
    void refusesWhatIsNoLog_data();
    void refusesWhatIsNoLog();
    void cancelledIndexingHoldsNothing();
    void namesFromStampAndSubject_data();
    void namesFromStampAndSubject();
};

// Four impacts on the simulated box, release 4 and 5, with and without a
// subject, each logged by the program itself.
void TestRunLogReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QList<std::pair<int, QString>> made = {
        {5, QStringLiteral("rat 17")}, {4, QString()}, {5, QStringLiteral("Maus é-3")}, {4, "m 2"}};
    const QDateTime first(QDate(2026, 12, 8), QTime(14, 3, 22));
    for (qsizetype i = 0; i < made.size(); ++i) {
        const QString log = Path(QStringLiteral("run-%1.log").arg(i));
        m_runs.append(RunImpact(made[i].first, made[i].second, first.addSecs(i * 95), log));
        // What the log took is what the file saving the record holds.
        QCOMPARE(m_runs.last().logged, m_runs.last().saved);
        QCOMPARE(Loaded(m_runs.last().saved).m_nFirmwareRelease, made[i].first);
    }
}

QByteArray TestRunLogReader::Compose(const QList<Piece>& pieces) const
{
    QByteArray log;
    for (const Piece& piece : pieces)
        log += piece.Text(m_runs);
    return log;
}

void TestRunLogReader::splitsLogsTheProgramWrote_data()
{
    QTest::addColumn<QList<Piece>>("pieces");
    QTest::newRow("entries back to back") << QList<Piece>{Entry(0), Entry(1), Entry(2), Entry(3)};
    QTest::newRow("foreign text around and between entries")
        << QList<Piece>{Foreign("notes of the day\r\n"),
                        Entry(0),
                        Foreign("\r\npasted: 12 mice, \xb5m\r\n"),
                        Entry(1),
                        Entry(2),
                        Foreign("\r\n")};
    QTest::newRow("torn last entry, as a crash leaves it")
        << QList<Piece>{Entry(0), Entry(1), Torn(2, -900)};
    QTest::newRow("torn entry, then the next run")
        << QList<Piece>{Entry(0), Torn(1, 1000), Entry(2), Entry(3)};
    QTest::newRow("entry torn in its first line, then the next run")
        << QList<Piece>{Entry(3), Torn(0, 42), Entry(1)};
    QTest::newRow("a header cut short is no entry")
        << QList<Piece>{Entry(3), Foreign("ZR Spinal Cord Impac"), Entry(1)};
    QTest::newRow("an end marker in foreign text")
        << QList<Piece>{Foreign("-----End of File-----ZR Spinal Cord"), Entry(1)};
    QTest::newRow("nothing but foreign text") << QList<Piece>{Foreign("just a note\r\n")};
    QTest::newRow("empty log") << QList<Piece>{};
}

// Each entry is found where it lies, torn entries stay entries of their
// own, text outside entries is foreign; an entry's text is the bytes of
// the file its run saved, opens to the same record, and its list values
// are that record's. The log read in chunks of any size splits alike.
void TestRunLogReader::splitsLogsTheProgramWrote()
{
    QFETCH(QList<Piece>, pieces);
    const QString path = Path(QStringLiteral("composed.log"));
    WriteFile(path, Compose(pieces));
    CRunLogReader reader{QString()};
    QString error;
    QCOMPARE(reader.Open(path, error), CRunLogReader::OpenResult::Opened);

    qsizetype entry = 0;
    qsizetype foreign = 0;
    qint64 offset = 0;
    for (const Piece& piece : pieces) {
        const qint64 length = piece.Text(m_runs).size();
        if (piece.run < 0) {
            QVERIFY(foreign < reader.ForeignText().size());
            QCOMPARE(reader.ForeignText()[foreign].m_nOffset, offset);
            QCOMPARE(reader.ForeignText()[foreign++].m_nLength, length);
            offset += length;
            continue;
        }
        const MadeRun& run = m_runs[piece.run];
        const bool torn = piece.torn;
        QVERIFY(entry < reader.Entries().size());
        const CRunLogEntry& listed = reader.Entries()[entry];
        QCOMPARE(listed.m_nOffset, offset);
        QCOMPARE(listed.m_nLength, length);
        QCOMPARE(listed.m_bTorn, torn);
        QCOMPARE(reader.EntryText(entry, error), torn ? run.saved.left(length) : run.saved);

        CImpactRecord record;
        CExperimentFileReader::Result result;
        QVERIFY(reader.ReadEntry(entry, record, result, error));
        if (!torn) {
            QCOMPARE(result.outcome, CExperimentFileReader::LoadOutcome::Complete);
            const CImpactRecord fromFile = Loaded(run.saved);
            QCOMPARE(record.m_arrDispDown, fromFile.m_arrDispDown);
            QCOMPARE(record.m_arrForceUp, fromFile.m_arrForceUp);
            QCOMPARE(record.m_arrStepTimeDown, fromFile.m_arrStepTimeDown);
            QCOMPARE(record.m_strComments, fromFile.m_strComments);
            QCOMPARE(record.m_bDataPresent, true);
            QCOMPARE(listed.m_stampTime, run.stamp);
            QCOMPARE(listed.m_strSubject, run.subject);
            QCOMPARE(listed.m_strComments, record.m_strComments);
            QCOMPARE(listed.m_nFirmwareRelease, run.release);
        }
        QCOMPARE(listed.m_strFirmwareVersion, record.m_strFirmwareVersion);
        QCOMPARE(listed.m_nDesiredForce, record.m_nDesiredForce);
        QCOMPARE(listed.m_nActualForce, record.m_nActualForce);
        QCOMPARE(listed.m_nActualDisp, record.m_nActualDisp);
        QCOMPARE(listed.m_nActualVelocity, record.m_nActualVelocity);
        QCOMPARE(listed.m_nDownSamples, record.m_arrDispDown.size());
        QCOMPARE(listed.m_nUpSamples, record.m_arrDispUp.size());
        ++entry;
        offset += length;
    }
    QCOMPARE(reader.Entries().size(), entry);
    QCOMPARE(reader.ForeignText().size(), foreign);

    for (qint64 chunk : {qint64(1), qint64(7), qint64(61), qint64(4096)}) {
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        CRunLogIndex index;
        CRunLogIndexer indexer(log, index, log.size(), chunk);
        QCOMPARE(indexer.Run({}), CRunLogIndexer::Result::Done);
        CompareIndexes(reader, index);
    }
}

// A torn entry followed by more than an experiment file may hold, with no
// header in it: listed, refused when read, and the next entry still whole.
void TestRunLogReader::hugeDamagedEntryHidesNothing()
{
    const QString path = Path(QStringLiteral("huge.log"));
    const QByteArray junk = QByteArray("12345\r\n").repeated(2500000);
    WriteFile(path, m_runs[0].logged.left(3000) + junk + m_runs[1].logged);
    CRunLogReader reader{QString()};
    QString error;
    QCOMPARE(reader.Open(path, error), CRunLogReader::OpenResult::Opened);
    QCOMPARE(reader.Entries().size(), 2);
    QVERIFY(reader.Entries()[0].m_bTorn);
    QCOMPARE(reader.Entries()[0].m_nLength, 3000 + junk.size());
    QCOMPARE(reader.Entries()[0].m_nDesiredForce, 160);
    QVERIFY(reader.EntryText(0, error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("is too large to be an experiment file")),
             qPrintable(error));
    QCOMPARE(reader.EntryText(1, error), m_runs[1].saved);
}

void TestRunLogReader::indexCacheFollowsTheLog_data()
{
    QTest::addColumn<QList<Piece>>("before");
    QTest::addColumn<QList<Piece>>("after");
    QTest::addColumn<bool>("appended");  // the log only grew: the index kept is used
    const QList<Piece> three{Entry(0), Entry(1), Entry(2)};
    QTest::newRow("unchanged") << three << three << true;
    QTest::newRow("a run appended") << three << three + QList<Piece>{Entry(3)} << true;
    QTest::newRow("a torn entry finished")
        << QList<Piece>{Entry(0), Torn(1, -10)} << QList<Piece>{Entry(0), Entry(1)} << true;
    QTest::newRow("foreign text appended")
        << three << three + QList<Piece>{Foreign("later note")} << true;
    QTest::newRow("a subject changed in place")
        << three << QList<Piece>{Edited(0), Entry(1), Entry(2)} << false;
    QTest::newRow("an entry taken out")
        << three << QList<Piece>{Entry(0), Entry(2), Entry(2)} << false;
    QTest::newRow("shorter") << three << QList<Piece>{Entry(0), Entry(1)} << false;
    QTest::newRow("another log, longer")
        << three << QList<Piece>{Entry(3), Entry(2), Entry(1), Entry(0)} << false;
}

// The kept index serves exactly as far as the log still is what it was;
// whatever happened, the entries are those a fresh reading finds.
void TestRunLogReader::indexCacheFollowsTheLog()
{
    QFETCH(QList<Piece>, before);
    QFETCH(QList<Piece>, after);
    QFETCH(bool, appended);
    QTemporaryDir cache;
    const QString path = Path(QStringLiteral("cached.log"));
    WriteFile(path, Compose(before));
    QString error;
    CRunLogReader first(cache.path());
    QCOMPARE(first.Open(path, error), CRunLogReader::OpenResult::Opened);
    QVERIFY(!first.UsedIndexCache());

    const QByteArray changed = Compose(after);
    if (changed != Compose(before)) {
        // A later time, as the file system keeps it.
        QTest::qWait(20);
        WriteFile(path, changed);
    }
    CRunLogReader again(cache.path());
    QCOMPARE(again.Open(path, error), CRunLogReader::OpenResult::Opened);
    QCOMPARE(again.UsedIndexCache(), appended);
    CRunLogReader fresh{QString()};
    QCOMPARE(fresh.Open(path, error), CRunLogReader::OpenResult::Opened);
    CRunLogIndex index;
    index.m_arrEntries = again.Entries();
    index.m_arrForeignText = again.ForeignText();
    CompareIndexes(fresh, index);
}

enum class Lie { FlippedBit, Offset, Length, SwappedOffsets, Stamp, Release, SwappedValues, Link };

void TestRunLogReader::lyingIndexCacheIsNeverBelieved_data()
{
    QTest::addColumn<Lie>("lie");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<bool>("believedUntilRead");  // only reading the entry shows the lie
    QTest::newRow("a bit of a desired force flipped") << Lie::FlippedBit << qint64(0) << false;
    QTest::newRow("offset -1") << Lie::Offset << qint64(-1) << false;
    QTest::newRow("offset near the largest")
        << Lie::Offset << std::numeric_limits<qint64>::max() - 5 << false;
    QTest::newRow("length past the log") << Lie::Length << qint64(1) << false;
    QTest::newRow("length near the largest")
        << Lie::Length << std::numeric_limits<qint64>::max() << false;
    QTest::newRow("two offsets swapped") << Lie::SwappedOffsets << qint64(0) << false;
    QTest::newRow("a date in 2038") << Lie::Stamp << qint64(0) << false;
    QTest::newRow("release 7") << Lie::Release << qint64(7) << false;
    QTest::newRow("two entries' values swapped") << Lie::SwappedValues << qint64(0) << true;
    QTest::newRow("the cache file a link") << Lie::Link << qint64(0) << false;
}

// A kept index that was damaged or forged (its checksum made good) is
// dropped: the entries are those a fresh reading finds, and a link in the
// cache file's place is replaced, its target untouched.
void TestRunLogReader::lyingIndexCacheIsNeverBelieved()
{
    QFETCH(Lie, lie);
    QFETCH(qint64, value);
    QFETCH(bool, believedUntilRead);
    QTemporaryDir cache;
    const QString path = Path(QStringLiteral("lied-about.log"));
    WriteFile(path, Compose({Entry(0), Entry(1), Foreign("note"), Entry(2), Entry(3)}));
    CRunLogReader fresh{QString()};
    QString error;
    QCOMPARE(fresh.Open(path, error), CRunLogReader::OpenResult::Opened);
    CRunLogIndex index;
    index.m_arrEntries = fresh.Entries();
    index.m_arrForeignText = fresh.ForeignText();
    index.m_nIndexedBytes = fresh.IndexedBytes();
    QList<CRunLogEntry>& entries = index.m_arrEntries;
    if (lie == Lie::Offset)
        entries[1].m_nOffset = value;
    if (lie == Lie::Length)
        entries[3].m_nLength = value == 1 ? entries[3].m_nLength + 1 : value;
    if (lie == Lie::SwappedOffsets)
        std::swap(entries[0].m_nOffset, entries[1].m_nOffset);
    if (lie == Lie::Stamp)
        entries[2].m_stampTime = entries[2].m_stampTime.addYears(12);
    if (lie == Lie::Release)
        entries[2].m_nFirmwareRelease = int(value);
    if (lie == Lie::SwappedValues) {
        std::swap(entries[0], entries[2]);
        std::swap(entries[0].m_nOffset, entries[2].m_nOffset);
        std::swap(entries[0].m_nLength, entries[2].m_nLength);
    }
    QFile log(path);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const CRunLogIndexCache kept(cache.path());
    const QString cacheFile = kept.CacheFilePath(QFileInfo(path).canonicalFilePath());
    kept.Save(log, index);
    QByteArray cached = Contents(cacheFile);
    if (lie == Lie::FlippedBit) {
        // Release 5, desired force 160 becomes 536871072.
        const qsizetype force = cached.indexOf(QByteArray::fromHex("00000005000000a0")) + 4;
        QVERIFY(force > 4);
        cached[force] = char(cached[force] ^ 0x20);
        WriteFile(cacheFile, cached);
    }
    const QString target = Path(QStringLiteral("link-target"));
    if (lie == Lie::Link) {
        WriteFile(target, "not a cache");
        QVERIFY(QFile::remove(cacheFile) && QFile::link(target, cacheFile));
    }

    CRunLogReader reader(cache.path());
    QCOMPARE(reader.Open(path, error), CRunLogReader::OpenResult::Opened);
    QCOMPARE(reader.UsedIndexCache(), believedUntilRead);
    if (believedUntilRead) {
        QVERIFY(!reader.EntriesMatchLog({0}));
        QCOMPARE(reader.Open(path, error), CRunLogReader::OpenResult::Opened);
        QVERIFY(!reader.UsedIndexCache());
    }
    CRunLogIndex truth;
    truth.m_arrEntries = fresh.Entries();
    truth.m_arrForeignText = fresh.ForeignText();
    CompareIndexes(reader, truth);
    if (believedUntilRead) {
        // A listing whose judging shows the lie lists the log and keeps no lie.
        kept.Save(log, index);
        CRunLogReader listing(cache.path());
        QCOMPARE(listing.Open(path, error), CRunLogReader::OpenResult::Opened);
        QCOMPARE(CRunLogQuality::Verdicts(listing, CQualityThresholds()).size(), 4);
        CompareIndexes(listing, truth);
        CRunLogReader next(cache.path());
        QCOMPARE(next.Open(path, error), CRunLogReader::OpenResult::Opened);
        CompareIndexes(next, truth);
    }
    if (lie == Lie::Link) {
        QCOMPARE(Contents(target), QByteArray("not a cache"));
        QVERIFY(!QFileInfo(cacheFile).isSymLink());
    }
}

void TestRunLogReader::keptVerdictsStandForTheirThresholds_data()
{
    QTest::addColumn<int>("forceTolerance");  // of the second listing; the first's is 10
    QTest::addColumn<bool>("appended");
    QTest::newRow("same thresholds") << 10 << false;
    QTest::newRow("a run appended") << 10 << true;
    QTest::newRow("another force tolerance") << 0 << false;
}

// A listing keeps each entry's verdict with the index; the next one, by the
// same thresholds, finds them there, and gives what judging afresh gives.
void TestRunLogReader::keptVerdictsStandForTheirThresholds()
{
    QFETCH(int, forceTolerance);
    QFETCH(bool, appended);
    QTemporaryDir cache;
    const QString path = Path(QStringLiteral("judged.log"));
    const QList<Piece> three{Torn(2, 900), Entry(0), Entry(1)};
    WriteFile(path, Compose(three));
    QString error;
    CRunLogReader first(cache.path());
    QCOMPARE(first.Open(path, error), CRunLogReader::OpenResult::Opened);
    CRunLogQuality::Verdicts(first, CQualityThresholds());
    if (appended) {
        QTest::qWait(20);
        WriteFile(path, Compose(three + QList<Piece>{Entry(3)}));
    }

    CRunLogReader again(cache.path());
    QCOMPARE(again.Open(path, error), CRunLogReader::OpenResult::Opened);
    for (qsizetype i = 0; i < again.Entries().size(); ++i)
        QCOMPARE(again.Entries()[i].m_nQuality != CRunLogEntry::kNotJudged, i < three.size());
    CQualityThresholds thresholds;
    thresholds.m_nForceToleranceKdyn = forceTolerance;
    CRunLogReader fresh{QString()};
    QCOMPARE(fresh.Open(path, error), CRunLogReader::OpenResult::Opened);
    QCOMPARE(CRunLogQuality::Verdicts(again, thresholds),
             CRunLogQuality::Verdicts(fresh, thresholds));
}

void TestRunLogReader::readsAsIfEveryLineWereAString_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray r5 = m_runs[0].logged, r4 = m_runs[1].logged;
    const qsizetype up = r4.indexOf("*Up*\r\n") + 6;
    // Torn, without a release, a step time label among the last force samples.
    QByteArray label = QByteArray(r5).replace("Version: R5", "Version: ");
    label.truncate(label.lastIndexOf("*End*", label.indexOf("Time per")));
    label.insert(label.lastIndexOf("*Up*") + 6, "Time per Step Data\r\n");
    QTest::newRow("release 5") << r5;
    QTest::newRow("release 4") << r4;
    QTest::newRow("LF ends") << QByteArray(r5).replace("\r\n", "\n");
    QTest::newRow("blanks") << QByteArray(r4).replace("0\r\n", "0 \t\r\n");
    QTest::newRow("nine digits and more") << QByteArray(r5).replace("\r\n", "\r\n999999");
    QTest::newRow("no up stroke") << QByteArray(r4).remove(up, r4.indexOf("*End*", up) - up);
    QTest::newRow("beyond one read") << QByteArray(r5).replace(
        "*Down*\r\n", "*Down*\r\n" + QByteArray("1234\r\n").repeated(9000));
    QTest::newRow("torn after a label") << label;
    QTest::newRow("line too long") << QByteArray(r5).replace(
        "Comments:\r\n", "Comments:\r\n" + QByteArray(CTextLineReader::kMaxLineBytes + 1, 'x'));
}

// Lines that are plain numbers are read without a string each: a blank
// ending every line, which no rule heeds, makes them strings, and changes
// neither the verdict, the record, the load's message nor the sample counts.
void TestRunLogReader::readsAsIfEveryLineWereAString()
{
    QFETCH(QByteArray, text);
    const auto reading = [this](const QByteArray& bytes) {
        WriteFile(Path(QStringLiteral("odd.log")), bytes);
        CRunLogReader log{QString()};
        QString error;
        log.Open(Path(QStringLiteral("odd.log")), error);
        const std::optional<CQualityVerdict> verdict = CRunLogQuality::Verdicts(log, {}).value(0);
        CImpactRecord record;
        CExperimentFileReader::Result result;
        log.ReadEntry(0, record, result, error);
        record.m_bDataPresent = true;  // its traces written out, data or not
        return QByteArrayList{verdict ? verdict->Text().toUtf8() : "none",
                              CExperimentFileWriter::ValuesAndTraces(record),
                              QByteArray::number(record.m_nFirmwareRelease),
                              result.message.toUtf8(),
                              QByteArray::number(log.Entries()[0].m_nDownSamples),
                              QByteArray::number(log.Entries()[0].m_nUpSamples)};
    };
    QCOMPARE(reading(text), reading(QByteArray(text).replace('\n', " \n")));
}

void TestRunLogReader::refusesWhatIsNoLog_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("a device") << "/dev/zero"
                              << "/dev/zero is not an ordinary file (a device or a pipe may never "
                                 "end). It was not read.";
    QTest::newRow("missing") << "%DIR/no-such.log"
                             << "%DIR/no-such.log was not found.";
    QTest::newRow("a folder") << "%DIR"
                              << "%DIR is a folder, not a file.";
}

void TestRunLogReader::refusesWhatIsNoLog()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    CRunLogReader reader{QString()};
    QString error;
    const QString dir = m_dir.path();
    QCOMPARE(reader.Open(path.replace("%DIR", dir), error), CRunLogReader::OpenResult::Failed);
    QCOMPARE(error, QDir::toNativeSeparators(message.replace("%DIR", dir)));
    QVERIFY(reader.Entries().isEmpty());
}

void TestRunLogReader::cancelledIndexingHoldsNothing()
{
    const QString path = Path(QStringLiteral("long.log"));
    WriteFile(path, Compose({Entry(0), Entry(1), Entry(2), Entry(3)}).repeated(250));
    CRunLogReader reader{QString()};
    QString error;
    QList<qint64> told;
    const auto progress = [&told](qint64 done) {
        told.append(done);
        return told.size() < 2;
    };
    QCOMPARE(reader.Open(path, error, progress), CRunLogReader::OpenResult::Cancelled);
    QCOMPARE(told.size(), 2);
    QCOMPARE(told[0], CRunLogIndexer::kChunkBytes);
    QVERIFY(reader.Entries().isEmpty());
}

void TestRunLogReader::namesFromStampAndSubject_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("name");
    QTest::newRow("no subject") << ""
                                << "2026-12-08_14-03-22.exp";
    QTest::newRow("subject") << "rat 17"
                             << "2026-12-08_14-03-22_rat_17.exp";
    QTest::newRow("characters Windows refuses") << "a/b\\c:d*e?f\"g<h>i|j"
                                                << "2026-12-08_14-03-22_a_b_c_d_e_f_g_h_i_j.exp";
    QTest::newRow("latin-1 letters kept") << "Maus é-3 (L)"
                                          << "2026-12-08_14-03-22_Maus_é-3_(L).exp";
    QTest::newRow("separators at the ends dropped") << " .rat. "
                                                    << "2026-12-08_14-03-22_rat.exp";
    QTest::newRow("nothing left") << "///"
                                  << "2026-12-08_14-03-22.exp";
    QTest::newRow("a crafted subject over the limit, cut")
        << QString(300, u'a') << "2026-12-08_14-03-22_" + QString(64, u'a') + ".exp";
}

void TestRunLogReader::namesFromStampAndSubject()
{
    QFETCH(QString, subject);
    const QDateTime stamp(QDate(2026, 12, 8), QTime(14, 3, 22));
    QTEST(CRunFileName::For(stamp, subject), "name");
}

QTEST_GUILESS_MAIN(TestRunLogReader)
#include "tst_run_log_reader.moc"

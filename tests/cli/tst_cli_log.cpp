#include "CBoxSimProcess.h"
#include "CliProcess.h"
#include "FileBytes.h"
#include "core/files/CRunLogIndexCache.h"
#include "core/files/CRunLogReader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// One impact of the program, as a researcher runs it: its --out file and subject.
struct Run {
    QString subject;
    int release = 5;
    QString outPath;
};

}  // namespace

class TestCliLog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_strLog;
    QList<Run> m_runs;

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // The index cache goes to the test's own folder, never the researcher's.
    CliOutcome RunLog(const QStringList& arguments) const
    {
        return RunCli(QStringList{"log"} + arguments, {},
                      {QString(), {{QStringLiteral("XDG_CACHE_HOME"), Path("cache")}}});
    }
    bool RunImpact(const QString& subject, int release);

private Q_SLOTS:
    void initTestCase();
    void everyEntryIsTheFileItsRunSaved();
    void listShowsWhatOpeningShows();
    void damagedLogIsListedWhole();
    void neverOverwrites_data();
    void neverOverwrites();
    void parallelSplitsBothFinish();
    void badArguments_data();
    void badArguments();
    void lyingIndexNamesNoEntry();
    void listShowsLogTextAsItIs_data();
    void listShowsLogTextAsItIs();
};

bool TestCliLog::RunImpact(const QString& subject, int release)
{
    const QString out = Path(QStringLiteral("run-%1.exp").arg(m_runs.size() + 1));
    const QStringList arguments{"run",       "--force", "90",        "--velocity",
                                "70",        "--yes",   "--out",     out,
                                "--run-log", m_strLog,  "--subject", subject};
    const auto runWith = [&](const QStringList& port) {
        const CliOutcome outcome = RunCli(arguments + port);
        m_runs.append({subject, release, out});
        return outcome.exitCode == 0;
    };
    if (release != 4)
        return runWith({"--port", "Simulator"});
#ifdef ZENTAK_BOXSIM
    const CBoxSimProcess box({"--no-pace", "--release", "4", "--fault", "second-hit"});
    return !box.Device().isEmpty() && runWith({"--port", box.Device(), "--baud", "115200"});
#else
    return true;
#endif
}

// Impacts of both releases, with and without subjects, each logged by
// zentak-cli run itself and saved with --out.
void TestCliLog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strLog = Path(QStringLiteral("ZEVSpine_v5.log"));
    QVERIFY(RunImpact(QStringLiteral("rat 17"), 5));
    QVERIFY(RunImpact(QString(), 5));
    QVERIFY(RunImpact(QStringLiteral("Maus é-3/L"), 4));
    QVERIFY(RunImpact(QStringLiteral("rat 18"), 5));
}

// split and extract write each entry byte for byte as the file its run
// saved, named by its stamp and subject.
void TestCliLog::everyEntryIsTheFileItsRunSaved()
{
    const QString folder = Path(QStringLiteral("split"));
    const CliOutcome split = RunLog({"split", "--dir", folder, "--run-log", m_strLog});
    QCOMPARE(split.exitCode, 0);
    QVERIFY2(split.err.isEmpty(), qPrintable(split.err));
    const QStringList written = split.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(written.size(), m_runs.size());
    static const QRegularExpression stamped(
        QStringLiteral("/\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(_.*)?\\.exp$"));
    const QStringList safeSubjects{"_rat_17", "", QStringLiteral("_Maus_é-3_L"), "_rat_18"};
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        const QRegularExpressionMatch match = stamped.match(written[i]);
        QVERIFY2(match.hasMatch() && written[i].startsWith(folder), qPrintable(written[i]));
        QCOMPARE(match.captured(1), safeSubjects[i]);
        QCOMPARE(Contents(written[i]), Contents(m_runs[i].outPath));

        const QString one = Path(QStringLiteral("extracted-%1.exp").arg(i + 1));
        const CliOutcome extract =
            RunLog({"extract", QString::number(i + 1), "-o", one, "--run-log", m_strLog});
        QCOMPARE(extract.exitCode, 0);
        QCOMPARE(extract.out, one + u'\n');
        QCOMPARE(Contents(one), Contents(m_runs[i].outPath));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), m_runs.size());

    const QString several = Path(QStringLiteral("several"));
    const CliOutcome extract =
        RunLog({"extract", "4", "2", "--dir", several, "--run-log", m_strLog});
    QCOMPARE(extract.exitCode, 0);
    QCOMPARE(extract.out.split(u'\n', Qt::SkipEmptyParts),
             (QStringList{written[3], written[1]}.replaceInStrings(folder, several)));
}

// The list's values are those the experiment file of the run opens to.
void TestCliLog::listShowsWhatOpeningShows()
{
    const CliOutcome list = RunLog({"list", "--json", "--run-log", m_strLog});
    QCOMPARE(list.exitCode, 0);
    const QList<QByteArray> lines = list.outBytes.split('\n');
    QCOMPARE(lines.size(), m_runs.size() + 1);
    const CliOutcome text = RunLog({"list", "--run-log", m_strLog});
    QCOMPARE(text.exitCode, 0);
    const QStringList textLines = text.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(textLines.size(), m_runs.size() + 1);
    QVERIFY(textLines[0].startsWith(QLatin1String("   No.  Date        Time      Firmware")));
    QStringList quality;
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        const QJsonObject verdict = QJsonDocument::fromJson(lines[i]).object()["qc"].toObject();
        quality.append(verdict["pass"].toBool()
                           ? QStringLiteral("pass")
                           : verdict["text"].toString().remove(QStringLiteral("QC flags: ")));
    }
    QCOMPARE(quality.count(QStringLiteral("pass")), m_runs.size() - 1);
    const int qualityWidth = int(
        std::max_element(quality.begin(), quality.end(), [](const QString& a, const QString& b) {
            return a.size() < b.size();
        })->size());
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        const QJsonObject entry = QJsonDocument::fromJson(lines[i]).object();
        const QJsonObject shown =
            QJsonDocument::fromJson(RunCli({"show", "--json", m_runs[i].outPath}).outBytes)
                .object();
        QCOMPARE(entry.value("number").toInt(), i + 1);
        QCOMPARE(entry.value("subject").toString(), m_runs[i].subject);
        QCOMPARE(entry.value("torn").toBool(), false);
        QCOMPARE(entry.value("firmwareRelease").toInt(), m_runs[i].release);
        QCOMPARE(entry.value("firmwareVersion"), shown.value("firmwareVersion"));
        QCOMPARE(entry.value("desiredForce"), shown["desired"].toObject().value("force"));
        QCOMPARE(entry.value("actualForce"), shown["actual"].toObject().value("force"));
        QCOMPARE(entry.value("actualDisplacement"),
                 shown["actual"].toObject().value("displacement"));
        QCOMPARE(entry.value("actualVelocity"), shown["actual"].toObject().value("velocity"));
        QCOMPARE(entry.value("downSamples").toInt(), shown.value("dispDown").toArray().size());
        QCOMPARE(entry.value("upSamples").toInt(), shown.value("dispUp").toArray().size());
        QJsonObject shownQuality = shown["qc"].toObject();
        shownQuality.remove(QStringLiteral("thresholds"));
        QCOMPARE(entry.value("qc").toObject(), shownQuality);
        const QString comments = shown.value("comments").toString();
        const QString date = entry.value("date").toString();
        const QString time = entry.value("time").toString();
        QVERIFY2(comments.contains(QStringLiteral("Time: %1.").arg(time)), qPrintable(comments));
        QVERIFY2(comments.contains(QDate::fromString(date, Qt::ISODate)
                                       .toString(QStringLiteral("Date: MMMM dd, yyyy. "))),
                 qPrintable(comments));
        const QString expectedLine =
            QStringLiteral("%1  %2  %3  ").arg(i + 1, 6).arg(date, time) +
            entry.value("firmwareVersion").toString().leftJustified(10) +
            QStringLiteral(" %1 %2 %3 %4 %5 %6")
                .arg(entry.value("desiredForce").toInt(), 7)
                .arg(entry.value("actualForce").toInt(), 6)
                .arg(entry.value("actualDisplacement").toInt(), 6)
                .arg(entry.value("actualVelocity").toInt(), 8)
                .arg(entry.value("downSamples").toInt(), 5)
                .arg(entry.value("upSamples").toInt(), 5) +
            QStringLiteral("        ") +
            (m_runs[i].subject.isEmpty() ? quality[i]
                                         : quality[i].leftJustified(qualityWidth) +
                                               QStringLiteral("  ") + m_runs[i].subject);
        QCOMPARE(textLines[i + 1], expectedLine);
    }
}

// Notes pasted between entries and an entry torn by a crash: every entry is
// listed, the torn one as torn, and the foreign text is told.
void TestCliLog::damagedLogIsListedWhole()
{
    const QByteArray log = Contents(m_strLog);
    const QByteArray first = Contents(m_runs[0].outPath);
    const QString damaged = Path(QStringLiteral("damaged.log"));
    WriteFile(damaged,
              first + "\r\nnote: rat 17 died\r\n" + log.mid(first.size()) + first.left(900));
    const CliOutcome list = RunLog({"list", "--json", "--run-log", damaged});
    QCOMPARE(list.exitCode, 0);
    QCOMPARE(list.err, QStringLiteral("%1: 21 bytes at offset %2 belong to no entry.\n")
                           .arg(damaged)
                           .arg(first.size()));
    const QList<QByteArray> lines = list.outBytes.split('\n');
    QCOMPARE(lines.size(), m_runs.size() + 2);
    const QJsonObject torn = QJsonDocument::fromJson(lines[m_runs.size()]).object();
    QCOMPARE(torn.value("torn").toBool(), true);
    QCOMPARE(torn.value("length").toInt(), 900);
    QVERIFY(torn.value("date").isNull());

    const QString folder = Path(QStringLiteral("damaged"));
    const CliOutcome split = RunLog({"split", "--dir", folder, "--run-log", damaged});
    QCOMPARE(split.exitCode, 0);
    const QString tornFile =
        folder + QStringLiteral("/run-log-entry-%1.exp").arg(m_runs.size() + 1);
    QCOMPARE(split.out.split(u'\n', Qt::SkipEmptyParts).constLast(), tornFile);
    QVERIFY2(
        split.err.endsWith(QStringLiteral("Entry %1 is torn: %2 holds as much of it as the log "
                                          "does and will not open as a complete record.\n")
                               .arg(m_runs.size() + 1)
                               .arg(tornFile)),
        qPrintable(split.err));
    QCOMPARE(Contents(tornFile), first.left(900));
}

void TestCliLog::neverOverwrites_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("what");  // has the entry's name
    QTest::addColumn<QString>("said");  // %1 the name
    const QString link = "%1 is a symbolic link; it was not followed. Nothing was written.";
    const QString exists = "%1 already exists; it was not overwritten.";
    QTest::newRow("-o onto another file") << "-o"
                                          << "notes" << exists;
    QTest::newRow("--dir onto another file") << "--dir"
                                             << "notes" << exists;
    QTest::newRow("-o onto a link to the entry") << "-o"
                                                 << "entry" << link;
    QTest::newRow("--dir onto a dangling link") << "--dir"
                                                << "dangling" << link;
    QTest::newRow("--dir onto a link to /dev/zero") << "--dir"
                                                    << "/dev/zero" << link;
    // A pipe on Windows has no name in a folder.
#ifndef Q_OS_WIN
    QTest::newRow("--dir onto a pipe") << "--dir"
                                       << "pipe"
                                       << "%1 is a pipe, not a file. Nothing was written.";
#endif
}

// A file already there keeps its bytes; the command says so and fails, and
// every other entry is still written. Run again, the entries' own files are
// taken as done.
void TestCliLog::neverOverwrites()
{
    QFETCH(QString, how);
    QFETCH(QString, what);
    QFETCH(QString, said);
    QTemporaryDir folder;
    const CliOutcome names = RunLog({"split", "--dir", folder.path(), "--run-log", m_strLog});
    QCOMPARE(names.exitCode, 0);
    const QStringList paths = names.out.split(u'\n', Qt::SkipEmptyParts);
    const QString taken = paths[1];
    const QString aimed = what.startsWith(u'/') ? what : Path(QStringLiteral("aimed"));
    QFile::remove(Path(QStringLiteral("aimed")));
    if (what == QLatin1String("entry"))
        QVERIFY(QFile::rename(taken, aimed));
    QFile::remove(taken);
    if (what == QLatin1String("notes"))
        WriteFile(taken, "a researcher's own notes");
#ifndef Q_OS_WIN
    else if (what == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(taken).constData(), 0600), 0);
#endif
    else
        QVERIFY(QFile::link(aimed, taken));

    const CliOutcome again = how == QLatin1String("-o")
                                 ? RunLog({"extract", "2", "-o", taken, "--run-log", m_strLog})
                                 : RunLog({"split", "--dir", folder.path(), "--run-log", m_strLog});
    QCOMPARE(again.exitCode, 1);
    if (what == QLatin1String("notes"))
        QCOMPARE(Contents(taken), QByteArray("a researcher's own notes"));
    QCOMPARE(QFile::exists(Path(QStringLiteral("aimed"))), what == QLatin1String("entry"));
    QVERIFY2(again.err.contains(QStringLiteral("Entry 2: %1\nGive it a name of its own: "
                                               "zentak-cli log extract 2 -o FILE.exp\n")
                                    .arg(said.arg(taken))),
             qPrintable(again.err));
    QVERIFY(!again.out.contains(taken));
    if (how == QLatin1String("--dir")) {
        QCOMPARE(again.out.split(u'\n', Qt::SkipEmptyParts).size(), m_runs.size() - 1);
        QVERIFY(
            again.err.contains(QStringLiteral("Entry 1: %1 already holds it.\n").arg(paths[0])));
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
             m_runs.size());
}

// Two splits into one folder at once both finish: a file the other wrote
// meanwhile already holds its entry.
void TestCliLog::parallelSplitsBothFinish()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), Path(QStringLiteral("cache")));
    for (int round = 0; round < 8; ++round) {
        QTemporaryDir folder;
        QProcess splits[2];
        for (QProcess& split : splits) {
            split.setProcessEnvironment(environment);
            split.start(ZENTAK_CLI,
                        {"log", "split", "--dir", folder.path(), "--run-log", m_strLog});
        }
        for (QProcess& split : splits) {
            QVERIFY(split.waitForFinished(30000));
            QVERIFY2(split.exitCode() == 0, split.readAllStandardError().constData());
        }
    }
}

void TestCliLog::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no action") << QStringList{} << "usage: zentak-cli log list";
    QTest::newRow("unknown action") << QStringList{"show"} << "unknown action: show";
    QTest::newRow("extract without numbers")
        << QStringList{"extract", "--dir", "x"} << "give the numbers of the entries to extract";
    QTest::newRow("extract without a target")
        << QStringList{"extract", "1"} << "give either -o FILE.exp or --dir DIR";
    QTest::newRow("extract with both targets")
        << QStringList{"extract", "1", "-o", "a.exp", "--dir", "x"}
        << "give either -o FILE.exp or --dir DIR";
    QTest::newRow("-o for two entries") << QStringList{"extract", "1", "2", "-o", "a.exp"}
                                        << "-o names one file; give --dir DIR for several entries";
    QTest::newRow("entry 0") << QStringList{"extract", "0", "-o", "a.exp"}
                             << "there is no entry 0: the log holds 4 entries, numbered from 1 "
                                "(the oldest)";
    QTest::newRow("entry past the last")
        << QStringList{"extract", "5", "-o", "a.exp"} << "there is no entry 5";
    QTest::newRow("not a number") << QStringList{"extract", "two", "-o", "a.exp"}
                                  << "there is no entry two";
    QTest::newRow("split without a folder") << QStringList{"split"} << "--dir DIR is required";
    QTest::newRow("list with a number") << QStringList{"list", "3"} << "unexpected argument '3'";
    QTest::newRow("unknown option") << QStringList{"list", "--all"} << "unknown option '--all'";
}

void TestCliLog::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString here = QDir::currentPath();
    const CliOutcome outcome = RunLog(arguments + QStringList{"--run-log", m_strLog});
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(outcome.err.contains(QLatin1String("usage: zentak-cli log list")));
    QVERIFY(outcome.out.isEmpty());
    QVERIFY(!QFileInfo::exists(QDir(here).filePath(QStringLiteral("a.exp"))));
}

// A kept index that gives entry 1 the values of entry 2 (its checksum made
// good): extract writes entry 1, under entry 1's name.
void TestCliLog::lyingIndexNamesNoEntry()
{
    CRunLogReader fresh{QString()};
    QString error;
    QCOMPARE(fresh.Open(m_strLog, error), CRunLogReader::OpenResult::Opened);
    CRunLogIndex lie;
    lie.m_arrEntries = fresh.Entries();
    lie.m_nIndexedBytes = fresh.IndexedBytes();
    std::swap(lie.m_arrEntries[0].m_strComments, lie.m_arrEntries[1].m_strComments);
    std::swap(lie.m_arrEntries[0].m_stampTime, lie.m_arrEntries[1].m_stampTime);
    std::swap(lie.m_arrEntries[0].m_strSubject, lie.m_arrEntries[1].m_strSubject);
    QFile log(m_strLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    CRunLogIndexCache(Path("cache/Zentak/run-log-index")).Save(log, lie);

    const QString folder = Path(QStringLiteral("lied"));
    const CliOutcome extract = RunLog({"extract", "1", "--dir", folder, "--run-log", m_strLog});
    QCOMPARE(extract.exitCode, 0);
    QVERIFY2(extract.out.trimmed().endsWith(QLatin1String("_rat_17.exp")), qPrintable(extract.out));
    QCOMPARE(Contents(extract.out.trimmed()), Contents(m_runs[0].outPath));
}

void TestCliLog::listShowsLogTextAsItIs_data()
{
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("was");  // in the first entry
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    const QByteArray subject("Subject: ");
    QTest::newRow("an escape sequence")
        << subject << QByteArray("rat 17") << QByteArray("rat\x1b[2J17") << "rat\\x1b[2J17";
    QTest::newRow("a bell and a delete")
        << subject << QByteArray("rat 17") << QByteArray("rat\x07\x7f") << "rat\\x07\\x7f";
    QTest::newRow("a C1 control") << subject << QByteArray("rat 17")
                                  << QByteArray("rat\x9b"
                                                "31m")
                                  << "rat\\x9b31m";
    QTest::newRow("letters kept") << subject << QByteArray("rat 17") << QByteArray("Maus \xe9")
                                  << QStringLiteral("Maus é");
    QTest::newRow("a place marker in the firmware")
        << QByteArray("Version: ") << QByteArray("R5.04") << QByteArray("R5%1x") << "R5%1x";
}

// Text from the log shows as itself in its column: a control character
// never reaches the terminal raw, a place marker is no place marker.
void TestCliLog::listShowsLogTextAsItIs()
{
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, was);
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    const QString log = Path(QStringLiteral("crafted.log"));
    WriteFile(log, Contents(m_strLog).replace(label + was, label + text));
    const CliOutcome list = RunLog({"list", "--run-log", log});
    QCOMPARE(list.exitCode, 0);
    const QString before = RunLog({"list", "--run-log", m_strLog}).out.split(u'\n').value(1);
    QCOMPARE(list.out.split(u'\n').value(1), QString(before).replace(QLatin1String(was), shown));
    for (QChar c : list.out)
        QVERIFY(c == u'\n' || (c >= u' ' && c != u'\x7f' && (c < u'\x80' || c > u'\x9f')));
}

QTEST_GUILESS_MAIN(TestCliLog)
#include "tst_cli_log.moc"

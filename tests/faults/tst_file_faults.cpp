// The rows of the fault matrix that are about files: a save target that
// cannot be written, a disk that fills during a save or an export, a run log
// that cannot be opened or fills during the append, an output aimed at the
// run log or at what is no file. For each: what the operator sees, how long
// it took, and that nothing saved or logged before was lost or changed.
#include "CFrameHarness.h"
#include "CFullDiskFolder.h"
#include "CliProcess.h"
#include "FileBytes.h"
#include "gui/CLeftView.h"
#include "gui/CZentakApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Answer = COperatorPrompt::Answer;

namespace {

enum class Fault { Full, ReadOnly };

QString DataPath(const char* name)
{
    return QStringLiteral(ZENTAK_TEST_DATA "/") + QLatin1String(name);
}

void WhileFaulty(CFullDiskFolder& disk, Fault fault, const std::function<void()>& fn)
{
    if (fault == Fault::Full)
        disk.WhileFull(fn);
    else
        disk.WhileReadOnly(fn);
}

// Without a tmpfs of its own the folder is read-only by its permissions only.
QString CannotCreate(const CFullDiskFolder& disk, const QString& path)
{
    return disk.IsOwnFileSystem()
               ? QStringLiteral("%1 could not be written: the drive it is on is read-only.")
                     .arg(path)
               : QStringLiteral("Access to %1 was denied.").arg(path);
}

// Earlier entries that leave 1000 bytes of their last 4 KiB page free: a
// full disk then cuts the next entry off part-way, not at its first byte.
QByteArray EarlierLog()
{
    const QByteArray entry = "ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                             "an earlier run\r\n-----End of File-----";
    return entry.repeated(100).left(2 * 4096 - 1000);
}

void RunImpact(CFrameHarness& h)
{
    h.prompt.QueueAnswers({Answer::Yes});
    h.frame.LeftView().OnStartExperiment();
}

QString ActualForce(CMainFrame& frame)
{
    return frame.findChild<QLineEdit*>(QStringLiteral("forceActual"))->text();
}

// What zentak-cli printed as its summary line "label: value".
QString Printed(const QString& out, const QString& label)
{
    const QRegularExpression line(QStringLiteral("^%1: (-?\\d+)$").arg(label),
                                  QRegularExpression::MultilineOption);
    return line.match(out).captured(1);
}

// The text as a regular expression, with each placeholder standing for a pattern.
QString Pattern(const QString& text, const QList<QPair<QString, QString>>& placeholders)
{
    QString pattern = QRegularExpression::escape(text);
    for (const auto& [placeholder, replacement] : placeholders)
        pattern.replace(QRegularExpression::escape(placeholder), replacement);
    return pattern;
}

// Named as every run's own file is: stamp, then the subject made safe.
const QString kRescueName =
    QStringLiteral("\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_rat_7_L\\.exp");

// The first three are the run log; the words of the others are the messages' words.
const QStringList kTargets{"the run log", "a link to the log", "a hard link to the log",
                           "a pipe",      "a device",          "a folder"};

bool Make(const QString& target, const QString& path, const QString& log)
{
    const QByteArray name = QFile::encodeName(path);
    if (target == kTargets[1])
        return QFile::link(log, path);
    if (target == kTargets[2])
        return ::link(QFile::encodeName(log).constData(), name.constData()) == 0;
    if (target == kTargets[3])
        return ::mkfifo(name.constData(), 0600) == 0;
    if (target == kTargets[4])
        return ::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    return target == kTargets[0] || QDir().mkdir(path);
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestFileFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void failedSaveKeepsThePreviousFile_data();
    void failedSaveKeepsThePreviousFile();
    void graphExportOnAFullDiskSaysWhy_data();
    void graphExportOnAFullDiskSaysWhy();
    void unloggedRunIsKeptElsewhere_data();
    void unloggedRunIsKeptElsewhere();
    void outputsGoOnlyWhereTheyMay_data();
    void outputsGoOnlyWhereTheyMay();

private:
    QTemporaryDir m_dir;
};

void TestFileFaults::initTestCase()
{
    QCoreApplication::setOrganizationName(CZentakApp::kOrganization);
    QCoreApplication::setApplicationName(CZentakApp::kApplication);
    UseTestSettings();
    qputenv("ZENTAK_RUN_LOG", m_dir.filePath(QStringLiteral("run.log")).toLocal8Bit());
    CFullDiskFolder disk;
    qInfo("full disk: %s", disk.IsOwnFileSystem() ? "a 64 KiB tmpfs" : "a file-size limit of 0");
}

void TestFileFaults::failedSaveKeepsThePreviousFile_data()
{
    QTest::addColumn<QStringList>("command");  // zentak-cli's arguments; none: the window's Save
    QTest::addColumn<QString>("target");
    QTest::addColumn<Fault>("fault");
    const QString exp = DataPath("release4.exp");
    for (const Fault fault : {Fault::Full, Fault::ReadOnly}) {
        const char* on = fault == Fault::Full ? "disk full" : "read-only";
        QTest::addRow("resave .exp, %s", on)
            << QStringList{"resave", exp, "%1"} << "a.exp" << fault;
        QTest::addRow("export .csv, %s", on)
            << QStringList{"export", exp, "-o", "%1"} << "a.csv" << fault;
        QTest::addRow("render .png, %s", on)
            << QStringList{"render", exp, "-o", "%1"} << "a.png" << fault;
        QTest::addRow("render .pdf, %s", on)
            << QStringList{"render", exp, "-o", "%1"} << "a.pdf" << fault;
        QTest::addRow("window Save, %s", on) << QStringList() << "a.exp" << fault;
    }
}

// The operator is told which file and why; the file that was there before
// is there still, byte for byte, and no temporary file is left beside it.
void TestFileFaults::failedSaveKeepsThePreviousFile()
{
    QFETCH(QStringList, command);
    QFETCH(QString, target);
    QFETCH(Fault, fault);
    CFullDiskFolder disk;
    QVERIFY(disk.IsValid());
    const QString path = disk.FilePath(target);
    const QByteArray previous = "saved before\r\n" + QByteArray(3000, 'p');
    WriteFile(path, previous);

    // A file under Qt's 16 KiB write buffer: its only write is the last flush.
    CFrameHarness h;
    if (command.isEmpty())
        QVERIFY(h.frame.OpenDocumentFile(DataPath("release4.exp")));
    bool failed = false;
    QString shown;
    QElapsedTimer timer;
    qint64 ms = 0;
    WhileFaulty(disk, fault, [&] {
        timer.start();
        if (command.isEmpty()) {
            h.files.names << path;
            failed = !h.frame.OnFileSaveAs();
            for (const CScriptedPrompt::Shown& message : h.prompt.messages)
                shown += message.text + QLatin1Char('\n');
        } else {
            command.replaceInStrings(QStringLiteral("%1"), path);
            const CliOutcome outcome = RunCli(command);
            failed = outcome.exitCode == 1;
            shown = outcome.err;
        }
        ms = timer.elapsed();
    });

    const QString expected =
        fault == Fault::Full
            ? QStringLiteral(
                  "An error occurred while writing %1: %2. The previous %1 is unchanged.")
                  .arg(path, disk.FullReason())
            : CannotCreate(disk, path);
    QCOMPARE(shown, expected + QLatin1Char('\n'));
    QVERIFY(failed);
    QCOMPARE(Contents(path), previous);
    QCOMPARE(disk.Files(), QStringList{target});
    qInfo("%s: %lld ms", QTest::currentDataTag(), ms);
    QVERIFY(ms < 10000);
}

void TestFileFaults::graphExportOnAFullDiskSaysWhy_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("png") << "a.png";
    QTest::newRow("pdf") << "a.pdf";
    QTest::newRow("svg") << "a.svg";
}

// File > Export Graph... names the disk's own reason, never an encoder's
// "Unknown error", and keeps the file that was there.
void TestFileFaults::graphExportOnAFullDiskSaysWhy()
{
    QFETCH(QString, target);
    CFullDiskFolder disk;
    QVERIFY(disk.IsValid());
    const QString path = disk.FilePath(target);
    const QByteArray previous = "exported before\r\n" + QByteArray(3000, 'p');
    WriteFile(path, previous);
    CFrameHarness h;
    QVERIFY(h.frame.OpenDocumentFile(DataPath("release4.exp")));
    h.files.names << path;
    WhileFaulty(disk, Fault::Full,
                [&] { h.frame.Action(QStringLiteral("fileExportGraph"))->trigger(); });
    QCOMPARE(h.prompt.messages.size(), 1);
    QCOMPARE(h.prompt.messages.first().text,
             QStringLiteral("Cannot write %1: %2").arg(path, disk.FullReason()));
    QCOMPARE(Contents(path), previous);
    QCOMPARE(disk.Files(), QStringList{target});
}

void TestFileFaults::unloggedRunIsKeptElsewhere_data()
{
    QTest::addColumn<bool>("window");  // else zentak-cli run
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("dataFolderWritable");
    QTest::addColumn<bool>("hereWritable");
    // %LOG the log, %REASON the system's reason, %DATA the per-user data
    // folder, %HERE the current folder, %NAME a file named by the run's stamp.
    QTest::addColumn<QString>("message");
    const QString notLogged = QStringLiteral("Unable to Write Log File!\n%LOG: %REASON.\n"
                                             "This run is not in the log, which is as it was "
                                             "before the run.\n");
    const QString openFailed = QStringLiteral("Unable to Open Log File!\n");
    const QString keptIn = QStringLiteral("This run was saved to a file of its own instead:\n");
    QTest::newRow("window, log cannot be opened")
        << true << Fault::ReadOnly << true << true << openFailed;
    QTest::newRow("window, disk full during the append")
        << true << Fault::Full << true << true << notLogged;
    QTest::newRow("zentak-cli, log cannot be opened")
        << false << Fault::ReadOnly << true << true
        << openFailed + keptIn + "%DATA/Zentak/Unlogged Runs/%NAME\n";
    QTest::newRow("zentak-cli, nor the data folder")
        << false << Fault::ReadOnly << false << true << openFailed + keptIn + "%HERE/%NAME\n";
    QTest::newRow("zentak-cli, nowhere to keep it")
        << false << Fault::ReadOnly << false << false
        << openFailed + "This run could not be saved to a file of its own either:\n"
                        "The folder of %DATA/Zentak/Unlogged Runs/%NAME was not found.\n"
                        "%READONLY\n";
}

// The log keeps exactly what it held; the run is not lost with the process:
// the window keeps it as unsaved, zentak-cli saves it to a file of its own,
// says where, and ends with exit code 1.
void TestFileFaults::unloggedRunIsKeptElsewhere()
{
    QFETCH(bool, window);
    QFETCH(Fault, fault);
    QFETCH(bool, dataFolderWritable);
    QFETCH(bool, hereWritable);
    QFETCH(QString, message);
    CFullDiskFolder disk;
    QVERIFY(disk.IsValid());
    const QString log = disk.FilePath(QStringLiteral("ZEVSpine_v5.log"));
    WriteFile(log, EarlierLog());
    QTemporaryDir scratch;
    const QString blocker = scratch.filePath(QStringLiteral("a-file"));
    WriteFile(blocker, "not a folder");
    const QString dataHome =
        dataFolderWritable ? scratch.filePath(QStringLiteral("data-home")) : blocker + "/data-home";
    const QString here = hereWritable ? scratch.filePath(QStringLiteral("here")) : disk.Path();
    QDir().mkpath(here);

    CFrameHarness h;
    h.frame.Document().SetRunLogPath(log);
    CliOutcome outcome;
    QString shown;
    QElapsedTimer timer;
    qint64 ms = 0;
    WhileFaulty(disk, fault, [&] {
        timer.start();
        if (window) {
            RunImpact(h);
            for (const CScriptedPrompt::Shown& shownMessage : h.prompt.messages)
                shown += QString(shownMessage.text).replace("\r\n", "\n") + QLatin1Char('\n');
        } else {
            outcome = RunCli({"run", "--port", "Simulator", "--force", "100", "--velocity", "100",
                              "--yes", "--subject", "rat 7/L", "--run-log", log},
                             {}, {here, {{QStringLiteral("XDG_DATA_HOME"), dataHome}}});
            shown = outcome.err.mid(outcome.err.indexOf(QLatin1String("Unable to")));
        }
        ms = timer.elapsed();
    });

    const QString readOnly = CannotCreate(disk, QStringLiteral("%HERE/%NAME"));
    const QString pattern = Pattern(QString(message).replace("%READONLY", readOnly),
                                    {{"%LOG", QRegularExpression::escape(log)},
                                     {"%REASON", QRegularExpression::escape(disk.FullReason())},
                                     {"%DATA", QRegularExpression::escape(dataHome)},
                                     {"%HERE", QRegularExpression::escape(here)},
                                     {"%NAME", kRescueName}});
    const QRegularExpressionMatch match =
        QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$')).match(shown);
    QVERIFY2(match.hasMatch(), qPrintable(shown));
    QCOMPARE(Contents(log), EarlierLog());
    qInfo("%s: %lld ms", QTest::currentDataTag(), ms);
    QVERIFY(ms < 15000);

    if (window) {
        QVERIFY(ActualForce(h.frame).toInt() > 0);
        QVERIFY(h.frame.Document().IsModified());
        return;
    }
    QCOMPARE(outcome.exitCode, 1);
    const QString kept = shown.section(QLatin1Char('\n'), -2, -2);
    if (!dataFolderWritable && !hereWritable) {
        QCOMPARE(QDir(here).entryList(QDir::Files), QStringList{QStringLiteral("ZEVSpine_v5.log")});
        return;
    }
    const CliOutcome reread = RunCli({"show", "--json", kept});
    QCOMPARE(reread.exitCode, 0);
    const QJsonObject record = QJsonDocument::fromJson(reread.outBytes).object();
    QVERIFY(record.value("dataPresent").toBool());
    QCOMPARE(record.value("actual").toObject().value("force").toInt(),
             Printed(outcome.out, QStringLiteral("Actual Force")).toInt());
}

void TestFileFaults::outputsGoOnlyWhereTheyMay_data()
{
    QTest::addColumn<QStringList>("command");  // one word: the window's action
    QTest::addColumn<QString>("out");          // a name, or the run log's
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("said");  // %1 the target's path
    const QString in = DataPath("release4.exp");
    const QStringList run{"run", "--port", "Simulator", "--force", "100", "--yes"};
    const QList<std::tuple<const char*, QStringList, QString>> commands{
        {"resave", {"resave", in, "%OUT"}, "a.exp"},
        {"export", {"export", in, "-o", "%OUT"}, "a.csv"},
        {"run --out", run + QStringList{"--out", "%OUT"}, "a.exp"},
        {"run --csv", run + QStringList{"--csv", "%OUT"}, "a.csv"},
        {"summary --csv", {"summary", in, "--csv", "%OUT"}, "a.csv"},
        {"render", {"render", in, "-o", "%OUT"}, "a.png"},
        {"overlay", {"overlay", in, "-o", "%OUT"}, "a.pdf"},
        {"log extract", {"log", "extract", "1", "-o", "%OUT"}, "a.exp"},
        {"window Save As", {"fileSaveAs"}, "a.exp"},
        {"window CSV", {"fileSaveCsv"}, "a.csv"},
        {"window Export Graph", {"fileExportGraph"}, "a.svg"},
        {"run's log", run + QStringList{"--run-log", "%OUT"}, "run.log"},
        {"window Start Experiment", {"start"}, "run.log"}};
    for (const auto& [name, command, out] : commands) {
        const bool logCheck = out == QLatin1String("run.log");
        // A picture is named by its suffix, which the log has not.
        const bool picture = !out.endsWith(QLatin1String(".exp")) && !out.endsWith(".csv");
        for (qsizetype i = logCheck ? 3 : picture; i < kTargets.size(); ++i) {
            const bool extract = command.first() == QLatin1String("log");
            const QString what = i > 2
                                     ? kTargets[i] + ", not a file."
                                     : QStringLiteral("the run log%1, which is only ever added to.")
                                           .arg(i ? " (" + CliTestRunLog() + ")" : "");
            QString said = "%1 is " +
                           (i == 1 && extract ? "a symbolic link; it was not followed." : what) +
                           " Nothing was written.\n";
            if (extract)
                said = "Entry 1: " + said +
                       "Give it a name of its own: zentak-cli log extract 1 -o FILE.exp\n";
            if (logCheck)
                said = "The run log %1 is " + kTargets[i] +
                       ", not a file, so no run could be logged in it. Nothing was sent to the "
                       "control box.\n";
            QTest::addRow("%s onto %s", name, qPrintable(kTargets[i]))
                << command << (i == 0 ? CliTestRunLog() : out) << kTargets[i] << said;
        }
    }
}

// Refused with exit 1 and the reason before anything is written or the box
// woken: the log keeps its bytes, the target is what it was, no file is left.
void TestFileFaults::outputsGoOnlyWhereTheyMay()
{
    QFETCH(QStringList, command);
    QFETCH(QString, out);
    QFETCH(QString, target);
    QFETCH(QString, said);
    const QString log = CliTestRunLog();
    WriteFile(log, EarlierLog());
    QTemporaryDir scratch;
    const QString path = out == log ? out : scratch.filePath(out);
    if (!Make(target, path, log))
        QSKIP("a device node needs root");
    const QFileInfo before(path);
    CliOutcome outcome;
    outcome.exitCode = 1;
    CFrameHarness h;
    h.frame.Document().SetRunLogPath(log);
    if (command.size() > 1) {
        // A run that went ahead would keep its unlogged file here, not in the user's folder.
        outcome = RunCli(command.replaceInStrings("%OUT", path), {},
                         {QString(), {{QStringLiteral("XDG_DATA_HOME"), scratch.path()}}});
    } else if (command.first() == QLatin1String("start")) {
        h.frame.Document().SetRunLogPath(path);
        RunImpact(h);
    } else {
        QVERIFY(h.frame.OpenDocumentFile(DataPath("release4.exp")));
        h.files.names << path;
        h.frame.Action(command.first())->trigger();
    }
    for (const CScriptedPrompt::Shown& message : h.prompt.messages)
        outcome.err += message.text + QLatin1Char('\n');
    QCOMPARE(outcome.err, said.arg(path));
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(Contents(log), EarlierLog());
    QCOMPARE(QFileInfo(path).isFile(), before.isFile());
}

QTEST_MAIN(TestFileFaults)
#include "tst_file_faults.moc"

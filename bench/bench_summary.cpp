// How fast zentak-cli summarises a study.
//
//   build/bench/bench_summary [FOLDER]
//
// Makes its inputs with the program's own writer in FOLDER (a temporary
// folder by default, never the source tree): bench_run_log generates a run
// log of 1000 entries of 1000 samples per stroke, and zentak-cli log split
// turns it into 1000 experiment files; a second log holds 10000 entries.
// Then it times, as a researcher's script would run them:
//
//   zentak-cli summary FILES --csv OUT           goal: under 2 s
//   zentak-cli summary --run-log LOG --csv OUT   goal: under 5 s (10000 entries,
//                                                 first reading, no index kept yet)
//   zentak-cli summary FILES --subjects SUBJECTS --odc DIR
//                                                goal: under 2 s (1000 files, each
//                                                 with a subject, 1000 subjects)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

struct Timed {
    int exitCode = -1;
    double seconds = 0;
};

Timed RunTimed(const QString& program, const QStringList& arguments, const QString& cacheHome)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    Timed timed;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return timed;
    timed.seconds = double(timer.nsecsElapsed()) / 1e9;
    timed.exitCode = process.exitCode();
    return timed;
}

bool Step(const char* what, const Timed& timed)
{
    if (timed.exitCode != 0) {
        std::fprintf(stderr, "%s failed (exit %d)\n", what, timed.exitCode);
        return false;
    }
    return true;
}

void Report(const char* what, const Timed& timed, double goalSeconds)
{
    std::printf("%-52s %6.2f s  (goal under %.0f s: %s)\n", what, timed.seconds, goalSeconds,
                timed.seconds < goalSeconds ? "met" : "MISSED");
}

// A subjects table of 1000 rats, one row for each subject of the files.
bool WriteSubjects(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&file);
    out << "Subject_ID,Species,Strain,Sex,Weight,Group\r\n";
    for (int run = 0; run < 1000; ++run)
        out << "rat " << run << ",rat,Sprague-Dawley," << (run % 2 ? 'F' : 'M') << ','
            << 200 + run % 90 << ',' << (run % 3 ? "injured" : "sham") << "\r\n";
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QDir folder(app.arguments().value(1, scratch.path()));
    folder.mkpath(QStringLiteral("."));
    const QString cli = QStringLiteral(ZENTAK_CLI);
    const QString generator = QStringLiteral(BENCH_RUN_LOG);
    const QString cache = folder.filePath(QStringLiteral("cache"));
    const QString smallLog = folder.filePath(QStringLiteral("1000.log"));
    const QString largeLog = folder.filePath(QStringLiteral("10000.log"));
    const QString files = folder.filePath(QStringLiteral("files"));
    const QString subjectLog = folder.filePath(QStringLiteral("subjects.log"));
    const QString subjectFiles = folder.filePath(QStringLiteral("subject-files"));
    const QString subjects = folder.filePath(QStringLiteral("subjects.csv"));

    QDir(files).removeRecursively();
    QDir(subjectFiles).removeRecursively();
    if (!WriteSubjects(subjects) ||
        !Step("generating 1000 entries with subjects",
              RunTimed(generator, {"generate", subjectLog, "1000", "1000", "1"}, cache)) ||
        !Step("splitting them into files",
              RunTimed(cli, {"log", "split", "--run-log", subjectLog, "--dir", subjectFiles},
                       cache)) ||
        !Step("generating 1000 entries",
              RunTimed(generator, {"generate", smallLog, "1000", "1000"}, cache)) ||
        !Step("splitting them into files",
              RunTimed(cli, {"log", "split", "--run-log", smallLog, "--dir", files}, cache)) ||
        !Step("generating 10000 entries",
              RunTimed(generator, {"generate", largeLog, "10000", "1000"}, cache)))
        return 1;

    const Timed ofFiles = RunTimed(
        cli, {"summary", files, "--csv", folder.filePath(QStringLiteral("files.csv"))}, cache);
    QDir(cache).removeRecursively();
    const Timed ofLog = RunTimed(
        cli,
        {"summary", "--run-log", largeLog, "--csv", folder.filePath(QStringLiteral("log.csv"))},
        cache);
    const Timed ofLogAgain = RunTimed(
        cli,
        {"summary", "--run-log", largeLog, "--csv", folder.filePath(QStringLiteral("log.csv"))},
        cache);
    const Timed odc = RunTimed(cli,
                               {"summary", subjectFiles, "--subjects", subjects, "--odc",
                                folder.filePath(QStringLiteral("odc"))},
                               cache);
    if (!Step("summary of the files", ofFiles) || !Step("export of the files", odc) ||
        !Step("summary of the log", ofLog) || !Step("summary of the log again", ofLogAgain))
        return 1;
    Report("summary of 1000 files, 1000 samples a stroke", ofFiles, 2);
    Report("summary of a 10000-entry run log, first reading", ofLog, 5);
    Report("summary of the same log, its index kept", ofLogAgain, 5);
    Report("ODC export of 1000 files, 1000 subjects", odc, 2);
    return 0;
}

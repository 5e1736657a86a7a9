#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// zentak-cli run as a researcher's script runs it: a separate process, with
// what it printed and how it ended. Each test target defines ZENTAK_CLI.
struct CliOutcome {
    int exitCode = -1;  // -1: crashed or did not finish
    QByteArray outBytes;
    QString out;
    QString err;  // without Qt's own notice of a session lacking a runtime folder
    qint64 elapsedMs = 0;
};

// Never the researcher's own run log: commands that append to the log
// write to one of the test's own unless the arguments name another.
inline QString CliTestRunLog()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("default-run.log"));
}

// Never the researcher's own settings either: the quality check thresholds
// come from a folder of the test's own, empty unless a test writes there.
inline QString CliTestConfigHome()
{
    static QTemporaryDir dir;
    return dir.path();
}

// Where a command runs when not where the test runs, and what it finds in
// its environment beyond the test's own.
struct CliPlace {
    QString workingFolder;
    QList<QPair<QString, QString>> environment;
};

inline CliOutcome RunCli(const QStringList& arguments, const QByteArray& input = {},
                         const CliPlace& place = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZENTAK_RUN_LOG"), CliTestRunLog());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), CliTestConfigHome());
    for (const auto& [name, value] : place.environment)
        environment.insert(name, value);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(place.workingFolder);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(ZENTAK_CLI), arguments);
    process.waitForStarted(5000);
    process.write(input);
    process.closeWriteChannel();
    CliOutcome outcome;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(3000);
        return outcome;
    }
    outcome.elapsedMs = timer.elapsed();
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.outBytes = process.readAllStandardOutput();
    QByteArray errBytes = process.readAllStandardError();
#ifdef Q_OS_WIN
    // The console's text mode ends each line with CR LF there.
    outcome.outBytes.replace("\r\n", "\n");
    errBytes.replace("\r\n", "\n");
#endif
    outcome.out = QString::fromLocal8Bit(outcome.outBytes);
    outcome.err = QString::fromLocal8Bit(errBytes);
    outcome.err.remove(QRegularExpression(QStringLiteral("^QStandardPaths: [^\\n]*\\n"),
                                          QRegularExpression::MultilineOption));
    return outcome;
}

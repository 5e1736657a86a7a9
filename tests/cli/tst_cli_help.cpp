#include "CliProcess.h"
#include "core/program/ZentakVersion.h"
#include "render/CGraphFileWriter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Printed {
    int exitCode = -1;
    QString out;
    QString err;
};

// Help and version must work on a machine without a display.
Printed RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Printed printed;
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return printed;
    printed.exitCode = process.exitCode();
    printed.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    printed.err = QString::fromLocal8Bit(process.readAllStandardError());
    return printed;
}

// The line of an option in a help text, with its meaning's continuation lines.
QString OptionText(const QString& help, const QString& term)
{
    const QRegularExpression entry(
        QStringLiteral("^  %1(  .*|)\\n(( {24}.*\\n)*)").arg(QRegularExpression::escape(term)),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = entry.match(help);
    return match.hasMatch() ? QString(match.captured(0)).simplified() : QString();
}

const QString kCli = QStringLiteral(ZENTAK_CLI);
const QString kWindow = QStringLiteral(ZENTAK_WINDOW);

}  // namespace

class TestCliHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpGoesToStandardOutput_data();
    void helpGoesToStandardOutput();
    void optionsSayUnitAndRange_data();
    void optionsSayUnitAndRange();
    void everyOptionListedIsKnown_data();
    void everyOptionListedIsKnown();
    void versionIsTheBuildsVersion_data();
    void versionIsTheBuildsVersion();
    void badArgumentsStayOnStandardError_data();
    void badArgumentsStayOnStandardError();
};

void TestCliHelp::helpGoesToStandardOutput_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");
    QTest::newRow("zentak-cli --help") << kCli << QStringList{"--help"} << "zentak-cli COMMAND";
    QTest::newRow("zentak-cli -h") << kCli << QStringList{"-h"} << "zentak-cli COMMAND";
    for (const char* command : {"run", "show", "export", "resave", "render", "summary", "overlay",
                                "sensitivity", "firmware"})
        QTest::addRow("zentak-cli %s --help", command)
            << kCli << QStringList{command, "--help"}
            << QStringLiteral("zentak-cli %1").arg(QLatin1String(command));
    QTest::newRow("zentak-cli help run") << kCli << QStringList{"help", "run"} << "zentak-cli run";
    QTest::newRow("help after other options")
        << kCli << QStringList{"run", "--force", "5000", "--help"} << "zentak-cli run";
    QTest::newRow("zentak --help") << kWindow << QStringList{"--help"} << "zentak [--port NAME]";
    QTest::newRow("zentak with a toolkit option")
        << kWindow << QStringList{"-platform", "offscreen", "-h"} << "zentak [--port NAME]";
}

void TestCliHelp::helpGoesToStandardOutput()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    const Printed printed = RunProgram(program, arguments);
    QCOMPARE(printed.exitCode, 0);
    QVERIFY2(printed.out.startsWith(QStringLiteral("usage: ") + usage), qPrintable(printed.out));
    QVERIFY2(printed.out.contains(QLatin1String("  -h, --help ")), qPrintable(printed.out));
    QVERIFY2(printed.err.isEmpty(), qPrintable(printed.err));
}

void TestCliHelp::optionsSayUnitAndRange_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("said");
    const QStringList run{"run", "--help"};
    QTest::newRow("force") << kCli << run << "--force K"
                           << "in K dynes, 1 to 1000";
    QTest::newRow("velocity") << kCli << run << "--velocity V"
                              << "in mm/s, 0 to 100";
    QTest::newRow("dwell") << kCli << run << "--dwell S"
                           << "in seconds, 0 to 60";
    QTest::newRow("displacement") << kCli << run << "--disp U"
                                  << "in microns";
    QTest::newRow("mode") << kCli << run << "--mode MODE"
                          << "force or displacement";
    QTest::newRow("port") << kCli << run << "--port NAME"
                          << "Com1 to Com9";
    QTest::newRow("baud") << kCli << run << "--baud N"
                          << "in bits per second, 1 to 4000000";
    QTest::newRow("parity") << kCli << run << "--parity P"
                            << "None, Odd, Even, Mark or Space";
    QTest::newRow("stop bits") << kCli << run << "--stop-bits S"
                               << "1, 1.5 or 2";
    QTest::newRow("byte size") << kCli << run << "--byte-size N"
                               << "5 to 8 (default 8)";
    QTest::newRow("sensitivity") << kCli << QStringList{"sensitivity", "--help"} << "--set N"
                                 << "mV/N times ten";
    QTest::newRow("sensitivity range") << kCli << QStringList{"sensitivity", "--help"} << "--set N"
                                       << "3000 to 7000";
    QTest::newRow("render size") << kCli << QStringList{"render", "--help"} << "--size WxH"
                                 << QStringLiteral("in pixels, 1 to 16384 each (default %1x%2)")
                                        .arg(CGraphFileWriter::kDefaultClientSize.width())
                                        .arg(CGraphFileWriter::kDefaultClientSize.height());
    QTest::newRow("window port") << kWindow << QStringList{"--help"} << "--port NAME"
                                 << "Simulator, the control box simulated inside Zentak";
    QTest::newRow("window splash") << kWindow << QStringList{"--help"} << "--no-splash"
                                   << "start-up picture";
}

void TestCliHelp::optionsSayUnitAndRange()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, term);
    QFETCH(QString, said);
    const QString help = RunProgram(program, arguments).out;
    QVERIFY2(OptionText(help, term).contains(said), qPrintable(help));
}

// The help and the parsers are separate texts: an option the help lists must
// be one the command knows.
void TestCliHelp::everyOptionListedIsKnown_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("option");
    const QRegularExpression optionEntry(QStringLiteral("^  (?:-\\w, )?(--?[\\w-]+)"),
                                         QRegularExpression::MultilineOption);
    for (const char* command : {"run", "show", "export", "resave", "render", "summary", "overlay",
                                "exclude", "include", "sensitivity", "firmware"}) {
        const QString help = RunProgram(kCli, {QLatin1String(command), "--help"}).out;
        auto it = optionEntry.globalMatch(help);
        while (it.hasNext()) {
            const QString option = it.next().captured(1);
            if (option != QLatin1String("--help"))
                QTest::addRow("%s %s", command, qPrintable(option)) << command << option;
        }
    }
}

void TestCliHelp::everyOptionListedIsKnown()
{
    QFETCH(QString, command);
    QFETCH(QString, option);
    const Printed printed = RunProgram(kCli, {command, option, "x", "y", "z"});
    // summary takes x, y and z for inputs it cannot read: 1; --odc-check
    // takes nothing beside its folder.
    const bool readsInputs = command == QLatin1String("summary") &&
                             option != QLatin1String("--group-by") &&
                             option != QLatin1String("--odc-check");
    QCOMPARE(printed.exitCode, readsInputs ? 1 : 2);
    QVERIFY2(!printed.err.contains(QLatin1String("nknown option")), qPrintable(printed.err));
}

void TestCliHelp::versionIsTheBuildsVersion_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("zentak-cli") << kCli << "zentak-cli";
    QTest::newRow("zentak") << kWindow << "zentak";
}

void TestCliHelp::versionIsTheBuildsVersion()
{
    QFETCH(QString, program);
    QFETCH(QString, name);
    const Printed printed = RunProgram(program, {"--version"});
    QCOMPARE(printed.exitCode, 0);
    QCOMPARE(printed.out, name + u' ' + QLatin1String(ZentakVersion::kNumber) + u'\n');
}

void TestCliHelp::badArgumentsStayOnStandardError_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << kCli << QStringList{};
    QTest::newRow("unknown command") << kCli << QStringList{"impact"};
    QTest::newRow("unknown run option") << kCli << QStringList{"run", "--speed", "3"};
    QTest::newRow("help on no command") << kCli << QStringList{"help", "impact"};
    QTest::newRow("window, unknown option")
        << kWindow << QStringList{"-platform", "offscreen", "--speed"};
}

void TestCliHelp::badArgumentsStayOnStandardError()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Printed printed = RunProgram(program, arguments);
    QCOMPARE(printed.exitCode, 2);
    QVERIFY(printed.out.isEmpty());
    QVERIFY2(printed.err.contains(QLatin1String("usage: zentak")), qPrintable(printed.err));
}

QTEST_GUILESS_MAIN(TestCliHelp)
#include "tst_cli_help.moc"

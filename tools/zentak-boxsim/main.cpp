// zentak-boxsim: the impactor's control box, simulated on a pseudo-terminal.
// Prints the device path to use as the port name, then answers on it until
// interrupted.

#include "CPtyBoxServer.h"
#include "core/program/CHelpText.h"
#include "core/program/ZentakVersion.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void RequestStop(int)
{
    g_stop = 1;
}

bool ReadInt(const QCommandLineParser& parser, const QString& name, int& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toInt(&ok);
    if (!ok)
        error = QStringLiteral("--%1: '%2' is not a number").arg(name, parser.value(name));
    return ok;
}

bool ReadOptions(const QCommandLineParser& parser, ControlBoxSimulator::Options& options,
                 QString& error)
{
    int seed = int(options.seed);
    if (!ReadInt(parser, QStringLiteral("release"), options.release, error) ||
        !ReadInt(parser, QStringLiteral("seed"), seed, error) ||
        !ReadInt(parser, QStringLiteral("sensitivity"), options.sensitivity, error))
        return false;
    options.seed = quint32(seed);
    if (options.release != 4 && options.release != 5) {
        error = QStringLiteral("--release: 4 or 5");
        return false;
    }
    if (parser.isSet(QStringLiteral("release-text")))
        options.releaseText = parser.value(QStringLiteral("release-text"));
    for (const QString& fault : parser.values(QStringLiteral("fault"))) {
        if (!options.AddFault(fault, &error))
            return false;
    }
    return true;
}

struct BoxOption {
    const char* name;
    const char* valueName;
    const char* meaning;
};

// The options, read by the parser and listed by --help alike.
const BoxOption kOptions[] = {
    {"release", "N", "Firmware release, 4 or 5 (default 5)."},
    {"seed", "N", "Seed of the sample noise, a whole number (default 1)."},
    {"sensitivity", "N",
     "Stored force sensitivity in mV/N times ten, a whole number (default 5431)."},
    {"release-text", "TEXT", "Release 5 text reported on identification (default R5.04)."},
    {"fault", "NAME", "Misbehave on purpose (Faults above); may be given more than once."},
    {"no-pace", nullptr, "Deliver bytes at once instead of at the line's speed."},
    {"until-stdin-closes", nullptr, "Also stop when standard input ends (for scripts)."},
};

QString HelpText()
{
    QList<CHelpText::Entry> options;
    for (const BoxOption& option : kOptions) {
        QString term = QStringLiteral("--") + QLatin1String(option.name);
        if (option.valueName)
            term += u' ' + QLatin1String(option.valueName);
        options.append({term, QLatin1String(option.meaning)});
    }
    options.append({QStringLiteral("-h, --help"), QStringLiteral("Print this help and exit.")});
    options.append({QStringLiteral("--version"), QStringLiteral("Print the version and exit.")});
    return CHelpText::Format(
        {QStringLiteral("zentak-boxsim [OPTIONS]")},
        {QStringLiteral("Simulates the impactor's control box on a pseudo-terminal. The first line "
                        "printed is the device to give Zentak as its port name; the box answers "
                        "there until interrupted."),
         QStringLiteral("Faults: ") + ControlBoxSimulator::FaultNames().join(QStringLiteral(", ")) +
             u'.'},
        {{QStringLiteral("Options"), options}});
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentak-boxsim"));

    QCommandLineParser parser;
    for (const BoxOption& option : kOptions)
        parser.addOption(QCommandLineOption(QLatin1String(option.name), QString(),
                                            QLatin1String(option.valueName)));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << "zentak-boxsim: " << parser.errorText()
                            << "\nusage: zentak-boxsim [OPTIONS]; --help lists them\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << HelpText();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        QTextStream(stdout) << "zentak-boxsim " << ZentakVersion::kNumber << '\n';
        return 0;
    }

    QTextStream out(stdout);
    QTextStream err(stderr);
    ControlBoxSimulator::Options options;
    QString error;
    if (!ReadOptions(parser, options, error)) {
        err << "zentak-boxsim: " << error << '\n';
        return 2;
    }

    ControlBoxSimulator box(options);
    CPtyBoxServer server(box, !parser.isSet(QStringLiteral("no-pace")));
    if (!server.Open()) {
        err << "zentak-boxsim: cannot create a pseudo-terminal: " << server.ErrorText() << '\n';
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    out << server.DevicePath() << Qt::endl;
    return server.Serve(g_stop, parser.isSet(QStringLiteral("until-stdin-closes")));
}

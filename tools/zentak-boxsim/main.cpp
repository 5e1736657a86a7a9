// zentak-boxsim: the impactor's control box, simulated on a pseudo-terminal.
// Prints the device path to use as the port name, then answers on it until
// interrupted.

#include "CPtyBoxServer.h"
#include "run/ControlBoxSimulator.h"

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

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentak-boxsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates the impactor's control box on a pseudo-terminal. The first line "
                       "printed is the device to give Zentak as its port name.\nFaults: ") +
        ControlBoxSimulator::FaultNames().join(QStringLiteral(", ")));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("release"), QStringLiteral("Firmware release, 4 or 5 (5)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Seed of the sample noise (1)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("sensitivity"),
                      QStringLiteral("Stored force sensitivity (5431)."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("release-text"),
                      QStringLiteral("Release 5 text reported on identification (R5.04)."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("fault"),
                      QStringLiteral("Misbehave on purpose; may be given more than once."),
                      QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("no-pace"),
                      QStringLiteral("Deliver bytes at once instead of at the line's speed.")});
    parser.addOption({QStringLiteral("until-stdin-closes"),
                      QStringLiteral("Also stop when standard input ends (for scripts).")});
    parser.process(app);

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

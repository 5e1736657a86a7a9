#include "CliCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

struct Subcommand {
    const char* name;
    const char* synopsis;
    std::function<int(const QStringList&)> run;
};

const QList<Subcommand>& Subcommands()
{
    static const QList<Subcommand> table = {
        {"show", CliCommands::kShowSynopsis, CliCommands::RunShow},
        {"export", CliCommands::kExportSynopsis, CliCommands::RunExport},
        {"resave", CliCommands::kResaveSynopsis, CliCommands::RunResave},
    };
    return table;
}

int Usage()
{
    QTextStream err(stderr);
    err << "usage: zentak-cli <command> [options]\n\ncommands:\n";
    for (const Subcommand& command : Subcommands())
        err << "  " << command.synopsis << '\n';
    return CliCommands::kExitBadArguments;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Zentak"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    const QString name = args.takeFirst();
    for (const Subcommand& command : Subcommands()) {
        if (name == QLatin1String(command.name))
            return command.run(args);
    }
    return Usage();
}

#include "cli/CliCommands.h"
#include "cli/CliHelp.h"
#include "core/program/CUserSettings.h"
#include "render/CGraphPainter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

struct Subcommand {
    const char* name;
    const char* synopsis;
    std::function<int(const QStringList&)> run;
    bool bDraws = false;  // draws pictures: needs fonts, never a display
};

const QList<Subcommand>& Subcommands()
{
    static const QList<Subcommand> table = {
        {"run", CliCommands::kRunSynopsis, CliCommands::Run},
        {"show", CliCommands::kShowSynopsis, CliCommands::RunShow},
        {"export", CliCommands::kExportSynopsis, CliCommands::RunExport},
        {"resave", CliCommands::kResaveSynopsis, CliCommands::RunResave},
        {"render", CliCommands::kRenderSynopsis, CliCommands::RunRender, true},
        {"log", CliCommands::kLogSynopsis, CliCommands::RunLog},
        {"summary", CliCommands::kSummarySynopsis, CliCommands::RunSummary},
        {"overlay", CliCommands::kOverlaySynopsis, CliCommands::RunOverlay, true},
        {"exclude", CliCommands::kExcludeSynopsis, CliCommands::RunExclude},
        {"include", CliCommands::kIncludeSynopsis, CliCommands::RunInclude},
        {"sensitivity", CliCommands::kSensitivitySynopsis, CliCommands::RunSensitivity},
        {"firmware", CliCommands::kFirmwareSynopsis, CliCommands::RunFirmware},
    };
    return table;
}

const Subcommand* FindSubcommand(const char* name)
{
    for (const Subcommand& command : Subcommands()) {
        if (qstrcmp(name, command.name) == 0)
            return &command;
    }
    return nullptr;
}

std::unique_ptr<QCoreApplication> MakeApplication(bool draws, int& argc, char** argv)
{
    if (!draws)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    CGraphPainter::SubstituteArial();
    return app;
}

int Usage()
{
    QTextStream err(stderr);
    err << "usage: zentak-cli <command> [options]\n\ncommands:\n";
    for (const Subcommand& command : Subcommands())
        err << "  " << command.synopsis << '\n';
    return CliCommands::kExitBadArguments;
}

bool IsHelpOption(const char* argument)
{
    return qstrcmp(argument, "--help") == 0 || qstrcmp(argument, "-h") == 0;
}

// --help anywhere after the command's name asks for that command's help.
bool AsksForCommandHelp(int argc, char* argv[])
{
    for (int i = 2; i < argc; ++i) {
        if (IsHelpOption(argv[i]))
            return true;
    }
    return false;
}

int Print(const QString& text)
{
    QTextStream(stdout) << text;
    return CliCommands::kExitSuccess;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && IsHelpOption(argv[1]))
        return Print(CliHelp::Program());
    if (argc > 1 && qstrcmp(argv[1], "--version") == 0)
        return Print(CliHelp::Version());
    const Subcommand* command = argc > 1 ? FindSubcommand(argv[1]) : nullptr;
    if (command && AsksForCommandHelp(argc, argv))
        return Print(CliHelp::Command(QLatin1String(command->name)));
    const std::unique_ptr<QCoreApplication> app =
        MakeApplication(command && command->bDraws, argc, argv);
    QCoreApplication::setApplicationName(CUserSettings::kApplication);
    if (!command)
        return Usage();
    return command->run(QCoreApplication::arguments().mid(2));
}

#include "cli/CCliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliVerbs.h"
#include "core/program/CUserSettings.h"
#include "render/CGraphPainter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {

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
        return Print(CliVerbs::ProgramHelp());
    if (argc > 1 && qstrcmp(argv[1], "--version") == 0)
        return Print(CliVerbs::Version());
    const CCliVerb* verb = argc > 1 ? CliVerbs::Find(QString::fromLocal8Bit(argv[1])) : nullptr;
    if (verb && AsksForCommandHelp(argc, argv))
        return Print(verb->Help());
    const std::unique_ptr<QCoreApplication> app = MakeApplication(verb && verb->bDraws, argc, argv);
    QCoreApplication::setApplicationName(CUserSettings::kApplication);
    const QStringList arguments = QCoreApplication::arguments();
    if (!verb)
        return CliCommands::BadArguments(
            QString(),
            argc > 1 ? QStringLiteral("unknown command '%1'").arg(arguments.at(1))
                     : QStringLiteral("no command given"),
            CliVerbs::ProgramUsage());
    CCliArguments parsed;
    const CCliArguments::Result result = parsed.Parse(*verb, arguments.mid(2));
    return result.ok ? verb->run(parsed) : parsed.BadArguments(result.message);
}

#include "cli/CCliArguments.h"
#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"

#include <QTextStream>

int CliCommands::RunResave(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    const QStringList& args = arguments.Operands();
    CCliRecord record;
    if (!record.Load(args[0]))
        return kExitFailure;
    // Saving writes the traces only when they count as data: a record that
    // did not load whole would lose samples in the new file.
    if (!record.LoadedWhole()) {
        err << args[0] << " did not load as a complete record; " << args[1]
            << " was not written.\n";
        return kExitFailure;
    }
    if (record.HoldsUnwritableSamples()) {
        err << args[0] << ' ' << record.WhyNoData() << ": a saved file would leave them out. "
            << args[1] << " was not written.\n";
        return kExitFailure;
    }
    if (!record.Doc().Save(args[1])) {
        err << record.Doc().FileErrorString() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}

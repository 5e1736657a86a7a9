#include "cli/CCliArguments.h"
#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// "run.exp" -> "run.csv" beside it.
QString DefaultCsvPath(const QString& experimentPath)
{
    const QFileInfo info(experimentPath);
    const QString name = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(name + QStringLiteral(".csv"));
}

bool SameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
           (QFileInfo::exists(b) &&
            QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath());
}

}  // namespace

int CliCommands::RunExport(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    const QString output = QStringLiteral("output");
    const QString input = arguments.Operands().constFirst();
    const QString csvPath =
        arguments.IsSet(output) ? arguments.Value(output) : DefaultCsvPath(input);
    if (SameFile(input, csvPath))
        return arguments.BadArguments(
            QStringLiteral("the CSV file would replace %1; choose another name with -o")
                .arg(input));
    CCliRecord record;
    if (!record.Load(input))
        return kExitFailure;
    if (!record.LoadedWhole()) {
        err << input << " did not load as a complete record; no CSV file was written.\n";
        return kExitFailure;
    }
    if (record.HoldsUnwritableSamples()) {
        err << input << ' ' << record.WhyNoData()
            << ": the CSV file would hold only its two header lines. No CSV file was written.\n";
        return kExitFailure;
    }
    if (!record.Doc().SaveCsv(csvPath)) {
        err << record.Doc().FileErrorString() << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}

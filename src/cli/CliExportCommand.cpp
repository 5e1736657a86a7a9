#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"

#include <QCommandLineParser>
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

int CliCommands::RunExport(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("CSV file to write."),
                                    QStringLiteral("OUT.csv"));
    parser.addOption(output);
    QTextStream err(stderr);
    if (!parser.parse(QStringList{QStringLiteral("export")} + args) ||
        parser.positionalArguments().size() != 1) {
        err << "usage: zentak-cli " << kExportSynopsis << '\n';
        return kExitBadArguments;
    }
    const QString input = parser.positionalArguments().constFirst();
    const QString csvPath = parser.isSet(output) ? parser.value(output) : DefaultCsvPath(input);
    if (SameFile(input, csvPath)) {
        err << "The CSV file would replace " << input << "; choose another name with -o.\n";
        return kExitBadArguments;
    }
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

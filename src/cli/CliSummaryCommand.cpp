#include "cli/CCliSummaryText.h"
#include "cli/CliCommands.h"
#include "cli/CliOptionRules.h"
#include "core/files/CRunLogReader.h"
#include "core/files/CWholeFileWrite.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CCohortSummary.h"
#include "core/quality/CQualitySettings.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

namespace {

struct SummaryOptions {
    QStringList inputs;
    QStringList runLogs;
    QString csvPath;
    bool bJson = false;
    QRegularExpression groupBy;
};

// Empty when the arguments are usable, else what is wrong.
QString ParseArguments(const QStringList& args, SummaryOptions& options)
{
    QCommandLineParser parser;
    const QCommandLineOption runLog(QStringLiteral("run-log"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("OUT"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption groupBy(QStringLiteral("group-by"), QString(),
                                     QStringLiteral("REGEX"));
    parser.addOptions({runLog, csv, json, groupBy});
    if (!parser.parse(QStringList{QStringLiteral("summary")} + args))
        return parser.errorText();
    options.inputs = parser.positionalArguments();
    options.runLogs = parser.values(runLog);
    options.csvPath = parser.value(csv);
    options.bJson = parser.isSet(json);
    if (parser.isSet(csv) && options.csvPath.isEmpty())
        return QStringLiteral("--csv needs a file name");
    const QString groupByProblem = CliOptionRules::GroupByProblem(parser, groupBy, options.groupBy);
    if (!groupByProblem.isEmpty())
        return groupByProblem;
    if (options.inputs.isEmpty() && options.runLogs.isEmpty())
        return QStringLiteral("no experiment files, folders or run logs given");
    return QString();
}

void Write(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

// Every input is read before anything is written, so the groups' figures
// come from the whole study.
int CliCommands::RunSummary(const QStringList& args)
{
    QTextStream err(stderr);
    SummaryOptions options;
    const QString problem = ParseArguments(args, options);
    if (!problem.isEmpty()) {
        err << "zentak-cli summary: " << problem << "\nusage: zentak-cli " << kSummarySynopsis
            << '\n';
        return kExitBadArguments;
    }

    CCohortSummary summary(CQualitySettings::Load(), CCohortGrouping(options.groupBy));
    CCohortReader reader([&summary](const CCohortReader::Run& run) { summary.Add(run); },
                         [&summary](const CCohortReader::Problem& p) { summary.Add(p); });
    reader.ReadPaths(options.inputs);
    for (const QString& log : options.runLogs)
        reader.ReadRunLog(log, CRunLogReader::DefaultIndexCacheFolder());
    const QString problems = CCliSummaryText::Problems(summary);
    if (!problems.isEmpty())
        err << "These gave no impact to summarise:\n" << problems;
    if (summary.Rows().isEmpty()) {
        err << "No impact to summarise; nothing was written.\n";
        return kExitFailure;
    }

    bool written = true;
    if (!options.csvPath.isEmpty()) {
        QString error;
        written = CWholeFileWrite::Replace(options.csvPath, CCliSummaryText::Csv(summary), error,
                                           options.runLogs);
        if (!written)
            err << error << '\n';
    }
    if (options.bJson)
        Write(CCliSummaryText::Json(summary));
    else if (options.csvPath.isEmpty())
        Write(CCliSummaryText::Table(summary).toLocal8Bit());
    return written && problems.isEmpty() ? kExitSuccess : kExitFailure;
}

#include "cli/CCliArguments.h"
#include "cli/CCliSummaryText.h"
#include "cli/CliCommands.h"
#include "cli/CliOptionRules.h"
#include "core/files/CRunLogReader.h"
#include "core/files/CWholeFileWrite.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CCohortSummary.h"
#include "core/quality/CQualitySettings.h"
#include "core/study/COdcChecker.h"
#include "core/study/COdcDataset.h"
#include "core/study/CSubjectTable.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

struct SummaryOptions {
    QStringList inputs;
    QStringList runLogs;
    QString csvPath;
    bool bJson = false;
    QRegularExpression groupBy;
    QString subjectsPath;
    QString odcDir;
    QString odcCheckDir;
};

// Empty when the arguments are usable, else what is wrong.
QString ReadOptions(const CCliArguments& arguments, SummaryOptions& options)
{
    options.inputs = arguments.Operands();
    options.runLogs = arguments.Values(QStringLiteral("run-log"));
    options.csvPath = arguments.Value(QStringLiteral("output"));
    options.bJson = arguments.IsSet(QStringLiteral("json"));
    options.subjectsPath = arguments.Value(QStringLiteral("subjects"));
    options.odcDir = arguments.Value(QStringLiteral("odc"));
    options.odcCheckDir = arguments.Value(QStringLiteral("odc-check"));
    if (arguments.IsSet(QStringLiteral("output")) && options.csvPath.isEmpty())
        return QStringLiteral("-o needs a file name");
    if (arguments.IsSet(QStringLiteral("odc-check")))
        return QString();
    const QString groupByProblem = CliOptionRules::GroupByProblem(arguments, options.groupBy);
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

// --subjects, else the first subjects.csv of a folder given; empty for none.
QString SubjectsPath(const SummaryOptions& options)
{
    if (!options.subjectsPath.isEmpty())
        return options.subjectsPath;
    for (const QString& input : options.inputs) {
        const QString path = QDir(input).filePath(QLatin1String(CSubjectTable::kFileName));
        if (QFileInfo(input).isDir() && QFileInfo::exists(path))
            return path;
    }
    return QString();
}

// The impacts and the subjects that did not meet, for the operator to see.
QString JoinNotes(const CCohortSummary& summary, CSubjectTable& subjects)
{
    QStringList absent;
    for (const CCohortSummary::Row& row : summary.Rows()) {
        if (!subjects.Find(row.subject))
            absent.append(
                QStringLiteral("  %1%2 (subject \"%3\")")
                    .arg(row.source,
                         row.entry > 0 ? QStringLiteral(" entry %1").arg(row.entry) : QString(),
                         row.subject));
    }
    QString text;
    if (!absent.isEmpty())
        text += QStringLiteral("Impacts whose subject is not in the subjects table:\n") +
                absent.join(u'\n') + u'\n';
    const QStringList unjoined = subjects.Unjoined();
    if (!unjoined.isEmpty())
        text += QStringLiteral("Subjects with no impact: ") + unjoined.join(QStringLiteral(", ")) +
                u'\n';
    return text;
}

bool WriteOdc(const QString& dir, const COdcDataset::Tables& tables, QTextStream& err)
{
    const QStringList problems = COdcChecker::Check(tables.dataset, tables.dictionary);
    if (!problems.isEmpty()) {
        err << "The export breaks the data commons' rules; nothing was written:\n  "
            << problems.join(QStringLiteral("\n  ")) << '\n';
        return false;
    }
    QString error;
    const bool written =
        QDir().mkpath(dir) &&
        CWholeFileWrite::Replace(QDir(dir).filePath(QLatin1String(COdcDataset::kDatasetFile)),
                                 tables.dataset.Text().toUtf8(), error) &&
        CWholeFileWrite::Replace(QDir(dir).filePath(QLatin1String(COdcDataset::kDictionaryFile)),
                                 tables.dictionary.Text().toUtf8(), error);
    if (!written) {
        err << (error.isEmpty() ? QStringLiteral("Cannot make the folder ") + dir : error) << '\n';
        return false;
    }
    const QStringList unasked = COdcDataset::Unasked(tables.dataset);
    if (!unasked.isEmpty())
        err << "The commons also asks for: " << unasked.join(QStringLiteral(", "))
            << " (add them to the subjects table).\n";
    return true;
}

int CheckOdc(const QString& dir)
{
    QTextStream err(stderr);
    CCsvTable dataset;
    CCsvTable dictionary;
    for (const auto& [name, table] : {std::pair{COdcDataset::kDatasetFile, &dataset},
                                      std::pair{COdcDataset::kDictionaryFile, &dictionary}}) {
        const CCsvTable::Result read =
            CCsvTable::Read(QDir(dir).filePath(QLatin1String(name)), *table);
        if (!read.ok) {
            err << read.message << '\n';
            return CliCommands::kExitFailure;
        }
    }
    const QStringList problems = COdcChecker::Check(dataset, dictionary);
    if (!problems.isEmpty()) {
        err << problems.join(u'\n') << '\n';
        return CliCommands::kExitFailure;
    }
    QTextStream(stdout) << dir
                        << ": the dataset and its dictionary meet the data commons' rules.\n";
    return CliCommands::kExitSuccess;
}

}  // namespace

// Every input is read before anything is written, so the groups' figures
// come from the whole study.
int CliCommands::RunSummary(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    SummaryOptions options;
    const QString problem = ReadOptions(arguments, options);
    if (!problem.isEmpty())
        return arguments.BadArguments(problem);
    if (!options.odcCheckDir.isEmpty())
        return CheckOdc(options.odcCheckDir);

    CSubjectTable subjects;
    const QString subjectsPath = SubjectsPath(options);
    if (!subjectsPath.isEmpty()) {
        const CCsvTable::Result loaded = subjects.Load(subjectsPath);
        if (!loaded.ok) {
            err << loaded.message << "\nNothing was written.\n";
            return kExitFailure;
        }
    }

    CStudyDecisions decisions;
    CCohortSummary summary(CQualitySettings::Load(), CCohortGrouping(options.groupBy));
    summary.SetDecisions(&decisions);
    CCohortReader reader([&summary](const CCohortReader::Run& run) { summary.Add(run); },
                         [&summary](const CCohortReader::Problem& p) { summary.Add(p); });
    reader.ReadPaths(options.inputs);
    for (const QString& log : options.runLogs)
        reader.ReadRunLog(log, CRunLogReader::DefaultIndexCacheFolder());
    const QString problems = CCliSummaryText::Problems(summary);
    if (!problems.isEmpty())
        err << "These gave no impact to summarise:\n" << problems;
    for (const QString& unread : decisions.Problems())
        err << unread << '\n';
    if (summary.HasDecisions())
        err << "Decisions:\n" << CCliSummaryText::Decisions(summary);
    if (summary.Rows().isEmpty()) {
        err << "No impact to summarise; nothing was written.\n";
        return kExitFailure;
    }
    if (!subjectsPath.isEmpty())
        err << JoinNotes(summary, subjects);

    bool written = true;
    if (!options.odcDir.isEmpty())
        written = WriteOdc(
            options.odcDir,
            COdcDataset::Build(summary.Rows(), subjectsPath.isEmpty() ? nullptr : &subjects), err);
    if (!options.csvPath.isEmpty() && written) {
        QString error;
        written = CWholeFileWrite::Replace(options.csvPath, CCliSummaryText::Csv(summary), error,
                                           options.runLogs);
        if (!written)
            err << error << '\n';
    }
    if (options.bJson)
        Write(CCliSummaryText::Json(summary));
    else if (options.csvPath.isEmpty() && options.odcDir.isEmpty())
        Write(CCliSummaryText::Table(summary).toLocal8Bit());
    const bool decisionsRead = decisions.Problems().isEmpty();
    return written && problems.isEmpty() && decisionsRead ? kExitSuccess : kExitFailure;
}

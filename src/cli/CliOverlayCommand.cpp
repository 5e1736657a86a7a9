#include "cli/CCliArguments.h"
#include "cli/CCliSummaryText.h"
#include "cli/CliCommands.h"
#include "cli/CliOptionRules.h"
#include "core/quality/CCohortGrouping.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/record/CRunStamp.h"
#include "render/COverlayFileWriter.h"

#include <QHash>
#include <QTextStream>

namespace {

const QString kAllImpacts = QStringLiteral("All impacts");

struct OverlayOptions {
    QStringList inputs;
    QString output;
    bool bPdf = false;
    QRegularExpression groupBy;
};

// Empty when the arguments are usable, else what is wrong.
QString ReadOptions(const CCliArguments& arguments, OverlayOptions& options)
{
    options.inputs = arguments.Operands();
    options.output = arguments.Value(QStringLiteral("output"));
    const QString groupByProblem = CliOptionRules::GroupByProblem(arguments, options.groupBy);
    if (!groupByProblem.isEmpty())
        return groupByProblem;
    if (options.inputs.isEmpty())
        return QStringLiteral("no experiment files or folders given");
    return CliOptionRules::PictureOutputProblem(options.output, options.bPdf);
}

}  // namespace

int CliCommands::RunOverlay(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    OverlayOptions options;
    const QString problem = ReadOptions(arguments, options);
    if (!problem.isEmpty())
        return arguments.BadArguments(problem);

    const CCohortGrouping grouping(options.groupBy);
    const CQualityThresholds thresholds = CQualitySettings::Load();
    QList<COverlayPainter::Group> groups;
    QHash<QString, qsizetype> index;
    QStringList problems;
    CStudyDecisions decisions;
    QString decided;
    const auto addRun = [&](const CCohortReader::Run& run) {
        COverlayPainter::Trace trace = COverlayPainter::TraceOf(run.record);
        if (trace.timeMs.isEmpty()) {
            problems.append(run.source + QStringLiteral(": Its samples carry no times (no step "
                                                        "counts), so it has no place on a time "
                                                        "axis."));
            return;
        }
        const QString name =
            grouping.Grouped()
                ? grouping.GroupOf(CRunStamp::SubjectOf(run.record.m_strComments), run.source)
                : kAllImpacts;
        auto found = index.constFind(name);
        if (found == index.cend()) {
            found = index.insert(name, groups.size());
            groups.append({name, {}});
        }
        const CQualityVerdict verdict =
            CQualityCheck::Judge(run.record, thresholds).value_or(CQualityVerdict());
        const std::optional<CStudyDecisions::Decision> decision =
            decisions.Find(run.source, run.entry);
        if (decision)
            decided += CCliSummaryText::DecisionLine(run.source, run.entry, *decision, verdict);
        trace.bFlagged = !CStudyDecisions::Included(verdict.Passed(), decision);
        groups[*found].traces.append(trace);
    };
    CCohortReader reader(addRun, [&problems](const CCohortReader::Problem& p) {
        problems.append(p.source + QStringLiteral(": ") + p.reason);
    });
    reader.ReadPaths(options.inputs);
    problems += decisions.Problems();
    if (!decided.isEmpty())
        err << "Decisions:\n" << decided;
    if (!problems.isEmpty())
        err << "These gave no impact to draw:\n" << problems.join(u'\n') << '\n';
    if (groups.isEmpty()) {
        err << "No impact to draw; nothing was written.\n";
        return kExitFailure;
    }

    QString error;
    const bool written = options.bPdf
                             ? COverlayFileWriter::WritePdf(groups, options.output, &error)
                             : COverlayFileWriter::WritePng(groups, options.output, &error);
    if (!written)
        err << error << '\n';
    return written && problems.isEmpty() ? kExitSuccess : kExitFailure;
}

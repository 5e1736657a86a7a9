#include "cli/CCliArguments.h"
#include "cli/CCliSummaryText.h"
#include "cli/CliCommands.h"
#include "core/files/CRunLogReader.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/study/CStudyDecisions.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

using Kind = CStudyDecisions::Kind;

struct DecisionTarget {
    QString source;
    int entry = 0;
};

// Empty when the arguments are usable, else what is wrong.
QString ReadTarget(const CCliArguments& arguments, DecisionTarget& target)
{
    const QString runLog = QStringLiteral("run-log");
    const QString entry = QStringLiteral("entry");
    const QStringList& files = arguments.Operands();
    if (arguments.IsSet(runLog) != arguments.IsSet(entry))
        return QStringLiteral("--run-log and --entry go together");
    if (arguments.IsSet(runLog) == !files.isEmpty())
        return QStringLiteral("name one experiment file, or --run-log PATH --entry N");
    if (!arguments.IsSet(runLog)) {
        target.source = files.constFirst();
        return QString();
    }
    bool ok = false;
    target.source = arguments.Value(runLog);
    target.entry = arguments.Value(entry).toInt(&ok);
    return ok && target.entry > 0 ? QString()
                                  : QStringLiteral("--entry needs an entry number, 1 the oldest");
}

// The impact the target names, or why it names none.
QString ReadImpact(const DecisionTarget& target, CImpactRecord& record)
{
    if (target.entry == 0) {
        if (QFileInfo(target.source).isDir())
            return QStringLiteral("%1 is a folder; a decision is on one impact.")
                .arg(target.source);
        QString why;
        CCohortReader reader([&record](const CCohortReader::Run& run) { record = run.record; },
                             [&why](const CCohortReader::Problem& p) { why = p.reason; });
        reader.ReadPaths({target.source});
        return why.isEmpty() ? QString() : target.source + QStringLiteral(": ") + why;
    }
    CRunLogReader log;
    QString error;
    if (log.Open(target.source, error) != CRunLogReader::OpenResult::Opened)
        return error;
    if (target.entry > log.Entries().size())
        return QStringLiteral("%1 has %2 entries; there is no entry %3.")
            .arg(target.source)
            .arg(log.Entries().size())
            .arg(target.entry);
    const QString why = CCohortReader::ReadLogEntry(log, target.entry - 1, record);
    return why.isEmpty()
               ? QString()
               : QStringLiteral("%1 entry %2: %3").arg(target.source).arg(target.entry).arg(why);
}

int Decide(Kind kind, const CCliArguments& arguments)
{
    QTextStream err(stderr);
    DecisionTarget target;
    const QString reason = arguments.Value(QStringLiteral("reason"));
    QString problem = ReadTarget(arguments, target);
    if (problem.isEmpty())
        problem = CStudyDecisions::ReasonRefusal(reason);
    if (!problem.isEmpty())
        return arguments.BadArguments(problem);
    CImpactRecord record;
    const QString why = ReadImpact(target, record);
    if (!why.isEmpty()) {
        err << why << "\nNo decision was recorded.\n";
        return CliCommands::kExitFailure;
    }
    const CStudyDecisions::Decision decision{
        kind, reason.trimmed(), CStudyDecisions::OperatorName(), QDateTime::currentDateTimeUtc()};
    const CStudyDecisions::Result result =
        CStudyDecisions::Append(target.source, target.entry, decision);
    if (!result.ok) {
        err << result.message << '\n';
        return CliCommands::kExitFailure;
    }
    const CQualityVerdict verdict =
        CQualityCheck::Judge(record, CQualitySettings::Load()).value_or(CQualityVerdict());
    QTextStream(stdout) << CCliSummaryText::DecisionLine(target.source, target.entry, decision,
                                                         verdict)
                        << "Recorded in " << CStudyDecisions::PathFor(target.source) << '\n';
    return CliCommands::kExitSuccess;
}

}  // namespace

int CliCommands::RunExclude(const CCliArguments& arguments)
{
    return Decide(Kind::Exclude, arguments);
}

int CliCommands::RunInclude(const CCliArguments& arguments)
{
    return Decide(Kind::Include, arguments);
}

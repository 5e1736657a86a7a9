#include "cli/CCliSummaryText.h"
#include "cli/CliCommands.h"
#include "core/files/CRunLogReader.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/study/CStudyDecisions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace {

using Kind = CStudyDecisions::Kind;

struct DecisionTarget {
    QString source;
    int entry = 0;
};

// Empty when the arguments are usable, else what is wrong.
QString ParseArguments(const QString& name, const QStringList& args, DecisionTarget& target,
                       QString& reason)
{
    QCommandLineParser parser;
    const QCommandLineOption runLog(QStringLiteral("run-log"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption entry(QStringLiteral("entry"), QString(), QStringLiteral("N"));
    const QCommandLineOption reasonOption(QStringLiteral("reason"), QString(),
                                          QStringLiteral("TEXT"));
    parser.addOptions({runLog, entry, reasonOption});
    if (!parser.parse(QStringList{name} + args))
        return parser.errorText();
    reason = parser.value(reasonOption);
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(runLog) != parser.isSet(entry))
        return QStringLiteral("--run-log and --entry go together");
    if (parser.isSet(runLog) == !files.isEmpty() || files.size() > 1)
        return QStringLiteral("name one experiment file, or --run-log PATH --entry N");
    if (!parser.isSet(runLog)) {
        target.source = files.constFirst();
        return QString();
    }
    bool ok = false;
    target.source = parser.value(runLog);
    target.entry = parser.value(entry).toInt(&ok);
    return ok && target.entry > 0 ? QString()
                                  : QStringLiteral("--entry needs an entry number, 1 the oldest");
}

// The impact the target names, or why it names none.
QString ReadTarget(const DecisionTarget& target, CImpactRecord& record)
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

int Decide(Kind kind, const QStringList& args)
{
    QTextStream err(stderr);
    const QString name = CStudyDecisions::KindText(kind);
    DecisionTarget target;
    QString reason;
    QString problem = ParseArguments(name, args, target, reason);
    if (problem.isEmpty())
        problem = CStudyDecisions::ReasonRefusal(reason);
    if (!problem.isEmpty()) {
        err << "zentak-cli " << name << ": " << problem << "\nusage: zentak-cli "
            << (kind == Kind::Exclude ? CliCommands::kExcludeSynopsis
                                      : CliCommands::kIncludeSynopsis)
            << '\n';
        return CliCommands::kExitBadArguments;
    }
    CImpactRecord record;
    const QString why = ReadTarget(target, record);
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

int CliCommands::RunExclude(const QStringList& args)
{
    return Decide(Kind::Exclude, args);
}

int CliCommands::RunInclude(const QStringList& args)
{
    return Decide(Kind::Include, args);
}

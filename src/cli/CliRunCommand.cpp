#include "cli/CliRunCommand.h"

#include "cli/CCliArguments.h"
#include "cli/CCliPrompt.h"
#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "cli/CliQuality.h"
#include "core/CZentakDoc.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/files/COutputTarget.h"
#include "core/files/CUnloggedRunFile.h"
#include "core/protocol/CExperimentDialogue.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/CRunOutcome.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/record/CDesiredValueRules.h"
#include "core/record/CImpactMeasures.h"
#include "core/record/CRunSubject.h"

#include <QDateTime>
#include <QDir>
#include <QJsonObject>
#include <QTextStream>

namespace {

// A desired value by the control panel's rules; the panel's message on failure.
bool ReadDesired(const CCliArguments& arguments, const QString& name,
                 std::optional<CDesiredValueRules::Range> range, int& value, QString& error)
{
    if (!arguments.IsSet(name))
        return true;
    const QString message = CDesiredValueRules::Check(arguments.Value(name), range, value);
    if (!message.isEmpty())
        error = QStringLiteral("--%1: %2").arg(name, message);
    return message.isEmpty();
}

// The terminal operator, who also sees the download go on: once the impact is
// confirmed, a dot for every second spent waiting on the box.
class CRunPrompt : public CCliPrompt
{
public:
    using CCliPrompt::CCliPrompt;

    bool AskYesNo(const QString& text) override
    {
        const bool yes = CCliPrompt::AskYesNo(text);
        m_bDownloading = yes && text.startsWith(CExperimentDialogue::kImpactNow);
        return yes;
    }

    void ShowProgress(qint64 nowMs)
    {
        if (!m_bDownloading)
            return;
        if (m_nNextDotMs < 0) {
            Err() << "Downloading the samples";
            m_nNextDotMs = nowMs + kDotMs;
        } else if (nowMs >= m_nNextDotMs) {
            Err() << '.';
            m_nNextDotMs += kDotMs;
        }
        Err().flush();
    }

    void EndProgress()
    {
        if (m_nNextDotMs >= 0)
            Err() << '\n';
        Err().flush();
        m_bDownloading = false;
        m_nNextDotMs = -1;
    }

private:
    static constexpr qint64 kDotMs = 1000;
    bool m_bDownloading = false;
    qint64 m_nNextDotMs = -1;
};

void PrintOutcome(const CImpactRecord& record, bool json)
{
    const std::optional<CQualityVerdict> verdict =
        CQualityCheck::Judge(record, CQualitySettings::Load());
    if (json) {
        CliQuality::PrintJson(
            {{QStringLiteral("actualForce"), record.m_nActualForce},
             {QStringLiteral("actualDisplacement"), record.m_nActualDisp},
             {QStringLiteral("actualVelocity"), record.m_nActualVelocity},
             {QStringLiteral("downSamples"), qint64(record.m_arrDispDown.size())},
             {QStringLiteral("upSamples"), qint64(record.m_arrDispUp.size())},
             {QStringLiteral("qc"), CQualityVerdict::Json(verdict)},
             {QStringLiteral("measures"), CliQuality::MeasuresJson(CImpactMeasures::Of(record))}});
        return;
    }
    QTextStream out(stdout);
    out << "Actual Force: " << record.m_nActualForce << '\n'
        << "Actual Displacement: " << record.m_nActualDisp << '\n'
        << "Actual Velocity: " << record.m_nActualVelocity << '\n'
        << "Down Samples: " << record.m_arrDispDown.size() << '\n'
        << "Up Samples: " << record.m_arrDispUp.size() << '\n'
        << CliQuality::Text(verdict) << '\n';
    out.flush();
}

}  // namespace

std::optional<CCliRunCommand::Request> CCliRunCommand::Parse(const CCliArguments& arguments,
                                                             QString& error)
{
    // No animal is struck by a default force.
    if (!arguments.IsSet("force")) {
        error = QStringLiteral("--force is required");
        return std::nullopt;
    }

    Request request;
    request.answerYes = arguments.IsSet("yes");
    request.bJson = arguments.IsSet("json");
    request.outPath = arguments.Value("output");
    request.csvPath = arguments.Value("csv");
    request.runLogPath = arguments.Value("run-log");
    request.subject = CRunSubject::Normalized(arguments.Value("subject"));
    const QString subjectRefusal = CRunSubject::Refusal(request.subject);
    if (!subjectRefusal.isEmpty()) {
        error = QStringLiteral("--subject: ") + subjectRefusal;
        return std::nullopt;
    }

    QString mode = QStringLiteral("force");
    const bool valid =
        ReadDesired(arguments, "force", CDesiredValueRules::kForceRange, request.force, error) &&
        ReadDesired(arguments, "velocity", CDesiredValueRules::kVelocityRange, request.velocity,
                    error) &&
        ReadDesired(arguments, "disp", std::nullopt, request.displacement, error) &&
        ReadDesired(arguments, "dwell", CDesiredValueRules::kDwellRange, request.dwell, error) &&
        CCliSerialOptions::ReadChoice(arguments, "mode", {"force", "displacement"}, mode, error) &&
        CCliSerialOptions::Read(arguments, request.serial, error);
    if (!valid)
        return std::nullopt;
    request.mode = mode == QLatin1String("force") ? CExperimentDialogue::kModeForce
                                                  : CExperimentDialogue::kModeDisplacement;
    return request;
}

int CCliRunCommand::Run(const CCliArguments& arguments)
{
    QString error;
    const std::optional<Request> request = Parse(arguments, error);
    return request ? Execute(*request) : arguments.BadArguments(error);
}

int CCliRunCommand::Execute(const Request& request)
{
    CRunPrompt prompt(request.answerYes);
    const CSerialSettings& settings = request.serial;
    CSystemClock clock;
    clock.SetWaitHook([&prompt, &clock] { prompt.ShowProgress(clock.NowMs()); });
    CPortFactory factory;
    CZentakDoc doc;
    if (!request.runLogPath.isEmpty())
        doc.SetRunLogPath(request.runLogPath);
    doc.OnNewDocument();
    CImpactRecord& record = doc.EditRecord();
    record.m_nDesiredForce = request.force;
    record.m_nDesiredDisp = request.displacement;
    record.m_nDesiredVelocity = request.velocity;
    record.m_nDesiredDwell = request.dwell;

    const QString refusal = TargetsRefusal(doc, request);
    if (!refusal.isEmpty()) {
        prompt.ShowMessage(refusal, COperatorPrompt::Icon::Exclamation);
        return CliCommands::kExitFailure;
    }
    prompt.Err() << "Running one impact on " << settings.m_strPort << "...\n";
    prompt.Err().flush();
    const CRunOutcome::Kind outcome = CImpactRun(factory, clock, prompt)
                                          .Run(settings, request.mode, record, request.subject)
                                          .outcome;
    prompt.EndProgress();

    if (!CRunOutcome::ImpactMade(outcome)) {
        const QString message = CRunOutcome::Message(outcome, settings.m_strPort);
        if (!message.isEmpty())
            prompt.ShowMessage(message, COperatorPrompt::Icon::Exclamation);
        return CliCommands::kExitFailure;
    }
    // The impact was made: when the run log cannot take it, the operator is
    // told, and the run is kept in a file of its own and still saved where asked.
    const QDateTime stamp = QDateTime::currentDateTime();
    const bool logged = doc.CompleteRun(stamp, request.subject);
    if (!logged) {
        prompt.ShowMessage(doc.FileErrorString(), COperatorPrompt::Icon::Exclamation);
        KeepUnloggedRun(record, stamp, prompt);
    }
    const bool saved = SaveWhereAsked(doc, request, prompt);
    PrintOutcome(record, request.bJson);
    if (outcome == CRunOutcome::Kind::CutShort) {
        prompt.ShowMessage(CRunOutcome::CutShortMessage(record),
                           COperatorPrompt::Icon::Exclamation);
        return CliCommands::kExitFailure;
    }
    return logged && saved ? CliCommands::kExitSuccess : CliCommands::kExitFailure;
}

QString CCliRunCommand::TargetsRefusal(const CZentakDoc& doc, const Request& request)
{
    const COutputTarget::Result log = COutputTarget::CheckRunLog(doc.RunLogPath());
    if (!log.Usable())
        return log.message;
    for (const QString& path : {request.outPath, request.csvPath}) {
        if (path.isEmpty())
            continue;
        const COutputTarget::Result target = COutputTarget::Check(path, {doc.RunLogPath()});
        if (!target.Usable())
            return target.message;
    }
    return QString();
}

void CCliRunCommand::KeepUnloggedRun(const CImpactRecord& record, const QDateTime& stamp,
                                     COperatorPrompt& prompt)
{
    QStringList reasons;
    const QString path = CUnloggedRunFile::Save(record, stamp, reasons);
    if (!path.isEmpty()) {
        prompt.ShowMessage(QStringLiteral("This run was saved to a file of its own instead:\n") +
                               QDir::toNativeSeparators(path),
                           COperatorPrompt::Icon::Exclamation);
        return;
    }
    prompt.ShowMessage(
        QStringLiteral("This run could not be saved to a file of its own either:\n") +
            reasons.join(QLatin1Char('\n')),
        COperatorPrompt::Icon::Exclamation);
}

bool CCliRunCommand::SaveWhereAsked(CZentakDoc& doc, const Request& request,
                                    COperatorPrompt& prompt)
{
    bool saved = true;
    if (!request.outPath.isEmpty() && !doc.Save(request.outPath)) {
        prompt.ShowMessage(doc.FileErrorString(), COperatorPrompt::Icon::Exclamation);
        saved = false;
    }
    if (!request.csvPath.isEmpty() && !doc.SaveCsv(request.csvPath)) {
        prompt.ShowMessage(doc.FileErrorString(), COperatorPrompt::Icon::Exclamation);
        saved = false;
    }
    return saved;
}

int CliCommands::Run(const CCliArguments& arguments)
{
    return CCliRunCommand::Run(arguments);
}

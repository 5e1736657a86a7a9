#include "core/protocol/CExperimentDialogue.h"

#include "core/device/CRunProgress.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/record/CBoxWords.h"
#include "core/record/CTextRules.h"

#include <QRegularExpression>

namespace {

// "%d\n" of the value; the product is formed wide so no input can overflow it.
QString Decimal(qint64 value)
{
    return QString::number(value) + u'\n';
}

bool AnyText(const QStringList& chunks)
{
    for (const QString& chunk : chunks) {
        if (!CTextRules::Trimmed(chunk).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

CExperimentDialogue::CExperimentDialogue(CSerialLink& link, COperatorPrompt& prompt)
    : m_rLink(link), m_rPrompt(prompt)
{
}

QString CExperimentDialogue::ReleaseText(const QString& reply)
{
    const qsizetype mark = reply.indexOf(CBoxWords::kRelease5Mark);
    const qsizetype dash = reply.indexOf(u'-');
    const qsizetype count = dash - mark - 1;
    if (mark < 0 || count <= 0)
        return QString();
    // The text becomes one line of every file saved from the run: a line
    // break inside it would split that line and corrupt the file's layout.
    const QString text = reply.mid(mark, count);
    const qsizetype lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return lineEnd < 0 ? text : text.first(lineEnd);
}

int CExperimentDialogue::SensitivityValue(const QString& reply)
{
    const qsizetype open = reply.indexOf(u'(');
    const qsizetype close = reply.indexOf(u')');
    const qsizetype count = close - open;
    if (count < 0)
        return 0;
    return CTextRules::LeadingInt(QStringView(reply).sliced(open + 1, count));
}

CExperimentDialogue::Result CExperimentDialogue::Run(const DesiredValues& desired, int mode)
{
    m_result = Result();
    m_strRxText.clear();
    m_nUnanswered = 0;
    if (mode != kModeForce) {
        m_rPrompt.ShowMessage(kDisplacementUnavailable, COperatorPrompt::Icon::Exclamation);
        m_result.outcome = CRunOutcome::Kind::ModeRefused;
        return m_result;
    }
    const std::optional<CRunOutcome::Kind> asleep = WakeUp();
    m_result.outcome = asleep ? *asleep : PromptLoop(desired);
    return m_result;
}

// Why the box cannot be led through an impact, or nothing when it can.
std::optional<CRunOutcome::Kind> CExperimentDialogue::WakeUp()
{
    if (!m_rLink.Exchange(QStringLiteral("\n\n\n")))
        return CRunOutcome::Kind::NotResponding;
    m_strRxText = CTextRules::Trimmed(m_rLink.ReplyText());
    if (m_strRxText.isEmpty() && !ProbeUntilAwake())
        return CRunOutcome::Kind::NotResponding;
    if (m_strRxText.contains(CBoxWords::kReturning))
        return CRunOutcome::Kind::FirmwareUnusable;
    return std::nullopt;
}

// A box that only wakes after the fourth probe is not trusted with an impact.
bool CExperimentDialogue::ProbeUntilAwake()
{
    for (int probe = 1; probe <= kWakeProbes; ++probe) {
        m_rLink.ExchangeSlow(QStringLiteral("\n"));
        m_strRxText = CTextRules::Trimmed(m_rLink.ReplyText());
        if (!m_strRxText.isEmpty())
            return probe <= kUsableWakeProbes;
    }
    return false;
}

CRunOutcome::Kind CExperimentDialogue::PromptLoop(const DesiredValues& desired)
{
    for (int pass = 0; pass < kMaxPromptPasses; ++pass) {
        const QString& reply = m_strRxText;
        if (reply.contains(CBoxWords::kModePrompt) && m_result.firmwareRelease == 0) {
            Answer(QStringLiteral("57\n"));
            Identify();
        } else if (reply.contains(CBoxWords::kModePrompt)) {
            Answer(QStringLiteral("54\n"));
        } else if (reply.contains(CBoxWords::kForcePrompt)) {
            Answer(Decimal(qint64(desired.forceKdyn) * 10));
        } else if (reply.contains(CBoxWords::kDisplacementPrompt)) {
            Answer(Decimal(desired.displacementMicrons));
        } else if (reply.contains(CBoxWords::kVelocityPrompt)) {
            Answer(Decimal(desired.velocityMmPerS));
        } else if (reply.contains(CBoxWords::kDwellPrompt)) {
            Answer(Decimal(desired.dwellS), Speed::Slow);
        } else if (reply.contains(CBoxWords::kGoAheadPrompt)) {
            return ConfirmAndImpact();
        } else {
            return CRunOutcome::Kind::NotResponding;
        }
        if (m_nUnanswered >= kMaxUnansweredExchanges)
            return CRunOutcome::Kind::NotResponding;
    }
    return CRunOutcome::Kind::NotResponding;
}

// The reply is taken whether or not the box answered: an unanswered exchange
// leaves the previous reply in the link, and its prompt is answered again.
void CExperimentDialogue::Answer(const QString& text, Speed speed)
{
    const bool answered =
        speed == Speed::Slow ? m_rLink.ExchangeSlow(text) : m_rLink.Exchange(text);
    m_nUnanswered = answered ? 0 : m_nUnanswered + 1;
    m_strRxText = m_rLink.ReplyText();
}

void CExperimentDialogue::Identify()
{
    const QString& reply = m_strRxText;
    if (reply.contains(CBoxWords::kForcePrompt)) {
        m_result.firmwareRelease = 4;
        m_result.firmwareVersion = QStringLiteral("R4.x");
        // Release 4 took "57" as the start of an impact; the empty answer
        // keeps it at the force prompt, which the loop answers next.
        m_rLink.Exchange(QStringLiteral("\n"));
    }
    if (reply.contains(CBoxWords::kRelease5Mark)) {
        m_result.firmwareRelease = 5;
        m_result.firmwareVersion = ReleaseText(reply);
        m_result.sensitivity = SensitivityValue(reply);
        if (m_result.sensitivity < kMinSensitivity || m_result.sensitivity > kMaxSensitivity)
            m_rPrompt.ShowMessage(kSensitivityOutOfRange, COperatorPrompt::Icon::Exclamation);
    }
}

CRunOutcome::Kind CExperimentDialogue::ConfirmAndImpact()
{
    if (m_result.firmwareRelease == 4 && !OperatorConfirms(kRelease4Question))
        return Abort();
    const QString impactNow = m_strImpactSummary.isEmpty()
                                  ? kImpactNow
                                  : kImpactNow + QLatin1Char('\n') + m_strImpactSummary;
    if (!OperatorConfirms(impactNow))
        return Abort();
    QStringList chunks;
    m_rLink.CollectRunData(chunks);
    // Nothing but silence after the go-ahead: the box or the cable is gone,
    // which is no completed impact.
    if (!AnyText(chunks))
        return CRunOutcome::Kind::NotResponding;
    m_result.chunks = chunks;
    // The impact was made: what arrived is kept, and the caller says the rest is missing.
    return m_rLink.RunDataComplete() ? CRunOutcome::Kind::Completed : CRunOutcome::Kind::CutShort;
}

bool CExperimentDialogue::OperatorConfirms(const QString& question)
{
    if (m_pProgress)
        m_pProgress->ShowRunStatus(CRunProgress::kWaitingForOperator);
    return m_rPrompt.AskYesNo(question);
}

// The box is left at rest at its mode prompt.
CRunOutcome::Kind CExperimentDialogue::Abort()
{
    m_rPrompt.ShowMessage(kImpactAborted, COperatorPrompt::Icon::Exclamation);
    m_rLink.Exchange(QStringLiteral("\n\n\n"));
    return CRunOutcome::Kind::Aborted;
}

#include "core/protocol/CExperimentDialogue.h"

#include "core/CZentakDoc.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/record/CTextRules.h"

#include <QRegularExpression>

namespace {

const QString kReturningText = QStringLiteral("returning to normal operation");
const QString kModePrompt = QStringLiteral("Enter Mode");
const QString kForcePrompt = QStringLiteral("Enter Force");
const QString kDisplacementPrompt = QStringLiteral("Enter Displacement");
const QString kVelocityPrompt = QStringLiteral("Enter Velocity");
const QString kDwellPrompt = QStringLiteral("Enter Dwell");
const QString kGoAheadPrompt = QStringLiteral("Press y");
const QString kRelease5Mark = QStringLiteral("R5");

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

CExperimentDialogue::CExperimentDialogue(CZentakDoc& doc, CSerialLink& link)
    : m_rDoc(doc), m_rLink(link)
{
}

QString CExperimentDialogue::ReleaseText(const QString& reply)
{
    const qsizetype mark = reply.indexOf(kRelease5Mark);
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

bool CExperimentDialogue::Run(int mode)
{
    if (mode != kModeForce) {
        m_rDoc.Prompt().ShowMessage(kDisplacementUnavailable, COperatorPrompt::Icon::Exclamation);
        return false;
    }
    if (!WakeUp())
        return false;
    return PromptLoop();
}

bool CExperimentDialogue::WakeUp()
{
    if (!m_rLink.Exchange(QStringLiteral("\n\n\n")))
        return false;
    m_rDoc.m_strRxText = CTextRules::Trimmed(m_rLink.ReplyText());
    if (m_rDoc.m_strRxText.isEmpty() && !ProbeUntilAwake())
        return false;
    if (m_rDoc.m_strRxText.contains(kReturningText)) {
        m_rDoc.m_bFirmwareOk = false;
        return false;
    }
    m_rDoc.m_bFirmwareOk = true;
    return true;
}

// A box that only wakes after the fourth probe is not trusted with an impact.
bool CExperimentDialogue::ProbeUntilAwake()
{
    for (int probe = 1; probe <= kWakeProbes; ++probe) {
        m_rLink.ExchangeSlow(QStringLiteral("\n"));
        m_rDoc.m_strRxText = CTextRules::Trimmed(m_rLink.ReplyText());
        if (!m_rDoc.m_strRxText.isEmpty())
            return probe <= kUsableWakeProbes;
    }
    return false;
}

bool CExperimentDialogue::PromptLoop()
{
    for (int pass = 0; pass < kMaxPromptPasses; ++pass) {
        const QString& reply = m_rDoc.m_strRxText;
        if (reply.contains(kModePrompt) && m_rDoc.m_nFirmwareRelease == 0) {
            Answer(QStringLiteral("57\n"));
            Identify();
        } else if (reply.contains(kModePrompt)) {
            Answer(QStringLiteral("54\n"));
        } else if (reply.contains(kForcePrompt)) {
            Answer(Decimal(qint64(m_rDoc.m_nDesiredForce) * 10));
        } else if (reply.contains(kDisplacementPrompt)) {
            Answer(Decimal(m_rDoc.m_nDesiredDisp));
        } else if (reply.contains(kVelocityPrompt)) {
            Answer(Decimal(m_rDoc.m_nDesiredVelocity));
        } else if (reply.contains(kDwellPrompt)) {
            Answer(Decimal(m_rDoc.m_nDesiredDwell), Speed::Slow);
        } else if (reply.contains(kGoAheadPrompt)) {
            return ConfirmAndImpact();
        } else {
            return false;
        }
        if (m_nUnanswered >= kMaxUnansweredExchanges)
            return false;
    }
    return false;
}

// The reply is taken whether or not the box answered: an unanswered exchange
// leaves the previous reply in the link, and its prompt is answered again.
void CExperimentDialogue::Answer(const QString& text, Speed speed)
{
    const bool answered =
        speed == Speed::Slow ? m_rLink.ExchangeSlow(text) : m_rLink.Exchange(text);
    m_nUnanswered = answered ? 0 : m_nUnanswered + 1;
    m_rDoc.m_strRxText = m_rLink.ReplyText();
}

void CExperimentDialogue::Identify()
{
    const QString& reply = m_rDoc.m_strRxText;
    if (reply.contains(kForcePrompt)) {
        m_rDoc.m_nFirmwareRelease = 4;
        m_rDoc.m_strFirmwareVersion = QStringLiteral("R4.x");
        // Release 4 took "57" as the start of an impact; the empty answer
        // keeps it at the force prompt, which the loop answers next.
        m_rLink.Exchange(QStringLiteral("\n"));
    }
    if (reply.contains(kRelease5Mark)) {
        m_rDoc.m_nFirmwareRelease = 5;
        m_rDoc.m_strFirmwareVersion = ReleaseText(reply);
        const int sensitivity = SensitivityValue(reply);
        if (sensitivity < kMinSensitivity || sensitivity > kMaxSensitivity)
            m_rDoc.Prompt().ShowMessage(kSensitivityOutOfRange, COperatorPrompt::Icon::Exclamation);
    }
}

bool CExperimentDialogue::ConfirmAndImpact()
{
    COperatorPrompt& prompt = m_rDoc.Prompt();
    if (m_rDoc.m_nFirmwareRelease == 4 && !prompt.AskYesNo(kRelease4Question))
        return Abort();
    if (!prompt.AskYesNo(kImpactNow))
        return Abort();
    QStringList chunks;
    m_rLink.CollectRunData(chunks);
    // Nothing but silence after the go-ahead: the box or the cable is gone,
    // which is no completed impact.
    if (!AnyText(chunks))
        return false;
    m_rDoc.ParseRunData(chunks);
    // The impact was made: what arrived is kept, and the caller says the rest is missing.
    m_rDoc.m_bDownloadCutShort = !m_rLink.m_bRunDataComplete;
    return true;
}

// The box is left at rest at its mode prompt.
bool CExperimentDialogue::Abort()
{
    m_rDoc.Prompt().ShowMessage(kImpactAborted, COperatorPrompt::Icon::Exclamation);
    m_rLink.Exchange(QStringLiteral("\n\n\n"));
    m_rDoc.m_bImpactAborted = true;
    return false;
}

#include "core/protocol/CForceSensitivity.h"

#include "core/device/CSerialLink.h"
#include "core/protocol/CLineFeedProbe.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CBoxWords.h"
#include "core/record/CSerialSettings.h"

#include <optional>

CForceSensitivity::CForceSensitivity(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt)
    : m_rPorts(ports), m_rClock(clock), m_rPrompt(prompt)
{
}

void CForceSensitivity::ShowNotResponding(const CSerialSettings& settings)
{
    m_rPrompt.ShowMessage(CRunOutcome::NotRespondingMessage(settings.m_strPort),
                          COperatorPrompt::Icon::Exclamation);
}

CForceSensitivity::Reading CForceSensitivity::Read(const CSerialSettings& settings)
{
    CSerialLink link(m_rPorts, m_rClock);
    link.Configure(settings);
    Reading reading;

    const std::optional<QString> awake = CLineFeedProbe::Run(link);
    if (!awake) {
        ShowNotResponding(settings);
        reading.fieldEnabled = false;
        return reading;
    }
    // Somewhere other than its main prompt: the box is left alone.
    if (!awake->contains(CBoxWords::kModePrompt)) {
        reading.outcome = ReadOutcome::LeftAlone;
        return reading;
    }
    if (!link.Exchange(QStringLiteral("57\n"))) {
        ShowNotResponding(settings);
        reading.fieldEnabled = false;
        return reading;
    }
    const QString reply = link.ReplyText();
    const bool unsupported = reply.contains(CBoxWords::kForcePrompt);
    if (unsupported) {
        // Older firmware took the request for the start of an impact; the
        // empty answer keeps it at its force prompt.
        reading.outcome = ReadOutcome::Unsupported;
        reading.state = kStateUnsupported;
        link.Exchange(QStringLiteral("\n"));
        m_rPrompt.ShowMessage(kUnsupported, COperatorPrompt::Icon::Exclamation);
        reading.fieldEnabled = false;
    }
    if (reply.contains(CBoxWords::kRelease5Mark)) {
        reading.outcome = ReadOutcome::Reported;
        reading.state = kStateReported;
        reading.reported = CExperimentDialogue::SensitivityValue(reply);
        reading.sensitivity = reading.reported;
        if (reading.reported < kMinValue || reading.reported > kMaxValue) {
            reading.sensitivity = kOutOfRangeValue;
            m_rPrompt.ShowMessage(kOutOfRange, COperatorPrompt::Icon::Exclamation);
        }
    } else if (!unsupported) {
        ShowNotResponding(settings);
        reading.fieldEnabled = false;
    }
    return reading;
}

CForceSensitivity::WriteOutcome CForceSensitivity::Write(const CSerialSettings& settings, int value)
{
    CSerialLink link(m_rPorts, m_rClock);
    link.Configure(settings);

    const std::optional<QString> awake = CLineFeedProbe::Run(link);
    if (!awake) {
        ShowNotResponding(settings);
        return WriteOutcome::NotResponding;
    }
    if (!awake->contains(CBoxWords::kModePrompt))
        return WriteOutcome::LeftAlone;
    if (!ExchangeExpecting(link, QStringLiteral("86\n"), CBoxWords::kReprogramReply) ||
        !ExchangeExpecting(link, QString::number(value) + u'\n', CBoxWords::kConfirmReply)) {
        ShowNotResponding(settings);
        return WriteOutcome::NotResponding;
    }
    if (!m_rPrompt.AskYesNo(kConfirmSetting)) {
        // Back to rest at the main prompt, as after an aborted impact; the
        // box keeps the value it had.
        link.Exchange(QStringLiteral("\n\n\n"));
        return WriteOutcome::Declined;
    }
    if (!link.Exchange(QStringLiteral("Y"))) {
        ShowNotResponding(settings);
        return WriteOutcome::NotResponding;
    }
    return WriteOutcome::Stored;
}

bool CForceSensitivity::ExchangeExpecting(CSerialLink& link, const QString& text,
                                          const QString& expected)
{
    return link.Exchange(text) && link.ReplyText().contains(expected);
}

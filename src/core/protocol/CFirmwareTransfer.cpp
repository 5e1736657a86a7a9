#include "core/protocol/CFirmwareTransfer.h"

#include "core/device/CClock.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/CLineFeedProbe.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CBoxWords.h"
#include "core/record/CSerialSettings.h"
#include "core/record/CTextRules.h"

#include <optional>

CFirmwareTransfer::CFirmwareTransfer(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt)
    : m_rPorts(ports), m_rClock(clock), m_rPrompt(prompt)
{
}

QString CFirmwareTransfer::LineToSend(const QString& line)
{
    QString text = line;
    text.insert(qMin(kLineBreakPosition, text.size()), u'\n');
    return text;
}

int CFirmwareTransfer::Percent(qsizetype index, qsizetype count)
{
    return count > 0 ? int(qint64(100) * index / count) : 0;
}

QString CFirmwareTransfer::OutcomeMessage(int result, int unansweredLines, qsizetype lineCount)
{
    QString message = result == kResultSuccess ? kSucceeded : kFailed;
    if (unansweredLines > 0)
        message += QStringLiteral("\r\n%1 of %2 firmware lines got no reply from the control box.")
                       .arg(unansweredLines)
                       .arg(lineCount);
    return message;
}

int CFirmwareTransfer::Run(const CSerialSettings& settings, const QStringList& lines)
{
    CSerialLink link(m_rPorts, m_rClock);
    link.Configure(settings);
    m_strReply.clear();
    m_bReady = false;
    m_route = Route::None;
    m_nUnansweredLines = 0;
    ReportPercent(0);

    bool failed = true;
    if (Probe(link)) {
        m_route = ChooseRoute();
        if (m_route == Route::MainPrompt)
            failed = !EnterReprogramState(link) || !SendImageAndEnd(link, lines);
        else if (m_route == Route::Loader)
            failed = !SendImageAndEnd(link, lines);
    }
    if (failed) {
        m_rPrompt.ShowMessage(CRunOutcome::NotRespondingMessage(settings.m_strPort),
                              COperatorPrompt::Icon::Exclamation);
        return kResultFailure;
    }
    return kResultSuccess;
}

// After a failed upgrade the box's loader still waits for data and answers
// "R" with "Send Data Now"; a box at its main prompt only echoes the "R".
// The search starts at the second character, as the box's reply has always
// begun with its echo.
bool CFirmwareTransfer::Probe(CSerialLink& link)
{
    if (!link.ExchangeSlow(QStringLiteral("R")))
        return false;
    m_strReply = CTextRules::Trimmed(link.ReplyText());
    if (m_strReply.indexOf(CBoxWords::kSendDataNow, 1) >= 0) {
        m_strReply = CBoxWords::kReturning;
        m_bReady = true;
        return true;
    }
    m_strReply.clear();
    // Ends the line the "R" began, whatever the box makes of it.
    link.Exchange(QStringLiteral("\n"));
    const std::optional<QString> answer = CLineFeedProbe::Run(link);
    if (!answer)
        return false;
    m_strReply = *answer;
    m_bReady = true;
    return true;
}

CFirmwareTransfer::Route CFirmwareTransfer::ChooseRoute() const
{
    if (!m_bReady)
        return Route::None;
    if (m_strReply.contains(CBoxWords::kModePrompt))
        return Route::MainPrompt;
    if (m_strReply.contains(CBoxWords::kReturning))
        return Route::Loader;
    return Route::None;
}

bool CFirmwareTransfer::EnterReprogramState(CSerialLink& link)
{
    if (!link.Exchange(QStringLiteral("68\n")))
        return false;
    m_strReply = link.ReplyText();
    if (!m_strReply.contains(CBoxWords::kReprogramState))
        return false;
    m_rClock.SleepMs(kReprogramStateWaitMs);
    if (!link.Exchange(QStringLiteral("R")))
        return false;
    m_rClock.SleepMs(kLoaderWaitMs);
    return true;
}

bool CFirmwareTransfer::SendImageAndEnd(CSerialLink& link, const QStringList& lines)
{
    SendLines(link, lines);
    m_rClock.SleepMs(kBeforeEndWaitMs);
    return link.Exchange(QStringLiteral("24\n"));
}

// A line without a reply does not stop the transfer: the box judges the
// image. The lines it left unanswered are counted for the operator.
void CFirmwareTransfer::SendLines(CSerialLink& link, const QStringList& lines)
{
    const qsizetype count = lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (!link.Exchange(LineToSend(lines.at(i))))
            ++m_nUnansweredLines;
        ReportPercent(Percent(i, count));
    }
}

void CFirmwareTransfer::ReportPercent(int percent)
{
    if (m_progress)
        m_progress(percent);
}

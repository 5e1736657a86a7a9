#include "core/protocol/CImpactRun.h"

#include "core/device/CRunProgress.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/CRunDataParser.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CRunStamp.h"

CImpactRun::CImpactRun(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt)
    : m_rPorts(ports), m_rClock(clock), m_rPrompt(prompt)
{
}

CExperimentDialogue::Result CImpactRun::Run(const CSerialSettings& settings, int mode,
                                            CImpactRecord& record, const QString& subject)
{
    // The link lives exactly as long as this run, on every way out.
    CSerialLink link(m_rPorts, m_rClock);
    link.Configure(settings);
    link.SetProgress(m_pProgress);
    if (m_pProgress)
        m_pProgress->ShowRunStatus(CRunProgress::kWaitingForBox);
    CExperimentDialogue dialogue(link, m_rPrompt);
    dialogue.SetProgress(m_pProgress);
    dialogue.SetImpactSummary(ImpactSummary(record, subject));
    const CExperimentDialogue::Result result = dialogue.Run(DesiredValuesOf(record), mode);
    TakeResult(result, record);
    return result;
}

QString CImpactRun::ImpactSummary(const CImpactRecord& record, const QString& subject)
{
    QString summary = QStringLiteral("Force %1 K dynes, velocity %2 mm/s, dwell %3 s.")
                          .arg(record.m_nDesiredForce)
                          .arg(record.m_nDesiredVelocity)
                          .arg(record.m_nDesiredDwell);
    if (!subject.isEmpty())
        summary += QLatin1Char(' ') + CRunStamp::kSubjectLabel + subject;
    return summary;
}

CExperimentDialogue::DesiredValues CImpactRun::DesiredValuesOf(const CImpactRecord& record)
{
    return {record.m_nDesiredForce, record.m_nDesiredDisp, record.m_nDesiredVelocity,
            record.m_nDesiredDwell};
}

void CImpactRun::TakeResult(const CExperimentDialogue::Result& result, CImpactRecord& record)
{
    if (result.firmwareRelease != 0) {
        record.m_nFirmwareRelease = result.firmwareRelease;
        record.m_strFirmwareVersion = result.firmwareVersion;
    }
    if (CRunOutcome::ImpactMade(result.outcome))
        CRunDataParser::ParseRunData(result.chunks, record.m_nFirmwareRelease, record);
}

#include "run/CRunOutcome.h"

#include "experiment/CZentakDoc.h"
#include "run/CExperimentDialogue.h"

CRunOutcome::Kind CRunOutcome::Classify(bool result, const CZentakDoc& doc, int mode)
{
    if (result)
        return doc.m_bDownloadCutShort ? Kind::CutShort : Kind::Completed;
    if (doc.m_bImpactAborted)
        return Kind::Aborted;
    if (!doc.m_bFirmwareOk)
        return Kind::FirmwareUnusable;
    if (mode == CExperimentDialogue::kModeDisplacement)
        return Kind::ModeRefused;
    return Kind::NotResponding;
}

QString CRunOutcome::Message(Kind kind)
{
    switch (kind) {
    case Kind::FirmwareUnusable:
        return kFirmwareCorrupted;
    case Kind::NotResponding:
        return kNotResponding;
    default:
        return QString();
    }
}

QString CRunOutcome::CutShortMessage(const CZentakDoc& doc)
{
    const qsizetype down = doc.m_arrDispDown.size();
    const qsizetype up = doc.m_arrDispUp.size();
    return kDownloadCutShort.arg(down + up).arg(down).arg(up);
}

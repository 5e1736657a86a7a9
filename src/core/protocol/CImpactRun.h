#pragma once

#include "core/protocol/CExperimentDialogue.h"

class CClock;
class COperatorPrompt;
class CPortFactory;
class CRunProgress;
class CSerialSettings;
class CImpactRecord;

// One impact from the record's desired values into the record: a link made
// for this run alone, on the port the settings name, the dialogue, and what
// it found written back. The firmware release and its text are written once
// the box was identified, whatever the outcome; the traces only when an
// impact was made.
class CImpactRun
{
public:
    CImpactRun(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt);

    // Who is told what the run is doing while it waits; none by default.
    void SetProgress(CRunProgress* progress) { m_pProgress = progress; }

    // subject names the animal in the summary the operator confirms.
    CExperimentDialogue::Result Run(const CSerialSettings& settings, int mode,
                                    CImpactRecord& record, const QString& subject = QString());

    // What the impact will do, as the operator confirms it: "Force 120 K
    // dynes, velocity 60 mm/s, dwell 0 s. Subject: rat-21".
    static QString ImpactSummary(const CImpactRecord& record, const QString& subject);

    static CExperimentDialogue::DesiredValues DesiredValuesOf(const CImpactRecord& record);
    static void TakeResult(const CExperimentDialogue::Result& result, CImpactRecord& record);

private:
    CPortFactory& m_rPorts;
    CClock& m_rClock;
    COperatorPrompt& m_rPrompt;
    CRunProgress* m_pProgress = nullptr;
};

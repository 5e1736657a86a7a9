#pragma once

#include "CManualClock.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"

// One impact on the in-process simulated box through the real dialogue, and
// what a completed run derives from it.
inline CImpactRecord SimulatedImpact(const QString& fault, int forceKdyn, int velocity)
{
    ControlBoxSimulator::Options options;
    options.seed = 11;
    if (!fault.isEmpty() && !options.AddFault(fault))
        qFatal("bad fault %s", qPrintable(fault));
    ControlBoxSimulator box(options);
    CManualClock clock;
    CPortFactory factory(box);
    CScriptedPrompt prompt;
    prompt.QueueAnswers({COperatorPrompt::Answer::Yes});
    CImpactRecord record;
    record.m_nDesiredForce = forceKdyn;
    record.m_nDesiredVelocity = velocity;
    const CRunOutcome::Kind outcome =
        CImpactRun(factory, clock, prompt)
            .Run(CSerialSettings{CPortFactory::kSimulatorPort}, 0, record)
            .outcome;
    if (outcome != CRunOutcome::Kind::Completed)
        qFatal("impact not completed");
    record.m_bDataPresent = true;
    record.DeriveActualValues();
    return record;
}

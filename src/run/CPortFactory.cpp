#include "run/CPortFactory.h"

#include "run/CQtSerialBackend.h"
#include "run/CSimulatorBackend.h"
#include "run/ControlBoxSimulator.h"

CPortFactory::CPortFactory()
    : m_pOwnedSimulator(std::make_unique<ControlBoxSimulator>()), m_pBox(m_pOwnedSimulator.get())
{
}

CPortFactory::CPortFactory(CSimulatedBox& box) : m_pBox(&box)
{
}

CPortFactory::~CPortFactory() = default;

std::unique_ptr<CPortBackend> CPortFactory::CreateBackend(const QString& portName, CClock& clock)
{
    if (portName == kSimulatorPort)
        return std::make_unique<CSimulatorBackend>(*m_pBox, clock);
    return std::make_unique<CQtSerialBackend>(clock);
}

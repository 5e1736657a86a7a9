#include "core/device/CPortFactory.h"

#include "core/device/CQtSerialBackend.h"
#include "core/device/CSimulatorBackend.h"
#include "core/simulator/ControlBoxSimulator.h"

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

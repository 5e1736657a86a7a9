#include "core/device/CPortFactory.h"

#include "core/device/CSimulatorBackend.h"
#include "core/simulator/ControlBoxSimulator.h"

// Windows has no QtSerialPort here: its serial line is the Win32 API's.
#if defined(Q_OS_WIN)
#include "core/device/CWin32SerialBackend.h"
using CSystemSerialBackend = CWin32SerialBackend;
#else
#include "core/device/CQtSerialBackend.h"
using CSystemSerialBackend = CQtSerialBackend;
#endif

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
    return std::make_unique<CSystemSerialBackend>(clock);
}

QString CPortFactory::SystemPortName(const QString& portName)
{
    return CSystemSerialBackend::SystemPortName(portName);
}

QStringList CPortFactory::PresentPorts()
{
    return CSystemSerialBackend::PresentPorts();
}

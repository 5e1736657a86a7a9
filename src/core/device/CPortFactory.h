#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class CClock;
class CPortBackend;
class CSimulatedBox;
class ControlBoxSimulator;

// Maps a port name to the port behind it: exactly "Simulator" reaches the
// in-process control box, every other name a serial device. The factory
// keeps the simulated box, so the box remembers its state (its stored
// sensitivity, an unfinished dialogue) from one exchange to the next while
// each exchange opens and closes its port.
class CPortFactory
{
public:
    static inline const QString kSimulatorPort = QStringLiteral("Simulator");

    // Owns a release 5 simulator with its default settings.
    CPortFactory();
    // Uses a box owned elsewhere (a configured simulator, a test script).
    explicit CPortFactory(CSimulatedBox& box);
    virtual ~CPortFactory();

    CPortFactory(const CPortFactory&) = delete;
    CPortFactory& operator=(const CPortFactory&) = delete;

    virtual std::unique_ptr<CPortBackend> CreateBackend(const QString& portName, CClock& clock);

    CSimulatedBox& Box() const { return *m_pBox; }

    // The system's name of a port the operator named ("Com1"), and the ports
    // present now: both are the platform's serial backend's.
    static QString SystemPortName(const QString& portName);
    static QStringList PresentPorts();

private:
    std::unique_ptr<ControlBoxSimulator> m_pOwnedSimulator;
    CSimulatedBox* m_pBox;
};

#pragma once

#include "core/device/CPortBackend.h"

class CClock;
class CSimulatedBox;

// A port on an in-process box. It keeps the read time-outs of a real line
// on the given clock: a silent box costs the full read total, a reply ends
// one read interval after its last byte unless the read is full.
class CSimulatorBackend : public CPortBackend
{
public:
    CSimulatorBackend(CSimulatedBox& box, CClock& clock);
    ~CSimulatorBackend() override;

    bool Open(const QString& portName) override;
    bool ApplyLineSettings(const CLineSettings& settings) override;
    void SetTimeouts(const CTimeouts& timeouts) override;
    qint64 Write(const QByteArray& bytes) override;
    QByteArray Read(qsizetype maxBytes) override;
    void Close() override;

private:
    CSimulatedBox& m_rBox;
    CClock& m_rClock;
    CTimeouts m_timeouts;
    bool m_bOpen = false;
};

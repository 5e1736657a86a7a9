#pragma once

#include "core/device/CPortBackend.h"

#include <QSerialPort>
#include <QStringList>

#include <optional>

class CClock;

// A real serial device through QSerialPort (not on Windows), used in blocking mode: waits are
// cut into short slices against the read deadlines, with the clock's wait
// hook called between them.
class CQtSerialBackend : public CPortBackend
{
public:
    static constexpr int kSliceMs = 10;

    explicit CQtSerialBackend(CClock& clock);
    ~CQtSerialBackend() override;

    bool Open(const QString& portName) override;
    bool ApplyLineSettings(const CLineSettings& settings) override;
    void SetTimeouts(const CTimeouts& timeouts) override;
    qint64 Write(const QByteArray& bytes) override;
    QByteArray Read(qsizetype maxBytes) override;
    void Close() override;

    // "Com1" to "Com9" (any letter case) name the platform's own first serial
    // ports; every other name is a device path or a name the platform lists.
    static QString SystemPortName(const QString& portName);
    // The devices the system lists now, for the settings dialog.
    static QStringList PresentPorts();

    static std::optional<QSerialPort::DataBits> ToDataBits(int byteSize);
    static QSerialPort::Parity ToParity(quint8 code);
    static QSerialPort::StopBits ToStopBits(quint8 code);
    // Where the platform lacks a setting, the nearest one it has.
    static QSerialPort::StopBits NearestStopBits(QSerialPort::StopBits wanted);

private:
    bool DeviceGone() const;

    CClock& m_rClock;
    QSerialPort m_port;
    CTimeouts m_timeouts;
};

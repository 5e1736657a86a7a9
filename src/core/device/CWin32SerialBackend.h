#pragma once

#include "core/device/CPortBackend.h"

#include <QStringList>
#include <qt_windows.h>

#include <optional>

class CClock;

// A COM port through the Win32 API, where QtSerialPort is not to be had. The
// line settings go into the port's DCB, each on its own so that one refused
// keeps the others; reads wait in short slices against the link's read
// deadlines, with the clock's wait hook called between them.
class CWin32SerialBackend : public CPortBackend
{
public:
    static constexpr int kSliceMs = 10;

    explicit CWin32SerialBackend(CClock& clock);
    ~CWin32SerialBackend() override;

    bool Open(const QString& portName) override;
    bool ApplyLineSettings(const CLineSettings& settings) override;
    void SetTimeouts(const CTimeouts& timeouts) override;
    qint64 Write(const QByteArray& bytes) override;
    QByteArray Read(qsizetype maxBytes) override;
    void Close() override;

    // "Com1" to "Com9" (any letter case) are COM1 to COM9; every other name
    // is the system's own.
    static QString SystemPortName(const QString& portName);
    // The name CreateFile takes: "\\.\COM12" reaches ports past COM9 too.
    static QString DevicePath(const QString& systemPortName);
    // The COM ports the system knows now, for the settings dialog.
    static QStringList PresentPorts();

    // The DCB with one line setting changed, or none when it has no such value.
    using DcbChange = std::optional<DCB>;
    static DcbChange WithBaudRate(DCB dcb, qint32 baudRate);
    static DcbChange WithByteSize(DCB dcb, int byteSize);
    static DcbChange WithParity(DCB dcb, quint8 code);
    static DcbChange WithStopBits(DCB dcb, quint8 code);
    // The link's write time-outs as they are; a read waits at most waitMs for
    // its first byte and returns as soon as any byte is there.
    static COMMTIMEOUTS CommTimeouts(const CTimeouts& timeouts, DWORD readWaitMs);

private:
    bool ApplyChange(const DcbChange& change);
    bool ReadWithin(qsizetype maxBytes, DWORD waitMs, QByteArray& received);

    CClock& m_rClock;
    HANDLE m_hPort = INVALID_HANDLE_VALUE;
    CTimeouts m_timeouts;
};

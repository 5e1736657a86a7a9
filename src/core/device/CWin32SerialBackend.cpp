#include "core/device/CWin32SerialBackend.h"

#include "core/device/CClock.h"

#include <QRegularExpression>

#include <vector>

CWin32SerialBackend::CWin32SerialBackend(CClock& clock) : m_rClock(clock)
{
}

CWin32SerialBackend::~CWin32SerialBackend()
{
    Close();
}

QString CWin32SerialBackend::SystemPortName(const QString& portName)
{
    static const QRegularExpression comName(QStringLiteral("^com([1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(portName);
    return match.hasMatch() ? QStringLiteral("COM") + match.captured(1) : portName;
}

QString CWin32SerialBackend::DevicePath(const QString& systemPortName)
{
    return systemPortName.startsWith(QLatin1String("\\\\"))
               ? systemPortName
               : QStringLiteral("\\\\.\\") + systemPortName;
}

QStringList CWin32SerialBackend::PresentPorts()
{
    static const QRegularExpression comName(QStringLiteral("^COM[0-9]+$"),
                                            QRegularExpression::CaseInsensitiveOption);
    std::vector<wchar_t> names(16384);
    while (QueryDosDeviceW(nullptr, names.data(), DWORD(names.size())) == 0) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        names.resize(names.size() * 2);
    }
    QStringList ports;
    for (const wchar_t* name = names.data(); *name; name += wcslen(name) + 1) {
        const QString port = QString::fromWCharArray(name);
        if (comName.match(port).hasMatch())
            ports.append(port);
    }
    return ports;
}

CWin32SerialBackend::DcbChange CWin32SerialBackend::WithBaudRate(DCB dcb, qint32 baudRate)
{
    if (baudRate <= 0)
        return std::nullopt;
    dcb.BaudRate = DWORD(baudRate);
    return dcb;
}

CWin32SerialBackend::DcbChange CWin32SerialBackend::WithByteSize(DCB dcb, int byteSize)
{
    // The size travels as one byte, as in the classic settings record.
    const int size = byteSize & 0xff;
    if (size < 5 || size > 8)
        return std::nullopt;
    dcb.ByteSize = BYTE(size);
    return dcb;
}

// The link's parity and stop-bits codes are the DCB's own.
CWin32SerialBackend::DcbChange CWin32SerialBackend::WithParity(DCB dcb, quint8 code)
{
    if (code > SPACEPARITY)
        return std::nullopt;
    dcb.Parity = code;
    dcb.fParity = code != NOPARITY;
    return dcb;
}

CWin32SerialBackend::DcbChange CWin32SerialBackend::WithStopBits(DCB dcb, quint8 code)
{
    if (code > TWOSTOPBITS)
        return std::nullopt;
    dcb.StopBits = code;
    return dcb;
}

COMMTIMEOUTS CWin32SerialBackend::CommTimeouts(const CTimeouts& timeouts, DWORD readWaitMs)
{
    COMMTIMEOUTS comm = {};
    comm.ReadIntervalTimeout = MAXDWORD;
    // Both MAXDWORD: return with the first bytes, or after the constant.
    comm.ReadTotalTimeoutMultiplier = readWaitMs > 0 ? MAXDWORD : 0;
    comm.ReadTotalTimeoutConstant = readWaitMs;
    comm.WriteTotalTimeoutMultiplier = DWORD(timeouts.writeTotalPerByteMs);
    comm.WriteTotalTimeoutConstant = DWORD(timeouts.writeTotalConstantMs);
    return comm;
}

bool CWin32SerialBackend::Open(const QString& portName)
{
    Close();
    // No sharing: the port is this program's alone while it is open.
    m_hPort = CreateFileW(DevicePath(SystemPortName(portName)).toStdWString().c_str(),
                          GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_hPort == INVALID_HANDLE_VALUE)
        return false;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_hPort, &dcb)) {
        Close();
        return false;
    }
    // Raw bytes, no flow control, DTR and RTS up, as the box expects.
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    SetCommState(m_hPort, &dcb);
    return true;
}

bool CWin32SerialBackend::ApplyChange(const DcbChange& change)
{
    if (!change)
        return false;
    DCB dcb = *change;
    return SetCommState(m_hPort, &dcb);
}

bool CWin32SerialBackend::ApplyLineSettings(const CLineSettings& settings)
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return false;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    bool allApplied = true;
    // Read back before each change: a refused one leaves the port as it was.
    const auto apply = [&](auto with, auto value) {
        GetCommState(m_hPort, &dcb);
        allApplied = ApplyChange(with(dcb, value)) && allApplied;
    };
    apply(WithBaudRate, settings.baudRate);
    apply(WithByteSize, int(settings.dataBits));
    apply(WithParity, settings.parity);
    apply(WithStopBits, settings.stopBits);
    return allApplied;
}

void CWin32SerialBackend::SetTimeouts(const CTimeouts& timeouts)
{
    m_timeouts = timeouts;
}

// A write is a few bytes: the port's own write time-out bounds it whole.
qint64 CWin32SerialBackend::Write(const QByteArray& bytes)
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return 0;
    COMMTIMEOUTS comm = CommTimeouts(m_timeouts, 0);
    SetCommTimeouts(m_hPort, &comm);
    DWORD written = 0;
    WriteFile(m_hPort, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
    return written;
}

bool CWin32SerialBackend::ReadWithin(qsizetype maxBytes, DWORD waitMs, QByteArray& received)
{
    COMMTIMEOUTS comm = CommTimeouts(m_timeouts, waitMs);
    QByteArray chunk(maxBytes, Qt::Uninitialized);
    DWORD count = 0;
    if (!SetCommTimeouts(m_hPort, &comm) ||
        !ReadFile(m_hPort, chunk.data(), DWORD(maxBytes), &count, nullptr))
        return false;
    received += chunk.left(count);
    return true;
}

QByteArray CWin32SerialBackend::Read(qsizetype maxBytes)
{
    QByteArray received;
    if (m_hPort == INVALID_HANDLE_VALUE)
        return received;
    const qint64 totalDeadline = m_rClock.NowMs() + m_timeouts.ReadTotalMs(maxBytes);
    qint64 lastArrival = -1;
    while (received.size() < maxBytes) {
        const qint64 now = m_rClock.NowMs();
        const qint64 deadline = lastArrival < 0
                                    ? totalDeadline
                                    : qMin(totalDeadline, lastArrival + m_timeouts.readIntervalMs);
        // Past the deadline one last look takes what has already come.
        const DWORD waitMs = now >= deadline ? 0 : DWORD(qMin<qint64>(kSliceMs, deadline - now));
        const qsizetype before = received.size();
        // A failed read is a vanished device: waiting on would only spin.
        if (!ReadWithin(maxBytes - received.size(), waitMs, received))
            break;
        if (received.size() > before) {
            lastArrival = m_rClock.NowMs();
            continue;
        }
        if (waitMs == 0)
            break;
        m_rClock.RunWaitHook();
    }
    return received;
}

void CWin32SerialBackend::Close()
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(m_hPort);
    m_hPort = INVALID_HANDLE_VALUE;
}

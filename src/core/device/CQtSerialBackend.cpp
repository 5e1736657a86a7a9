#include "core/device/CQtSerialBackend.h"

#include "core/device/CClock.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

CQtSerialBackend::CQtSerialBackend(CClock& clock) : m_rClock(clock)
{
}

CQtSerialBackend::~CQtSerialBackend()
{
    Close();
}

QString CQtSerialBackend::SystemPortName(const QString& portName)
{
    static const QRegularExpression comName(QStringLiteral("^com([1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(portName);
    if (!match.hasMatch())
        return portName;
    return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
}

QStringList CQtSerialBackend::PresentPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append(info.systemLocation());
    return ports;
}

std::optional<QSerialPort::DataBits> CQtSerialBackend::ToDataBits(int byteSize)
{
    switch (byteSize & 0xff) {
    case 5:
        return QSerialPort::Data5;
    case 6:
        return QSerialPort::Data6;
    case 7:
        return QSerialPort::Data7;
    case 8:
        return QSerialPort::Data8;
    default:
        return std::nullopt;
    }
}

QSerialPort::Parity CQtSerialBackend::ToParity(quint8 code)
{
    switch (code) {
    case CLineSettings::OddParity:
        return QSerialPort::OddParity;
    case CLineSettings::EvenParity:
        return QSerialPort::EvenParity;
    case CLineSettings::MarkParity:
        return QSerialPort::MarkParity;
    case CLineSettings::SpaceParity:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits CQtSerialBackend::ToStopBits(quint8 code)
{
    switch (code) {
    case CLineSettings::OneAndHalfStop:
        return QSerialPort::OneAndHalfStop;
    case CLineSettings::TwoStop:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

// POSIX lines have no one and a half stop bits; with five data bits the
// two-stop setting is one and a half on the wire.
QSerialPort::StopBits CQtSerialBackend::NearestStopBits(QSerialPort::StopBits wanted)
{
    return wanted == QSerialPort::OneAndHalfStop ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

bool CQtSerialBackend::Open(const QString& portName)
{
    m_port.setPortName(SystemPortName(portName));
    // QSerialPort takes the port's lock and sets it exclusive on open.
    return m_port.open(QIODevice::ReadWrite);
}

bool CQtSerialBackend::ApplyLineSettings(const CLineSettings& settings)
{
    if (!m_port.isOpen())
        return false;
    bool allApplied = m_port.setBaudRate(settings.baudRate);
    const auto dataBits = ToDataBits(settings.dataBits);
    if (!dataBits || !m_port.setDataBits(*dataBits))
        allApplied = false;
    // Parity is set once per open: some UARTs keep a mark/space flag when
    // parity is changed again on an open port.
    if (!m_port.setParity(ToParity(settings.parity)))
        allApplied = false;
    const QSerialPort::StopBits stopBits = ToStopBits(settings.stopBits);
    if (!m_port.setStopBits(stopBits)) {
        allApplied = false;
        m_port.setStopBits(NearestStopBits(stopBits));
    }
    m_port.clearError();
    return allApplied;
}

void CQtSerialBackend::SetTimeouts(const CTimeouts& timeouts)
{
    m_timeouts = timeouts;
}

qint64 CQtSerialBackend::Write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        return 0;
    const qint64 deadline = m_rClock.NowMs() + m_timeouts.WriteTotalMs(bytes.size());
    const qint64 queued = m_port.write(bytes);
    if (queued < 0)
        return 0;
    while (m_port.bytesToWrite() > 0) {
        const qint64 now = m_rClock.NowMs();
        if (now >= deadline || DeviceGone())
            break;
        m_port.waitForBytesWritten(int(qMin<qint64>(kSliceMs, deadline - now)));
        m_rClock.RunWaitHook();
    }
    return queued - m_port.bytesToWrite();
}

QByteArray CQtSerialBackend::Read(qsizetype maxBytes)
{
    QByteArray received;
    if (!m_port.isOpen())
        return received;
    m_port.clearError();
    const qint64 totalDeadline = m_rClock.NowMs() + m_timeouts.ReadTotalMs(maxBytes);
    qint64 lastArrival = -1;
    while (received.size() < maxBytes) {
        if (m_port.bytesAvailable() > 0) {
            received += m_port.read(maxBytes - received.size());
            lastArrival = m_rClock.NowMs();
            continue;
        }
        const qint64 now = m_rClock.NowMs();
        const qint64 deadline = lastArrival < 0
                                    ? totalDeadline
                                    : qMin(totalDeadline, lastArrival + m_timeouts.readIntervalMs);
        if (now >= deadline)
            break;
        if (!m_port.waitForReadyRead(int(qMin<qint64>(kSliceMs, deadline - now))) && DeviceGone())
            break;
        m_rClock.RunWaitHook();
    }
    return received;
}

// A vanished device fails every wait at once; waiting on would only spin.
bool CQtSerialBackend::DeviceGone() const
{
    const QSerialPort::SerialPortError error = m_port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

void CQtSerialBackend::Close()
{
    if (m_port.isOpen())
        m_port.close();
}

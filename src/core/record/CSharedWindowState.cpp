#include "core/record/CSharedWindowState.h"

CSharedWindowState::CSharedWindowState(QObject* parent) : QObject(parent)
{
}

void CSharedWindowState::ApplySerialSettings(const QString& port, int baudRate,
                                             const QString& parity, const QString& stopBits,
                                             int byteSize)
{
    m_strPort = port;
    m_nBaudRate = baudRate;
    m_strParity = parity;
    m_strStopBits = stopBits;
    m_nByteSize = byteSize;
}

void CSharedWindowState::SetDataPresent(bool present)
{
    if (m_bDataPresent == present)
        return;
    m_bDataPresent = present;
    Q_EMIT dataPresentChanged(present);
}

void CSharedWindowState::SetBusyText(const QString& text)
{
    if (m_strBusyText == text)
        return;
    m_strBusyText = text;
    Q_EMIT busyTextChanged(text);
}

#pragma once

#include <QString>

// The five serial settings every exchange with the control box opens its
// port with, held exactly as chosen: names and numbers, translated into line
// settings only by the link. Every start begins with the defaults; nothing
// stores them between runs of the program.
class CSerialSettings
{
public:
    static inline const QString kDefaultPort = QStringLiteral("Com1");
    static constexpr int kDefaultBaudRate = 9600;
    static inline const QString kDefaultParity = QStringLiteral("None");
    static inline const QString kDefaultStopBits = QStringLiteral("1");
    static constexpr int kDefaultByteSize = 8;

    QString m_strPort = kDefaultPort;
    int m_nBaudRate = kDefaultBaudRate;
    QString m_strParity = kDefaultParity;
    QString m_strStopBits = kDefaultStopBits;
    int m_nByteSize = kDefaultByteSize;

    bool operator==(const CSerialSettings&) const = default;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Line settings as the link hands them to a port: the parity and stop-bits
// codes are those of the classic serial line-settings record.
struct CLineSettings {
    enum Parity : quint8 {
        NoParity = 0,
        OddParity = 1,
        EvenParity = 2,
        MarkParity = 3,
        SpaceParity = 4
    };
    enum StopBits : quint8 { OneStop = 0, OneAndHalfStop = 1, TwoStop = 2 };

    qint32 baudRate = 9600;
    quint8 dataBits = 8;
    quint8 parity = NoParity;
    quint8 stopBits = OneStop;
};

// The five time-outs of one operation, in milliseconds. A read of n bytes
// returns when n bytes have come, when more than the interval passed after a
// received byte, or when the total (per byte x n + constant) has passed.
struct CTimeouts {
    int readIntervalMs = 0;
    int readTotalPerByteMs = 0;
    int readTotalConstantMs = 0;
    int writeTotalPerByteMs = 0;
    int writeTotalConstantMs = 0;

    qint64 ReadTotalMs(qsizetype bytes) const
    {
        return qint64(readTotalPerByteMs) * bytes + readTotalConstantMs;
    }
    qint64 WriteTotalMs(qsizetype bytes) const
    {
        return qint64(writeTotalPerByteMs) * bytes + writeTotalConstantMs;
    }
};

// One serial port as the link uses it: open exclusively, configure, write,
// read under the time-outs, close. Backends wait only through the clock they
// were given. Nothing here reports to the operator; a port that could not be
// opened simply delivers nothing.
class CPortBackend
{
public:
    virtual ~CPortBackend() = default;

    virtual bool Open(const QString& portName) = 0;
    // Settings the port refuses are skipped; the port keeps what it had.
    virtual bool ApplyLineSettings(const CLineSettings& settings) = 0;
    virtual void SetTimeouts(const CTimeouts& timeouts) = 0;
    // Returns the number of bytes that went out within the write time-out.
    virtual qint64 Write(const QByteArray& bytes) = 0;
    // Up to maxBytes under the read time-outs; empty when nothing came.
    virtual QByteArray Read(qsizetype maxBytes) = 0;
    virtual void Close() = 0;
};

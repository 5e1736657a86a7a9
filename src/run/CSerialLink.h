#pragma once

#include "run/CPortBackend.h"

#include <QString>
#include <QStringList>

#include <memory>

class CClock;
class CPortFactory;
class CRunProgress;

// The request/reply link to the control box. Every operation opens the port,
// configures it, writes, reads one reply of up to 128 bytes and closes the
// port again; nothing is held open between operations and nothing reads in
// the background. The link shows nothing: callers judge results and replies.
class CSerialLink
{
public:
    static constexpr qsizetype kReplyBytes = 128;
    static constexpr int kMaxEmptyPolls = 100;
    // A box that keeps sending without ever showing its mode prompt would
    // otherwise be polled for ever; about 256 KB is far beyond any impact.
    static constexpr int kMaxDownloadPolls = 2000;
    static constexpr CTimeouts kShortTimeouts{50, 10, 50, 10, 50};
    static constexpr CTimeouts kLongTimeouts{500, 50, 100, 10, 50};

    CSerialLink(CPortFactory& factory, CClock& clock);
    virtual ~CSerialLink();

    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    void Configure(int baudRate, int byteSize, const QString& port, const QString& parity,
                   const QString& stopBits);

    // True when at least one byte came back; otherwise the previous reply stays.
    bool Exchange(const QString& text);
    bool ExchangeSlow(const QString& text);

    // "y", then "w" polls until the box shows "Enter Mode" again or has been
    // silent for 100 polls; every reply is appended as it was read.
    void CollectRunData(QStringList& chunks);
    // Told of the impact and of the sample lines as they arrive; optional.
    void SetProgress(CRunProgress* progress) { m_pProgress = progress; }

    // The reply buffer as text, up to its first NUL byte.
    QString ReplyText() const;

    // Exact names, letter case included; anything else is none / one stop bit.
    static quint8 ParityCode(const QString& name);
    static quint8 StopBitsCode(const QString& text);

    char m_szReply[kReplyBytes + 1] = {};
    int m_nBaudRate = 9600;
    int m_nByteSize = 8;
    QString m_strPort = QStringLiteral("Com1");
    quint8 m_nParity = CLineSettings::NoParity;
    quint8 m_nStopBits = CLineSettings::OneStop;
    qint64 m_nBytesWritten = 0;
    qint64 m_nBytesRead = 0;
    QString m_strLastSent;
    QString m_strChunk;

private:
    static inline const QString kModePrompt = QStringLiteral("Enter Mode");

    bool ExchangeWith(const QString& text, const CTimeouts& timeouts);
    void OpenPort(const CTimeouts& timeouts);
    void ClosePort();
    void WriteText(const QString& text);
    QByteArray ReadReply();
    void StoreReply(const QByteArray& bytes);
    void ReportImpactStarted();
    void ReportDownload(const QString& chunk);

    CPortFactory& m_rFactory;
    CClock& m_rClock;
    std::unique_ptr<CPortBackend> m_pPort;
    CLineSettings m_lineSettings;
    CTimeouts m_timeouts;
    CRunProgress* m_pProgress = nullptr;
    int m_nSampleLines = 0;
    bool m_bSampleLineOpen = false;
};

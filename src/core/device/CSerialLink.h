#pragma once

#include "core/device/CPortBackend.h"

#include <QString>
#include <QStringList>

#include <memory>

class CClock;
class CPortFactory;
class CRunProgress;
class CSerialSettings;

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

    // A box that trickles a byte now and then keeps every poll alive for its
    // whole read, so polls alone would allow 44 minutes; the download is also
    // bounded in time, by twice the longest one a box can legitimately make:
    //   the longest impact, during which polls go unanswered: a 60 s dwell
    //   and 4 mm down and back at 1 mm/s, 68 s;
    //   its output: 2 x 1000 release 5 sample lines of at most 20 bytes
    //   ("#65535#65535#65535\r\n") and the texts around them, 40128 bytes,
    //   sent at 12 bits a character (start, 8 data, parity, 2 stop);
    //   400 polls (replies of 100 bytes or more), each costing the "w" and
    //   the 50 ms read interval that ends its reply, 60 ms.
    // At 9600 baud: 2 x (68 s + 50.2 s + 24 s) = 284 s, under five minutes.
    static constexpr qint64 kLongestImpactMs = 68000;
    static constexpr qint64 kLongestOutputBytes = 2 * 1000 * 20 + kReplyBytes;
    static constexpr qint64 kWireBitsPerCharacter = 12;
    static constexpr qint64 kLongestDownloadPolls = 400;
    static constexpr qint64 kPollOverheadMs = 60;
    // A baud rate that is not a number reaches the port as 0; the line then
    // runs at whatever it had, at worst the slowest rate the settings offer.
    static constexpr int kSlowestBaudRate = 1200;
    static qint64 MaxDownloadMs(int baudRate);

    CSerialLink(CPortFactory& factory, CClock& clock);
    virtual ~CSerialLink();

    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    void Configure(int baudRate, int byteSize, const QString& port, const QString& parity,
                   const QString& stopBits);
    void Configure(const CSerialSettings& settings);

    // True when at least one byte came back; otherwise the previous reply stays.
    bool Exchange(const QString& text);
    bool ExchangeSlow(const QString& text);

    // "y", then "w" polls until the box shows "Enter Mode" again or has been
    // silent for 100 polls; every reply is appended as it was read. The
    // download also stops after kMaxDownloadPolls polls or MaxDownloadMs.
    // RunDataComplete() tells whether it ended at the mode prompt.
    void CollectRunData(QStringList& chunks);
    bool RunDataComplete() const { return m_bRunDataComplete; }
    // Told of the impact and of the sample lines as they arrive; optional.
    void SetProgress(CRunProgress* progress) { m_pProgress = progress; }

    // The reply buffer as text, up to its first NUL byte.
    QString ReplyText() const;
    // How many bytes the last read took; the buffer keeps at most kReplyBytes.
    qint64 BytesRead() const { return m_nBytesRead; }
    const QString& LastSent() const { return m_strLastSent; }
    // The last block of a download, white space at its start dropped.
    const QString& LastChunk() const { return m_strChunk; }

    // Exact names, letter case included; anything else is none / one stop bit.
    static quint8 ParityCode(const QString& name);
    static quint8 StopBitsCode(const QString& text);

private:
    bool ExchangeWith(const QString& text, const CTimeouts& timeouts);
    void OpenPort(const CTimeouts& timeouts);
    void ClosePort();
    void WriteText(const QString& text);
    QByteArray ReadReply();
    void StoreReply(const QByteArray& bytes);
    void ReportImpactStarted();
    void ReportDownload(const QString& chunk);

    char m_szReply[kReplyBytes + 1] = {};
    int m_nBaudRate = 9600;
    int m_nByteSize = 8;
    QString m_strPort = QStringLiteral("Com1");
    quint8 m_nParity = CLineSettings::NoParity;
    quint8 m_nStopBits = CLineSettings::OneStop;
    qint64 m_nBytesRead = 0;
    QString m_strLastSent;
    QString m_strChunk;
    bool m_bRunDataComplete = false;
    CPortFactory& m_rFactory;
    CClock& m_rClock;
    std::unique_ptr<CPortBackend> m_pPort;
    CLineSettings m_lineSettings;
    CTimeouts m_timeouts;
    CRunProgress* m_pProgress = nullptr;
    int m_nSampleLines = 0;
    bool m_bSampleLineOpen = false;
};

#include "core/device/CSerialLink.h"

#include "core/device/CClock.h"
#include "core/device/CPortFactory.h"
#include "core/device/CRunProgress.h"
#include "core/record/CBoxWords.h"
#include "core/record/CSerialSettings.h"
#include "core/record/CTextRules.h"

#include <cstring>

CSerialLink::CSerialLink(CPortFactory& factory, CClock& clock)
    : m_rFactory(factory), m_rClock(clock)
{
}

CSerialLink::~CSerialLink() = default;

quint8 CSerialLink::ParityCode(const QString& name)
{
    if (name == QLatin1String("Odd"))
        return CLineSettings::OddParity;
    if (name == QLatin1String("Even"))
        return CLineSettings::EvenParity;
    if (name == QLatin1String("Mark"))
        return CLineSettings::MarkParity;
    if (name == QLatin1String("Space"))
        return CLineSettings::SpaceParity;
    return CLineSettings::NoParity;
}

quint8 CSerialLink::StopBitsCode(const QString& text)
{
    if (text == QLatin1String("1.5"))
        return CLineSettings::OneAndHalfStop;
    if (text == QLatin1String("2"))
        return CLineSettings::TwoStop;
    return CLineSettings::OneStop;
}

void CSerialLink::Configure(int baudRate, int byteSize, const QString& port, const QString& parity,
                            const QString& stopBits)
{
    m_strPort = port;
    m_nBaudRate = baudRate;
    m_nByteSize = byteSize;
    m_nParity = ParityCode(parity);
    m_nStopBits = StopBitsCode(stopBits);
}

void CSerialLink::Configure(const CSerialSettings& settings)
{
    Configure(settings.m_nBaudRate, settings.m_nByteSize, settings.m_strPort, settings.m_strParity,
              settings.m_strStopBits);
}

QString CSerialLink::ReplyText() const
{
    return QString::fromLatin1(m_szReply, qsizetype(qstrnlen(m_szReply, sizeof m_szReply)));
}

bool CSerialLink::Exchange(const QString& text)
{
    return ExchangeWith(text, kShortTimeouts);
}

bool CSerialLink::ExchangeSlow(const QString& text)
{
    return ExchangeWith(text, kLongTimeouts);
}

bool CSerialLink::ExchangeWith(const QString& text, const CTimeouts& timeouts)
{
    OpenPort(timeouts);
    m_strLastSent = text;
    WriteText(text);
    const QByteArray reply = ReadReply();
    ClosePort();
    if (reply.isEmpty())
        return false;
    StoreReply(reply);
    return true;
}

qint64 CSerialLink::MaxDownloadMs(int baudRate)
{
    const qint64 bitsPerSecond = qMax(baudRate, kSlowestBaudRate);
    const qint64 wireMs = kLongestOutputBytes * kWireBitsPerCharacter * 1000 / bitsPerSecond;
    return 2 * (kLongestImpactMs + wireMs + kLongestDownloadPolls * kPollOverheadMs);
}

void CSerialLink::CollectRunData(QStringList& chunks)
{
    m_bRunDataComplete = false;
    const qint64 deadlineMs = m_rClock.NowMs() + MaxDownloadMs(m_nBaudRate);
    ReportImpactStarted();
    OpenPort(kShortTimeouts);
    WriteText(QStringLiteral("y"));
    StoreReply(ReadReply());
    m_strChunk = ReplyText();
    chunks.append(m_strChunk);
    ReportDownload(m_strChunk);

    // The last characters of the output so far: a prompt that two reads cut
    // in two is found across the cut.
    QString streamTail = m_strChunk.right(CBoxWords::kModePrompt.size() - 1);
    int emptyPolls = 0;
    for (int poll = 0;
         poll < kMaxDownloadPolls && emptyPolls < kMaxEmptyPolls && m_rClock.NowMs() < deadlineMs;
         ++poll) {
        WriteText(QStringLiteral("w"));
        StoreReply(ReadReply());
        const QString chunk = ReplyText();
        chunks.append(chunk);
        ReportDownload(chunk);
        m_strChunk = CTextRules::TrimmedLeft(chunk);
        const bool complete = (streamTail + chunk).contains(CBoxWords::kModePrompt);
        if (m_strChunk.isEmpty())
            ++emptyPolls;
        streamTail = (streamTail + chunk).right(CBoxWords::kModePrompt.size() - 1);
        if (complete) {
            m_bRunDataComplete = true;
            break;
        }
    }
    ClosePort();
}

void CSerialLink::ReportImpactStarted()
{
    m_nSampleLines = 0;
    m_bSampleLineOpen = false;
    if (m_pProgress)
        m_pProgress->ShowRunStatus(CRunProgress::kImpactInProgress);
}

// A sample line ("#..." down, "-..." up) counts once its line feed is in,
// so a line that two reads cut in two counts once.
void CSerialLink::ReportDownload(const QString& chunk)
{
    const int before = m_nSampleLines;
    for (const QChar c : chunk) {
        if (c == u'#' || c == u'-') {
            m_bSampleLineOpen = true;
        } else if (c == u'\n') {
            m_nSampleLines += m_bSampleLineOpen ? 1 : 0;
            m_bSampleLineOpen = false;
        }
    }
    if (m_pProgress && m_nSampleLines != before)
        m_pProgress->ShowRunStatus(CRunProgress::ReceivingSamples(m_nSampleLines));
}

void CSerialLink::OpenPort(const CTimeouts& timeouts)
{
    m_pPort = m_rFactory.CreateBackend(m_strPort, m_rClock);
    // Like the classic link, a port that cannot be opened is not an error
    // here: every later step quietly does nothing and the read stays empty.
    if (!m_pPort->Open(m_strPort))
        return;
    m_lineSettings.baudRate = m_nBaudRate;
    m_lineSettings.dataBits = quint8(m_nByteSize & 0xff);
    m_lineSettings.parity = m_nParity;
    m_lineSettings.stopBits = m_nStopBits;
    m_pPort->ApplyLineSettings(m_lineSettings);
    m_timeouts = timeouts;
    m_pPort->SetTimeouts(m_timeouts);
}

void CSerialLink::ClosePort()
{
    m_pPort->Close();
    m_pPort.reset();
}

void CSerialLink::WriteText(const QString& text)
{
    m_pPort->Write(text.toLatin1());
}

QByteArray CSerialLink::ReadReply()
{
    const QByteArray reply = m_pPort->Read(kReplyBytes);
    m_nBytesRead = reply.size();
    return reply;
}

// Terminated after the bytes received; a NUL among them ends the text early.
void CSerialLink::StoreReply(const QByteArray& bytes)
{
    const qsizetype count = qMin(bytes.size(), kReplyBytes);
    std::memcpy(m_szReply, bytes.constData(), size_t(count));
    m_szReply[count] = '\0';
}

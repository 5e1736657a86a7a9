#include "core/simulator/ControlBoxSimulator.h"

#include <array>

namespace {

const QByteArray kModePrompt = "Enter Mode: ";
const QByteArray kForcePrompt = "Enter Force (K dynes x 10): ";
const QByteArray kDisplacementPrompt = "Enter Displacement (microns): ";
const QByteArray kVelocityPrompt = "Enter Velocity (mm/s): ";
const QByteArray kDwellPrompt = "Enter Dwell (s): ";
const QByteArray kPressYPrompt = "Press y to impact, any other key to cancel: ";
const QByteArray kSensitivityPrompt = "Enter Sensitivity (mV/N x 10): ";
const QByteArray kOutOfRange = "Out of range\r\n";
const QByteArray kSendDataNow = "R\r\nSend Data Now\r\n";

constexpr qsizetype kBlockBytes = 120;
constexpr qsizetype kReplyBytes = 128;
constexpr qsizetype kSplitBlockBytes = 100;
constexpr qsizetype kLineLimit = 80;
constexpr int kBadSensitivity = 2500;
constexpr int kMinForceTenths = 10;
constexpr int kMaxForceTenths = 10000;
constexpr int kMaxDwellS = 60;

struct FaultName {
    const char* name;
    ControlBoxSimulator::Fault fault;
    enum { None, Optional, Required } argument;
};

constexpr std::array kFaultNames = {
    FaultName{"silent", ControlBoxSimulator::Fault::Silent, FaultName::None},
    FaultName{"silent-after", ControlBoxSimulator::Fault::SilentAfter, FaultName::Required},
    FaultName{"silent-download", ControlBoxSimulator::Fault::SilentDownload, FaultName::Optional},
    FaultName{"returning", ControlBoxSimulator::Fault::Returning, FaultName::None},
    FaultName{"no-prompt", ControlBoxSimulator::Fault::NoPrompt, FaultName::None},
    FaultName{"repeat-prompt", ControlBoxSimulator::Fault::RepeatPrompt, FaultName::None},
    FaultName{"garbage", ControlBoxSimulator::Fault::Garbage, FaultName::None},
    FaultName{"split-reply", ControlBoxSimulator::Fault::SplitReply, FaultName::None},
    FaultName{"bad-sensitivity", ControlBoxSimulator::Fault::BadSensitivity, FaultName::None},
    FaultName{"wake-after", ControlBoxSimulator::Fault::WakeAfter, FaultName::Required},
    FaultName{"noise-after", ControlBoxSimulator::Fault::NoiseAfter, FaultName::Required},
    FaultName{"unplug-after", ControlBoxSimulator::Fault::UnplugAfter, FaultName::Required},
    FaultName{"second-hit", ControlBoxSimulator::Fault::SecondHit, FaultName::None},
    FaultName{"bone", ControlBoxSimulator::Fault::Bone, FaultName::None},
    FaultName{"early-contact", ControlBoxSimulator::Fault::EarlyContact, FaultName::None},
    FaultName{"overshoot", ControlBoxSimulator::Fault::Overshoot, FaultName::None},
    FaultName{"slow-drive", ControlBoxSimulator::Fault::SlowDrive, FaultName::None},
};

// A whole line holding one decimal number, as the box's firmware reads it.
bool ParseNumber(const QByteArray& line, int& value)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.size() > 10)
        return false;
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok;
}

bool AllDigits(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Line noise that never looks like white space, a separator or a NUL.
char NoiseByte(QRandomGenerator& rng)
{
    static const QByteArray noise = [] {
        QByteArray bytes;
        for (int b = 0x01; b <= 0x08; ++b)
            bytes += char(b);
        for (int b = 0x0e; b <= 0x1f; ++b)
            bytes += char(b);
        for (int b = 0x80; b <= 0xff; ++b)
            bytes += char(b);
        return bytes;
    }();
    return noise.at(rng.bounded(int(noise.size())));
}

}  // namespace

bool ControlBoxSimulator::Options::AddFault(const QString& spec, QString* error)
{
    const qsizetype equals = spec.indexOf(u'=');
    const QString name = equals < 0 ? spec : spec.left(equals);
    const QString argument = equals < 0 ? QString() : spec.mid(equals + 1);
    for (const FaultName& entry : kFaultNames) {
        if (name != QLatin1String(entry.name))
            continue;
        int count = 0;
        if (entry.argument == FaultName::None && equals >= 0) {
            if (error)
                *error = QStringLiteral("fault '%1' takes no value").arg(name);
            return false;
        }
        if (entry.argument == FaultName::Required && equals < 0) {
            if (error)
                *error = QStringLiteral("fault '%1' needs a count: %1=N").arg(name);
            return false;
        }
        if (equals >= 0) {
            bool ok = false;
            count = argument.toInt(&ok);
            if (!ok || count < 0) {
                if (error)
                    *error = QStringLiteral("fault '%1': '%2' is not a count").arg(name, argument);
                return false;
            }
        }
        faults |= quint32(entry.fault);
        if (entry.fault == Fault::SilentAfter)
            silentAfterReplies = count;
        else if (entry.fault == Fault::SilentDownload)
            silentDownloadAfter = count;
        else if (entry.fault == Fault::WakeAfter)
            wakeAfterLineFeeds = count;
        else if (entry.fault == Fault::NoiseAfter)
            noiseAfterReplies = count;
        else if (entry.fault == Fault::UnplugAfter)
            unplugAfterReplies = count;
        return true;
    }
    if (error)
        *error = QStringLiteral("unknown fault '%1'").arg(name);
    return false;
}

QStringList ControlBoxSimulator::FaultNames()
{
    QStringList names;
    for (const FaultName& entry : kFaultNames) {
        QString name = QLatin1String(entry.name);
        if (entry.argument == FaultName::Required)
            name += QLatin1String("=N");
        else if (entry.argument == FaultName::Optional)
            name += QLatin1String("[=N]");
        names.append(name);
    }
    return names;
}

ControlBoxSimulator::ControlBoxSimulator() : ControlBoxSimulator(Options())
{
}

ControlBoxSimulator::ControlBoxSimulator(const Options& options)
    : m_options(options), m_rng(options.seed), m_noiseRng(options.seed ^ 0x5a5a5a5au),
      m_state(options.Has(Fault::Returning) ? State::Loader : State::MainMenu),
      m_nSensitivity(options.Has(Fault::BadSensitivity) ? kBadSensitivity : options.sensitivity)
{
}

void ControlBoxSimulator::OnReceive(const QByteArray& bytes, qint64 nowMs)
{
    m_pending.clear();
    for (char c : bytes) {
        // The box does not listen while the probe moves.
        if (nowMs < m_nBusyUntilMs)
            break;
        TakeByte(c, nowMs);
    }
    Transmit(m_pending, nowMs);
    m_pending.clear();
}

bool ControlBoxSimulator::ReadsLines() const
{
    switch (m_state) {
    case State::PressY:
    case State::Download:
    case State::SensitivityConfirm:
    case State::ReprogramWait:
        return false;
    default:
        return true;
    }
}

bool ControlBoxSimulator::Echoes() const
{
    return ReadsLines() && m_state != State::Loader;
}

void ControlBoxSimulator::TakeByte(char c, qint64 nowMs)
{
    // Still starting up: line feeds come back as bare line ends.
    if (m_options.Has(Fault::WakeAfter) && m_nLineFeedsSeen < m_options.wakeAfterLineFeeds) {
        if (c != '\n')
            return;
        if (++m_nLineFeedsSeen < m_options.wakeAfterLineFeeds) {
            Print("\r\n");
            return;
        }
    }
    if (!ReadsLines()) {
        TakeKey(c, nowMs);
        return;
    }
    if (m_state == State::Loader && m_line.isEmpty() && c == 'R') {
        Print(kSendDataNow);
        return;
    }
    if (c == '\r')
        return;
    if (c == '\n') {
        if (Echoes())
            Print("\r\n");
        const QByteArray line = m_line;
        m_line.clear();
        TakeLine(line);
        return;
    }
    if (Echoes() && c >= ' ' && c <= '~')
        Print(QByteArray(1, c));
    if (m_line.size() < kLineLimit)
        m_line += c;
}

void ControlBoxSimulator::TakeKey(char c, qint64 nowMs)
{
    switch (m_state) {
    case State::PressY:
        if (c == 'y') {
            StartImpact(nowMs);
        } else {
            Print("\r\nImpact cancelled\r\n" + kModePrompt);
            m_state = State::MainMenu;
        }
        break;
    case State::Download:
        if (c == 'w') {
            NextDownloadBlock();
        } else if (c == '\n') {
            m_downloadBlocks.clear();
            Print("\r\n" + kModePrompt);
            m_state = State::MainMenu;
        }
        break;
    case State::SensitivityConfirm:
        if (c == 'Y' || c == 'y') {
            m_nSensitivity = m_nPendingSensitivity;
            Print("\r\nSensitivity stored\r\n" + kModePrompt);
        } else {
            Print("\r\nSensitivity unchanged\r\n" + kModePrompt);
        }
        m_state = State::MainMenu;
        break;
    case State::ReprogramWait:
        if (c == 'R') {
            Print(kSendDataNow);
            m_state = State::Loader;
        }
        break;
    default:
        break;
    }
}

void ControlBoxSimulator::TakeLine(const QByteArray& line)
{
    switch (m_state) {
    case State::MainMenu:
        MainMenuLine(line);
        break;
    case State::Force:
    case State::Displacement:
    case State::Velocity:
    case State::Dwell:
        ParameterLine(line);
        break;
    case State::SensitivityValue:
        SensitivityLine(line);
        break;
    case State::Loader:
        LoaderLine(line);
        break;
    default:
        break;
    }
}

void ControlBoxSimulator::MainMenuLine(const QByteArray& line)
{
    const QByteArray code = line.trimmed();
    const bool release5 = m_options.release == 5;
    bool startsImpact = false;
    if (code.isEmpty()) {
        Print(kModePrompt);
    } else if (code == "68") {
        Print("Entering reprogram state\r\n");
        m_state = State::ReprogramWait;
    } else if (release5 && code == "57") {
        Print(m_options.releaseText.toLatin1() + " - Force Sensitivity (" +
              QByteArray::number(m_nSensitivity) + ")\r\n" + kModePrompt);
    } else if (release5 && code == "86") {
        Print("force sensor reprogram\r\n" + kSensitivityPrompt);
        m_state = State::SensitivityValue;
    } else if (release5) {
        startsImpact = code == "54";
        if (!startsImpact)
            Print("Unknown mode\r\n" + kModePrompt);
    } else {
        startsImpact = AllDigits(code);
        if (!startsImpact)
            Print(kModePrompt);
    }
    if (!startsImpact)
        return;
    if (m_options.Has(Fault::NoPrompt)) {
        Print("Motor driver fault 12\r\n");
        return;
    }
    Print(kForcePrompt);
    m_state = State::Force;
}

void ControlBoxSimulator::ParameterLine(const QByteArray& line)
{
    int value = 0;
    const bool isNumber = ParseNumber(line, value);
    switch (m_state) {
    case State::Force:
        if (!isNumber || m_options.Has(Fault::RepeatPrompt)) {
            Print(kForcePrompt);
        } else if (value < kMinForceTenths || value > kMaxForceTenths) {
            Print(kOutOfRange + kForcePrompt);
        } else {
            m_request.forceTenths = value;
            Print(kDisplacementPrompt);
            m_state = State::Displacement;
        }
        break;
    case State::Displacement:
        if (!isNumber) {
            Print(kDisplacementPrompt);
        } else {
            m_request.displacementMicrons = value;
            Print(kVelocityPrompt);
            m_state = State::Velocity;
        }
        break;
    case State::Velocity:
        if (!isNumber) {
            Print(kVelocityPrompt);
        } else if (value < 0 || value > CImpactModel::kMaxVelocity) {
            Print(kOutOfRange + kVelocityPrompt);
        } else {
            m_request.velocityMmPerS = value;
            Print(kDwellPrompt);
            m_state = State::Dwell;
        }
        break;
    case State::Dwell:
        if (!isNumber) {
            Print(kDwellPrompt);
        } else if (value < 0 || value > kMaxDwellS) {
            Print(kOutOfRange + kDwellPrompt);
        } else {
            m_request.dwellS = value;
            Print(kPressYPrompt);
            m_state = State::PressY;
        }
        break;
    default:
        break;
    }
}

void ControlBoxSimulator::SensitivityLine(const QByteArray& line)
{
    int value = 0;
    if (!ParseNumber(line, value)) {
        Print(kSensitivityPrompt);
        return;
    }
    m_nPendingSensitivity = value;
    Print("Confirm new sensitivity " + QByteArray::number(value) + " (Y/N): ");
    m_state = State::SensitivityConfirm;
}

void ControlBoxSimulator::LoaderLine(const QByteArray& line)
{
    const QByteArray code = line.trimmed();
    if (code.isEmpty()) {
        Print("\r\nreturning to normal operation\r\n");
    } else if (code == "24") {
        Print("\r\nProgramming complete\r\n" + kModePrompt);
        m_state = State::MainMenu;
    } else {
        m_programmedLines.append(QString::fromLatin1(line));
        Print("OK\r\n");
    }
}

void ControlBoxSimulator::StartImpact(qint64 nowMs)
{
    m_lastImpact = m_request;
    ++m_nImpacts;
    CImpactModel::Settings settings;
    settings.forceTenths = m_request.forceTenths;
    settings.velocityMmPerS = m_request.velocityMmPerS;
    settings.dwellS = m_request.dwellS;
    settings.gapMicrons = m_options.gapMicrons;
    settings.secondHit = m_options.Has(Fault::SecondHit);
    settings.bone = m_options.Has(Fault::Bone);
    settings.earlyContact = m_options.Has(Fault::EarlyContact);
    settings.overshoot = m_options.Has(Fault::Overshoot);
    settings.slowDrive = m_options.Has(Fault::SlowDrive);
    m_lastResult = CImpactModel::Run(settings, m_rng);
    m_downloadBlocks = DownloadBlocks(m_lastResult);
    m_nBusyUntilMs = nowMs + m_lastResult.durationMs;
    m_state = State::Download;
    m_nDownloadReplies = 0;
    CountDownloadReply();
    Transmit("\r\nImpact complete\r\n", m_nBusyUntilMs);
}

void ControlBoxSimulator::NextDownloadBlock()
{
    CountDownloadReply();
    if (!m_downloadBlocks.isEmpty())
        Print(m_downloadBlocks.takeFirst());
    if (m_downloadBlocks.isEmpty())
        m_state = State::MainMenu;
}

// A box that hangs at the impact stays silent until it is switched off.
void ControlBoxSimulator::CountDownloadReply()
{
    if (m_options.Has(Fault::SilentDownload) && m_nDownloadReplies >= m_options.silentDownloadAfter)
        m_bMuted = true;
    ++m_nDownloadReplies;
}

QByteArray ControlBoxSimulator::SampleLine(const CImpactSample& sample, char separator) const
{
    const QByteArray s(1, separator);
    QByteArray line =
        s + QByteArray::number(sample.position) + s + QByteArray::number(sample.force);
    line += m_options.release == 5 ? s + QByteArray::number(sample.stepTime) : s;
    return line + "\r\n";
}

QList<QByteArray> ControlBoxSimulator::DownloadBlocks(const CImpactModel::Result& result) const
{
    QByteArrayList lines;
    for (const CImpactSample& sample : result.down)
        lines.append(SampleLine(sample, '#'));
    for (const CImpactSample& sample : result.up)
        lines.append(SampleLine(sample, '-'));
    const QByteArray tail = "\r\n" + kModePrompt;

    QList<QByteArray> blocks;
    if (m_options.Has(Fault::SplitReply)) {
        const QByteArray stream = lines.join() + tail;
        // Through the middle of "Enter Mode": "...Enter" | " Mode: ".
        const qsizetype promptCut = stream.size() - kModePrompt.size() + 5;
        for (qsizetype at = 0; at < stream.size();) {
            qsizetype next = qMin(at + kSplitBlockBytes, stream.size());
            if (at < promptCut && promptCut < next)
                next = promptCut;
            blocks.append(stream.mid(at, next - at));
            at = next;
        }
        return blocks;
    }
    QByteArray block;
    for (const QByteArray& line : lines) {
        if (block.size() + line.size() > kBlockBytes) {
            blocks.append(block);
            block.clear();
        }
        block += line;
    }
    if (block.size() + tail.size() > kReplyBytes) {
        blocks.append(block);
        block.clear();
    }
    blocks.append(block + tail);
    return blocks;
}

void ControlBoxSimulator::Print(const QByteArray& text)
{
    m_pending += text;
}

void ControlBoxSimulator::Transmit(QByteArray text, qint64 dueMs)
{
    if (text.isEmpty() || m_bMuted || m_options.Has(Fault::Silent))
        return;
    if (m_options.Has(Fault::SilentAfter) && m_nReplies >= m_options.silentAfterReplies) {
        m_bMuted = true;
        return;
    }
    if (m_options.Has(Fault::UnplugAfter) && m_nReplies >= m_options.unplugAfterReplies) {
        DropLine();
        return;
    }
    if (m_options.Has(Fault::NoiseAfter) && m_nReplies >= m_options.noiseAfterReplies)
        text.clear();
    ++m_nReplies;
    if (m_options.Has(Fault::Garbage) || text.isEmpty())
        text += Noise();
    Send(text, dueMs);
}

QByteArray ControlBoxSimulator::Noise()
{
    QByteArray noise;
    const int count = 2 + int(m_noiseRng.bounded(4));
    for (int i = 0; i < count; ++i)
        noise += NoiseByte(m_noiseRng);
    return noise;
}

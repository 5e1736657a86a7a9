#include "CPtyBoxServer.h"

#include "core/simulator/CSimulatedBox.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct SpeedCode {
    speed_t code;
    qint64 bitsPerSecond;
};

constexpr std::array kSpeeds = {
    SpeedCode{B300, 300},       SpeedCode{B600, 600},       SpeedCode{B1200, 1200},
    SpeedCode{B2400, 2400},     SpeedCode{B4800, 4800},     SpeedCode{B9600, 9600},
    SpeedCode{B19200, 19200},   SpeedCode{B38400, 38400},   SpeedCode{B57600, 57600},
    SpeedCode{B115200, 115200}, SpeedCode{B230400, 230400},
};

qint64 BitsPerSecond(speed_t code)
{
    for (const SpeedCode& speed : kSpeeds) {
        if (speed.code == code)
            return speed.bitsPerSecond;
    }
    return 0;
}

// Start bit, data bits, parity bit, stop bits.
int BitsPerCharacter(const termios& settings)
{
    int dataBits = 8;
    switch (settings.c_cflag & CSIZE) {
    case CS5:
        dataBits = 5;
        break;
    case CS6:
        dataBits = 6;
        break;
    case CS7:
        dataBits = 7;
        break;
    default:
        break;
    }
    const int parityBits = (settings.c_cflag & PARENB) ? 1 : 0;
    const int stopBits = (settings.c_cflag & CSTOPB) ? 2 : 1;
    return 1 + dataBits + parityBits + stopBits;
}

}  // namespace

CPtyBoxServer::CPtyBoxServer(CSimulatedBox& box, bool paceAtLineSpeed)
    : m_rBox(box), m_bPace(paceAtLineSpeed)
{
}

CPtyBoxServer::~CPtyBoxServer()
{
    if (m_nSlave >= 0)
        ::close(m_nSlave);
    if (m_nMaster >= 0)
        ::close(m_nMaster);
}

bool CPtyBoxServer::Open()
{
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    raw.c_cflag |= CREAD | CLOCAL;
    // Raw from the first moment: echo or line editing would corrupt the traffic.
    if (::openpty(&m_nMaster, &m_nSlave, nullptr, &raw, nullptr) != 0) {
        m_strError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Keeping the device side open ourselves means the line never hangs up
    // between the program's exchanges, each of which opens and closes it.
    m_strDevicePath = QString::fromLocal8Bit(::ttyname(m_nSlave));
    return true;
}

qint64 CPtyBoxServer::NowUs() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 CPtyBoxServer::WireUs(qsizetype bytes) const
{
    if (!m_bPace)
        return 0;
    termios settings{};
    if (::tcgetattr(m_nSlave, &settings) != 0)
        return 0;
    const qint64 bitsPerSecond = BitsPerSecond(cfgetospeed(&settings));
    if (bitsPerSecond <= 0)
        return 0;
    return bytes * BitsPerCharacter(settings) * 1000000 / bitsPerSecond;
}

void CPtyBoxServer::TakeInput()
{
    char buffer[512];
    const ssize_t count = ::read(m_nMaster, buffer, sizeof buffer);
    if (count <= 0)
        return;
    // The box has the bytes once the last of them has crossed the line.
    const qint64 arrivedUs = NowUs() + WireUs(count);
    m_rBox.Deliver(QByteArray(buffer, count), arrivedUs / 1000);
}

void CPtyBoxServer::TakeDueOutput()
{
    const qint64 nowUs = NowUs();
    const qint64 due = m_rBox.NextOutputMs();
    if (due < 0 || due * 1000 > nowUs)
        return;
    const QByteArray bytes = m_rBox.TakeOutput(nowUs / 1000, std::numeric_limits<int>::max());
    const qint64 startUs = qMax(nowUs, m_nLineFreeUs);
    m_nLineFreeUs = startUs + WireUs(bytes.size());
    m_outgoing.append({m_nLineFreeUs, bytes});
}

bool CPtyBoxServer::WriteReleased()
{
    const qint64 nowUs = NowUs();
    while (!m_outgoing.isEmpty() && m_outgoing.front().releaseUs <= nowUs) {
        const QByteArray bytes = m_outgoing.takeFirst().bytes;
        for (qsizetype written = 0; written < bytes.size();) {
            const ssize_t count =
                ::write(m_nMaster, bytes.constData() + written, size_t(bytes.size() - written));
            if (count < 0 && errno != EINTR)
                return false;
            written += qMax<ssize_t>(count, 0);
        }
    }
    return true;
}

int CPtyBoxServer::PollTimeoutMs() const
{
    qint64 wakeUs = std::numeric_limits<qint64>::max();
    if (m_rBox.NextOutputMs() >= 0)
        wakeUs = m_rBox.NextOutputMs() * 1000;
    if (!m_outgoing.isEmpty())
        wakeUs = qMin(wakeUs, m_outgoing.front().releaseUs);
    if (wakeUs == std::numeric_limits<qint64>::max())
        return 1000;
    const qint64 waitUs = wakeUs - NowUs();
    return waitUs <= 0 ? 0 : int(qMin<qint64>((waitUs + 999) / 1000, 1000));
}

int CPtyBoxServer::Serve(volatile std::sig_atomic_t& stop, bool untilStdinCloses)
{
    while (!stop) {
        pollfd fds[2] = {{m_nMaster, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int watched = untilStdinCloses ? 2 : 1;
        const int ready = ::poll(fds, nfds_t(watched), PollTimeoutMs());
        if (ready < 0 && errno != EINTR)
            return 1;
        if (ready > 0 && (fds[0].revents & POLLIN))
            TakeInput();
        if (untilStdinCloses && ready > 0 && fds[1].revents) {
            char ignored[64];
            if (::read(STDIN_FILENO, ignored, sizeof ignored) <= 0)
                return 0;
        }
        TakeDueOutput();
        if (!WriteReleased())
            return 1;
        if (m_rBox.LineGone()) {
            HangUp();
            return 0;
        }
    }
    return 0;
}

// Both ends closed: the device disappears under the program that has it open.
void CPtyBoxServer::HangUp()
{
    ::close(m_nSlave);
    ::close(m_nMaster);
    m_nSlave = -1;
    m_nMaster = -1;
}

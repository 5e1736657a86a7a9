#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <csignal>

class CSimulatedBox;

// Serves a simulated control box on a pseudo-terminal: what a program writes
// to the device goes to the box, what the box prints comes back. Bytes take
// the time a real line needs at the line settings the program chose.
class CPtyBoxServer
{
public:
    CPtyBoxServer(CSimulatedBox& box, bool paceAtLineSpeed);
    ~CPtyBoxServer();

    CPtyBoxServer(const CPtyBoxServer&) = delete;
    CPtyBoxServer& operator=(const CPtyBoxServer&) = delete;

    // Creates the pseudo-terminal in raw mode; false with ErrorText() on failure.
    bool Open();
    QString DevicePath() const { return m_strDevicePath; }
    QString ErrorText() const { return m_strError; }

    // Runs until stop becomes non-zero, until standard input ends when asked
    // to, or until the box's line is gone (the device then disappears).
    int Serve(volatile std::sig_atomic_t& stop, bool untilStdinCloses);

private:
    struct Outgoing {
        qint64 releaseUs;
        QByteArray bytes;
    };

    qint64 NowUs() const;
    qint64 WireUs(qsizetype bytes) const;
    void TakeInput();
    void TakeDueOutput();
    bool WriteReleased();
    int PollTimeoutMs() const;
    void HangUp();

    CSimulatedBox& m_rBox;
    bool m_bPace;
    int m_nMaster = -1;
    int m_nSlave = -1;
    QString m_strDevicePath;
    QString m_strError;
    qint64 m_nLineFreeUs = 0;
    QList<Outgoing> m_outgoing;
};

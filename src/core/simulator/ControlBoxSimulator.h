#pragma once

#include "core/simulator/CImpactModel.h"
#include "core/simulator/CSimulatedBox.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// A stand-in for the impactor's control box, firmware release 4 or 5, on a
// simulated line. It is the box a researcher tries the program with and the
// box every protocol test talks to.
//
// The box reads lines ending in "\n" ("\r" is ignored) at its prompts and
// echoes what it reads there (a line end as "\r\n"); at its single-key
// prompts ("Press y", the download, the sensitivity confirmation, the
// reprogram state) it acts on one byte and echoes nothing. Texts it prints:
//
//   main prompt         "Enter Mode: "; an empty line prints it again
//   "57" (release 5)    "R5.04 - Force Sensitivity (5431)\r\n" then the main prompt:
//                       the release text before " - ", the stored sensitivity
//                       between "(" and ")"
//   "54" (release 5), or any other number but "68" (release 4, which knows
//   only the impact and so also starts it on "57" and "86"):
//                       "Enter Force (K dynes x 10): ", "Enter Displacement (microns): ",
//                       "Enter Velocity (mm/s): ", "Enter Dwell (s): ", each after a valid
//                       answer to the one before; an empty or invalid answer, or a force
//                       outside 10..10000 or a dwell outside 0..60, gets the same prompt
//                       again (after "Out of range\r\n" for a number out of range)
//   after the dwell     "Press y to impact, any other key to cancel: "
//   "y"                 the impact; when the probe is back (the box ignores the line
//                       while it moves): "\r\nImpact complete\r\n"
//   other key           "\r\nImpact cancelled\r\n" and the main prompt
//   "w" after impact    the next block of sample lines (whole lines, at most 120 bytes;
//                       release 5 "#pos#force#steptime\r\n" down and "-pos-force-steptime\r\n"
//                       up, release 4 "#pos#force#\r\n" and "-pos-force-\r\n"), the last
//                       block followed by "\r\nEnter Mode: "; "\n" abandons the output
//   "86" (release 5)    "force sensor reprogram\r\nEnter Sensitivity (mV/N x 10): ",
//                       a number: "Confirm new sensitivity N (Y/N): ", then "Y" or "y":
//                       "\r\nSensitivity stored\r\n", any other key:
//                       "\r\nSensitivity unchanged\r\n", both followed by the main prompt
//   "68" (both)         "Entering reprogram state\r\n"; then "R": "R\r\nSend Data Now\r\n"
//                       and the box takes firmware lines: an empty line gets
//                       "\r\nreturning to normal operation\r\n", "R" at the start of a line
//                       "R\r\nSend Data Now\r\n", every other line "OK\r\n", and the line
//                       "24" ends it: "\r\nProgramming complete\r\n" and the main prompt
//   other lines         release 5: "Unknown mode\r\n" and the main prompt;
//                       release 4: the main prompt
//
// The impact follows CImpactModel with the force, velocity (1..100 mm/s)
// and dwell received. The faults make the box misbehave on purpose:
//
//   silent              never answers
//   silent-after=N      answers N times, then never again
//   silent-download[=N] hangs at the impact: after N replies of the download
//                       (the "Impact complete" reply counts) it never answers again
//   returning           powers up with unusable firmware, waiting for new firmware:
//                       "returning to normal operation" on every empty line
//   no-prompt           answers the impact mode with "Motor driver fault 12\r\n" and no prompt
//   repeat-prompt       never accepts a force: "Enter Force" for ever
//   garbage             2 to 5 bytes of line noise (control and 8-bit bytes, never white
//                       space, NUL, "#" or "-") after every reply
//   split-reply         download blocks cut every 100 bytes, through sample lines, and
//                       through the final "Enter Mode" ("...Enter" | " Mode: ")
//   bad-sensitivity     stored sensitivity 2500, out of the range 3000..7000
//   wake-after=N        still starting up until the N-th line feed it receives: each
//                       line feed before gets a bare "\r\n", everything else is lost
//   noise-after=N       answers N times, then only with 2 to 5 bytes of line noise
//   unplug-after=N      answers N times, then the line is gone as if its cable were
//                       pulled: ports fail at once, and on a pseudo-terminal the device
//                       disappears
//
// and make the impact one a study would exclude (CImpactModel gives the physics):
//
//   second-hit          the probe bounces: on the way back it strikes the cord again
//   bone                bone lies close under the cord: the force climbs steeply
//   early-contact       the probe starts pressed onto the tissue
//   overshoot           the drive stops late: the force runs past the set peak
//   slow-drive          the drive reaches only 80 % of the set velocity
//
// The same seed gives the same samples.
class ControlBoxSimulator : public CSimulatedBox
{
public:
    enum class Fault : quint32 {
        Silent = 1u << 0,
        SilentAfter = 1u << 1,
        SilentDownload = 1u << 2,
        Returning = 1u << 3,
        NoPrompt = 1u << 4,
        RepeatPrompt = 1u << 5,
        Garbage = 1u << 6,
        SplitReply = 1u << 7,
        BadSensitivity = 1u << 8,
        WakeAfter = 1u << 9,
        NoiseAfter = 1u << 10,
        UnplugAfter = 1u << 11,
        SecondHit = 1u << 12,
        Bone = 1u << 13,
        EarlyContact = 1u << 14,
        Overshoot = 1u << 15,
        SlowDrive = 1u << 16,
    };

    struct Options {
        int release = 5;
        quint32 seed = 1;
        int sensitivity = 5431;
        QString releaseText = QStringLiteral("R5.04");
        double gapMicrons = 1000;  // probe tip above the cord at the start
        quint32 faults = 0;
        int silentAfterReplies = 0;
        int silentDownloadAfter = 0;
        int wakeAfterLineFeeds = 0;
        int noiseAfterReplies = 0;
        int unplugAfterReplies = 0;

        bool Has(Fault fault) const { return faults & quint32(fault); }
        // Adds a fault by its name ("silent", "silent-after=3", ...).
        bool AddFault(const QString& spec, QString* error = nullptr);
    };

    // The settings of the last impact the box accepted.
    struct ImpactRequest {
        int forceTenths = 0;
        int displacementMicrons = 0;
        int velocityMmPerS = 0;
        int dwellS = 0;
    };

    static QStringList FaultNames();

    ControlBoxSimulator();
    explicit ControlBoxSimulator(const Options& options);

    const Options& Settings() const { return m_options; }
    int Sensitivity() const { return m_nSensitivity; }
    int ImpactCount() const { return m_nImpacts; }
    const ImpactRequest& LastImpact() const { return m_lastImpact; }
    const CImpactModel::Result& LastImpactResult() const { return m_lastResult; }
    const QStringList& ProgrammedLines() const { return m_programmedLines; }
    bool AtMainPrompt() const { return m_state == State::MainMenu; }

protected:
    void OnReceive(const QByteArray& bytes, qint64 nowMs) override;

private:
    enum class State {
        MainMenu,
        Force,
        Displacement,
        Velocity,
        Dwell,
        PressY,
        Download,
        SensitivityValue,
        SensitivityConfirm,
        ReprogramWait,
        Loader,
    };

    bool ReadsLines() const;
    bool Echoes() const;
    void TakeByte(char c, qint64 nowMs);
    void TakeKey(char c, qint64 nowMs);
    void TakeLine(const QByteArray& line);
    void MainMenuLine(const QByteArray& line);
    void ParameterLine(const QByteArray& line);
    void SensitivityLine(const QByteArray& line);
    void LoaderLine(const QByteArray& line);
    void StartImpact(qint64 nowMs);
    void NextDownloadBlock();
    void CountDownloadReply();
    QList<QByteArray> DownloadBlocks(const CImpactModel::Result& result) const;
    QByteArray SampleLine(const CImpactSample& sample, char separator) const;
    void Print(const QByteArray& text);
    void Transmit(QByteArray text, qint64 dueMs);
    QByteArray Noise();

    Options m_options;
    QRandomGenerator m_rng;
    QRandomGenerator m_noiseRng;
    State m_state = State::MainMenu;
    QByteArray m_line;
    QByteArray m_pending;  // the reply being built for the bytes at hand
    int m_nSensitivity = 0;
    int m_nPendingSensitivity = 0;
    ImpactRequest m_request;
    ImpactRequest m_lastImpact;
    CImpactModel::Result m_lastResult;
    int m_nImpacts = 0;
    QList<QByteArray> m_downloadBlocks;
    qint64 m_nBusyUntilMs = 0;
    int m_nLineFeedsSeen = 0;
    int m_nReplies = 0;
    int m_nDownloadReplies = 0;
    bool m_bMuted = false;
    QStringList m_programmedLines;
};

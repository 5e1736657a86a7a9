#pragma once

#include "core/protocol/CRunOutcome.h"

#include <QString>
#include <QStringList>

#include <optional>

class COperatorPrompt;
class CRunProgress;
class CSerialLink;

// The text dialogue of one impact, led by the control box: wake it, identify
// its firmware release, answer its prompts from the desired values, let the
// operator confirm, trigger the impact and download its output. What came of
// it is the result; the dialogue keeps nothing and writes nothing elsewhere.
class CExperimentDialogue
{
public:
    static constexpr int kModeForce = 0;
    static constexpr int kModeDisplacement = 1;
    static constexpr int kWakeProbes = 6;
    static constexpr int kUsableWakeProbes = 4;
    // A real impact needs seven prompt passes (two mode prompts, four
    // parameters, "Press y"). A box that repeats a prompt, or one that stays
    // silent so its last prompt would be answered again and again, ends the
    // run as not responding instead of holding the operator for ever.
    static constexpr int kMaxPromptPasses = 30;
    static constexpr int kMaxUnansweredExchanges = 2;
    static constexpr int kMinSensitivity = 3000;
    static constexpr int kMaxSensitivity = 7000;

    static inline const QString kDisplacementUnavailable =
        QStringLiteral("Displacement Experiment Unavailable in Current Software Release.\r\n"
                       "Please Watch the ZEV Website for the Lastest Release");
    static inline const QString kSensitivityOutOfRange =
        QStringLiteral("The Force Sensitivity Value in the Impactor Control Box is Out of Range.\n"
                       "Please Set a New Value Using 'View->Force Sensitivity Setting.'");
    static inline const QString kRelease4Question =
        QStringLiteral("Impactor Firmware Release 4 Detected.\n"
                       "Release 5 is Currently Available.\nContinue Anyway?");
    static inline const QString kImpactNow = QStringLiteral("Impact Now?");
    static inline const QString kImpactAborted = QStringLiteral("Impact Aborted.");

    struct DesiredValues {
        int forceKdyn = 0;
        int displacementMicrons = 0;
        int velocityMmPerS = 0;
        int dwellS = 0;
    };

    struct Result {
        CRunOutcome::Kind outcome = CRunOutcome::Kind::NotResponding;
        // 4 or 5 once the box was identified, with its release text ("R4.x"
        // or what release 5 reported); 0 and empty when it never was.
        int firmwareRelease = 0;
        QString firmwareVersion;
        // The stored sensitivity release 5 reported with its identification.
        int sensitivity = 0;
        // The box's output as the reads cut it, once an impact was made.
        QStringList chunks;
    };

    // The prompt asks before the impact and tells of a refused mode, an
    // abort and a sensitivity out of range.
    CExperimentDialogue(CSerialLink& link, COperatorPrompt& prompt);

    Result Run(const DesiredValues& desired, int mode);

    // Shown below "Impact Now?": what the impact will do. None by default.
    void SetImpactSummary(const QString& summary) { m_strImpactSummary = summary; }
    // Told when the run waits for the operator's answer; none by default.
    void SetProgress(CRunProgress* progress) { m_pProgress = progress; }

    // From a release 5 identification reply: the text from the first "R5" up
    // to, not including, the character in front of the first "-".
    static QString ReleaseText(const QString& reply);
    // The number after the first "(" (up to the first ")"), 0 without digits.
    static int SensitivityValue(const QString& reply);

private:
    enum class Speed { Normal, Slow };

    std::optional<CRunOutcome::Kind> WakeUp();
    bool ProbeUntilAwake();
    bool OperatorConfirms(const QString& question);
    CRunOutcome::Kind PromptLoop(const DesiredValues& desired);
    void Answer(const QString& text, Speed speed = Speed::Normal);
    void Identify();
    CRunOutcome::Kind ConfirmAndImpact();
    CRunOutcome::Kind Abort();

    CSerialLink& m_rLink;
    COperatorPrompt& m_rPrompt;
    // The box's last reply, judged by every step of the dialogue.
    QString m_strRxText;
    int m_nUnanswered = 0;
    Result m_result;
    QString m_strImpactSummary;
    CRunProgress* m_pProgress = nullptr;
};

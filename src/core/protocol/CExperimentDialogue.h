#pragma once

#include <QString>

class CSerialLink;
class CZentakDoc;

// The text dialogue of one impact, led by the control box: wake it, identify
// its firmware release, answer its prompts from the record's desired values,
// let the operator confirm, trigger the impact and download its samples into
// the record. Failures come back as false with the record's flags set.
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

    CExperimentDialogue(CZentakDoc& doc, CSerialLink& link);

    bool Run(int mode);

    // From a release 5 identification reply: the text from the first "R5" up
    // to, not including, the character in front of the first "-".
    static QString ReleaseText(const QString& reply);
    // The number after the first "(" (up to the first ")"), 0 without digits.
    static int SensitivityValue(const QString& reply);

private:
    enum class Speed { Normal, Slow };

    bool WakeUp();
    bool ProbeUntilAwake();
    bool PromptLoop();
    void Answer(const QString& text, Speed speed = Speed::Normal);
    void Identify();
    bool ConfirmAndImpact();
    bool Abort();

    CZentakDoc& m_rDoc;
    CSerialLink& m_rLink;
    int m_nUnanswered = 0;
};

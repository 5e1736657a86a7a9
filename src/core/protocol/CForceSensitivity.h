#pragma once

#include "core/protocol/CExperimentDialogue.h"

#include <QString>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CSerialLink;
class CSerialSettings;

// Reads and sets the force sensor's sensitivity stored in the control box
// (mV/N x 10, from the sensor's calibration sheet). Each read and each write
// uses a link of its own and tells the operator of every problem it meets.
class CForceSensitivity
{
public:
    // What the last read found.
    static constexpr int kStateNothing = 0;
    static constexpr int kStateUnsupported = 4;
    static constexpr int kStateReported = 5;

    static constexpr int kMinValue = CExperimentDialogue::kMinSensitivity;
    static constexpr int kMaxValue = CExperimentDialogue::kMaxSensitivity;
    static constexpr int kInitialValue = 3000;
    // Shown after an out-of-range read: it fails the range check on purpose,
    // so the operator has to type a valid value before it can be written.
    static constexpr int kOutOfRangeValue = 2900;

    static inline const QString kUnsupported = QStringLiteral(
        "The current firmware version does not support this feature. Please update to the "
        "latest firmware release.");
    static inline const QString kOutOfRange = QStringLiteral(
        "The sensitivity value in the impactor control box is out of range. Please set a new "
        "value.");
    static inline const QString kConfirmSetting = QStringLiteral("Confirm Setting?");

    enum class ReadOutcome { NotResponding, LeftAlone, Unsupported, Reported };
    enum class WriteOutcome { Stored, LeftAlone, Declined, NotResponding };

    struct Reading {
        ReadOutcome outcome = ReadOutcome::NotResponding;
        int state = kStateNothing;
        int sensitivity = kInitialValue;  // the value to show
        int reported = 0;                 // as the box reported it
        bool fieldEnabled = true;
    };

    CForceSensitivity(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt);

    Reading Read(const CSerialSettings& settings);

    // The caller has checked the value's range. A box away from its main
    // prompt is left alone; an operator who declines the confirmation leaves
    // the stored value as it was and the box back at rest.
    WriteOutcome Write(const CSerialSettings& settings, int value);

private:
    bool ExchangeExpecting(CSerialLink& link, const QString& text, const QString& expected);
    void ShowNotResponding(const CSerialSettings& settings);

    CPortFactory& m_rPorts;
    CClock& m_rClock;
    COperatorPrompt& m_rPrompt;
};

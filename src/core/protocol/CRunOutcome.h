#pragma once

#include <QString>

class CImpactRecord;

// How a run ended, and what the operator is told of it.
class CRunOutcome
{
public:
    // CutShort is a completed impact whose download ended before the box's
    // mode prompt: it is completed and logged like any other, and then the
    // operator is told with CutShortMessage.
    enum class Kind { Completed, CutShort, Aborted, FirmwareUnusable, ModeRefused, NotResponding };

    static inline const QString kFirmwareCorrupted =
        QStringLiteral("Device Firmware is Corrupted!\r\nPlease Reprogram Firmware.");
    static inline const QString kNotResponding =
        QStringLiteral("COM Port or Device is Not Responding!\r\n"
                       "Please Check Serial Cable and Machine Power.");

    static inline const QString kDownloadCutShort =
        QStringLiteral("Impact Data Download Was Cut Short!\r\n"
                       "Samples Received: %1 (%2 Down, %3 Up).\r\n"
                       "Please Check Serial Cable and Machine Power.");

    // Completed and CutShort: an impact was made, and its samples are a run.
    static bool ImpactMade(Kind kind) { return kind == Kind::Completed || kind == Kind::CutShort; }

    // The message still to show, or empty when the run has said all there is.
    static QString Message(Kind kind);
    // The same, where a port this user may not open is named as the cause,
    // and a port that did not answer is named on a line of its own.
    static QString Message(Kind kind, const QString& portName);

    // For every exchange that got no reply: the ordinary message, or why the
    // system refused to open the port and which group may use it.
    static QString NotRespondingMessage(const QString& portName);

    // Shown after the run has been completed and logged.
    static QString CutShortMessage(const CImpactRecord& record);
};

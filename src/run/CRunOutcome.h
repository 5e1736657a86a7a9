#pragma once

#include <QString>

class CZentakDoc;

// How a finished run is reported to the operator, read from the run's result
// and the record's flags in the order the control panel checks them.
class CRunOutcome
{
public:
    enum class Kind { Completed, Aborted, FirmwareUnusable, ModeRefused, NotResponding };

    static inline const QString kFirmwareCorrupted =
        QStringLiteral("Device Firmware is Corrupted!\r\nPlease Reprogram Firmware.");
    static inline const QString kNotResponding =
        QStringLiteral("COM Port or Device is Not Responding!\r\n"
                       "Please Check Serial Cable and Machine Power.");

    static Kind Classify(bool result, const CZentakDoc& doc, int mode);

    // The message still to show, or empty when the run has said all there is.
    static QString Message(Kind kind);
    // The same, where a port this user may not open is named as the cause.
    static QString Message(Kind kind, const QString& portName);

    // For every exchange that got no reply: the ordinary message, or why the
    // system refused to open the port and which group may use it.
    static QString NotRespondingMessage(const QString& portName);
};

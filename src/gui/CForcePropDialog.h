#pragma once

#include "core/protocol/CForceSensitivity.h"

#include <QDialog>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CSerialSettings;
class QLineEdit;

// "Force Settings": reads the force sensor's sensitivity from the control
// box on every opening and writes a new value on OK after the operator has
// confirmed it. Every message, validation included, goes through the
// operator prompt.
class CForcePropDialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString kCaption = QStringLiteral("Force Settings");
    static inline const QString kLabel = QStringLiteral("Force Sensitivity:");
    static inline const QString kNote = QStringLiteral(
        "*Force sensitivity value entered is the sensitivity from the sensor calibration sheet "
        "multiplied by 10 (e.g. 543.1 mV/N is entered as 5431). Resulting value should be in the "
        "range of 4000 to 6000.");
    static inline const QString kWarning =
        QStringLiteral("*WARNING: Improper force sensitivity setting may adversely affect all "
                       "force measurements made by the impactor.");

    CForcePropDialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                     const CSerialSettings& settings, QWidget* parent = nullptr);

    // Reads the value afresh; its messages come before the window shows.
    void OnInitDialog();
    // OnInitDialog, then runs modally.
    int Execute();

    QLineEdit* m_editSensitivity;
    int m_nState = CForceSensitivity::kStateNothing;
    int m_nSensitivity = CForceSensitivity::kInitialValue;

public Q_SLOTS:
    // Writes the value when the last read found one, then closes.
    void accept() override;

private:
    // The field's integer and range rules; false after their message.
    bool ValidateField();

    CForceSensitivity m_sensitivity;
    COperatorPrompt& m_rPrompt;
    const CSerialSettings& m_rSettings;
};

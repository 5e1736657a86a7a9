#pragma once

#include "core/protocol/CFirmwareTransfer.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CSerialSettings;
class QLabel;
class QProgressBar;

// The firmware writing window: no caption, no buttons, the percentage and
// a bar. It carries out the whole transfer and ends with the transfer's
// result, so the operator cannot break off an upgrade half way.
class CProgressDialog : public QDialog
{
    Q_OBJECT

public:
    // Lets the window appear before the blocking transfer starts.
    static constexpr int kStartDelayMs = 100;

    static inline const QString kTitleText = QStringLiteral("Writing Firmware...");
    static inline const QString kDurationText = QStringLiteral("Process may take several minutes.");
    static inline const QString kWarningText =
        QStringLiteral("WARNING: Do not disconnect power or serial cable.");

    CProgressDialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                    QWidget* parent = nullptr);

    // Runs modally; CFirmwareTransfer::kResultSuccess or kResultFailure.
    int Execute(const CSerialSettings& settings, const QStringList& lines);

    int UnansweredLines() const { return m_transfer.UnansweredLines(); }

    QString m_strPercent = QStringLiteral("0%");

public Q_SLOTS:
    void reject() override;

private Q_SLOTS:
    void OnTimer();

private:
    void ShowPercent(int percent);

    CFirmwareTransfer m_transfer;
    const CSerialSettings* m_pSettings = nullptr;
    QStringList m_arrLines;
    QTimer m_timer;
    QProgressBar* m_ctrlProgress;
    QLabel* m_labelPercent;
};

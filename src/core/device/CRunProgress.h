#pragma once

#include <QString>

// What a run is doing while the operator waits for it: the window shows it
// in its status bar. Reports are one-way; core code never waits on them.
class CRunProgress
{
public:
    static inline const QString kWaitingForBox = QStringLiteral("Waiting for the control box...");
    static inline const QString kWaitingForOperator = QStringLiteral("Waiting for the operator");
    static inline const QString kImpactInProgress = QStringLiteral("Impact in progress");

    static QString ReceivingSamples(int lines)
    {
        return QStringLiteral("Receiving samples: %1 lines").arg(lines);
    }

    virtual ~CRunProgress() = default;

    virtual void ShowRunStatus(const QString& text) = 0;
};

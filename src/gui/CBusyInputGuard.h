#pragma once

#include <QObject>

// Exchanges with the control box block the window's thread; while one waits
// for the line, the window still repaints and runs its timers, but clicks and
// keys are dropped rather than queued or acted on, so nothing the operator
// did meanwhile starts a second command inside the first. Message boxes a
// command shows between its exchanges take their answers as usual.
class CBusyInputGuard : public QObject
{
    Q_OBJECT

public:
    explicit CBusyInputGuard(QObject* parent = nullptr);

    // The clock's wait hook: paints and timers go through, user input not.
    void ProcessEventsWhileWaiting();

    bool eventFilter(QObject* watched, QEvent* event) override;

    static bool IsUserInput(const QEvent* event);

private:
    int m_nWaitDepth = 0;
};

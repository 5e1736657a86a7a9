#pragma once

#include <QObject>

class CSharedWindowState;

// While the busy pane says so, the window is inside a blocking exchange with
// the control box and only repaints; clicks and keys are dropped rather than
// queued, so nothing the operator did meanwhile fires after the run. Modal
// message boxes of the run still take their answers.
class CBusyInputGuard : public QObject
{
    Q_OBJECT

public:
    explicit CBusyInputGuard(const CSharedWindowState& state, QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

    static bool IsUserInput(const QEvent* event);

private:
    const CSharedWindowState& m_rState;
};

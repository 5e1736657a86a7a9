#include "gui/CBusyInputGuard.h"

#include <QCoreApplication>
#include <QEvent>

CBusyInputGuard::CBusyInputGuard(QObject* parent) : QObject(parent)
{
}

void CBusyInputGuard::ProcessEventsWhileWaiting()
{
    ++m_nWaitDepth;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --m_nWaitDepth;
}

bool CBusyInputGuard::IsUserInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

// A pointer resting on a menu or button would otherwise replace the run's
// status with its tip, and "Ready" when it leaves.
bool CBusyInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (m_nWaitDepth > 0 && (IsUserInput(event) || event->type() == QEvent::StatusTip))
        return true;
    return QObject::eventFilter(watched, event);
}

#include "app/CBusyInputGuard.h"

#include "app/CSharedWindowState.h"

#include <QApplication>
#include <QEvent>

CBusyInputGuard::CBusyInputGuard(const CSharedWindowState& state, QObject* parent)
    : QObject(parent), m_rState(state)
{
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

bool CBusyInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_rState.BusyText().isEmpty() && IsUserInput(event) &&
        QApplication::activeModalWidget() == nullptr)
        return true;
    return QObject::eventFilter(watched, event);
}

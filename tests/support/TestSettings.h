#pragma once

#include <QSettings>
#include <QTemporaryDir>

// Per-user settings of a test run go to a folder of their own, never to the
// researcher's: call before the first QSettings is made.
inline void UseTestSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

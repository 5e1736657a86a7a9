#pragma once

#include <QString>

#include <optional>

// Whether the system lets this user open a serial device at all. A port the
// user may not open fails like a silent box; telling the two apart spares
// the operator a search for a cable fault. On POSIX systems a device's
// rights come from its owner and group, read from the device file.
class CPortAccess
{
public:
    struct Denial {
        QString devicePath;
        QString group;              // the group that owns the device
        bool bGroupMayUse = false;  // its members may read and write it
    };

    // The device file a port name opens: a path as given, else a name in /dev.
    static QString DevicePath(const QString& systemPortName);

    // Set when the device exists and this user may not read and write it.
    static std::optional<Denial> DeniedAccess(const QString& systemPortName);
};

#pragma once

#include <QIODevice>
#include <QString>

class QFile;
class QFileDevice;

// The few file operations Qt does not offer, for files opened through
// QFile: an exclusive lock held by the open file, a flush to the disk,
// cutting a file back to a length, making a new folder entry durable, what
// a name is and which file it is, an open that never waits on a pipe or a
// device, and a rename that never replaces. Every failure gives the
// system's own reason.
class CPlatformFile
{
public:
    enum class Kind { Absent, File, Folder, Link, Device, Pipe, Socket };
    // Two names of one file (a hard link, or a link followed) share device and number.
    struct Identity {
        Kind kind = Kind::Absent;
        quint64 device = 0;
        quint64 number = 0;
        bool SameFileAs(const Identity& other) const;
    };
    // followLinks false: a symbolic link is Kind::Link, whatever it points at.
    static Identity IdentityOf(const QString& path, bool followLinks);

    // Opens file, whose name is set, only when it is a regular file, without
    // waiting for a pipe or a device to open. mode is ReadOnly, or WriteOnly
    // | Append (the file is created when absent); followLinks false refuses
    // a symbolic link at the name.
    static bool OpenRegular(QFile& file, QIODevice::OpenMode mode, bool followLinks,
                            QString* reason);
    // Gives the file the name to only when no file (nor a link) has it: never
    // replaces, never copies. False with nameTaken set when that was why.
    static bool RenameNoReplace(const QString& from, const QString& to, bool* nameTaken,
                                QString* reason);

    // Waits up to waitMs for another holder to let go; false when it does not.
    static bool LockExclusive(QFileDevice& file, int waitMs, QString* reason);
    static void Unlock(QFileDevice& file);
    static bool SyncToDisk(QFileDevice& file, QString* reason);
    static bool Truncate(QFileDevice& file, qint64 size, QString* reason);
    // A crash right after a file was created must not lose its name.
    static void SyncFolderOf(const QString& path);
};

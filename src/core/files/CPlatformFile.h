#pragma once

#include <QString>

class QFileDevice;

// The few file operations Qt does not offer, for files opened through
// QFile: an exclusive lock held by the open file, a flush to the disk,
// cutting a file back to a length, and making a new folder entry durable.
// Every failure gives the system's own reason.
class CPlatformFile
{
public:
    // Waits up to waitMs for another holder to let go; false when it does not.
    static bool LockExclusive(QFileDevice& file, int waitMs, QString* reason);
    static void Unlock(QFileDevice& file);
    static bool SyncToDisk(QFileDevice& file, QString* reason);
    static bool Truncate(QFileDevice& file, qint64 size, QString* reason);
    // A crash right after a file was created must not lose its name.
    static void SyncFolderOf(const QString& path);
};

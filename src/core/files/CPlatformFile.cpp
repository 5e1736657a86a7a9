#include "core/files/CPlatformFile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QThread>

#if defined(Q_OS_WIN)
#include <io.h>
#include <qt_windows.h>
#elif defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#error "Zentak needs file locks and flushes to the disk on this platform; add them here."
#endif

namespace {

constexpr int kLockPollMs = 10;

// errno on Unix, GetLastError() on Windows.
QString SystemReason()
{
    return qt_error_string();
}

bool Fail(QString* reason)
{
    if (reason)
        *reason = SystemReason();
    return false;
}

const QString kLockedByAnother = QStringLiteral("the file is locked by another program");

#if defined(Q_OS_WIN)

HANDLE NativeHandle(QFileDevice& file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
}

// The whole file, however long it grows.
constexpr DWORD kWholeFileLow = MAXDWORD;
constexpr DWORD kWholeFileHigh = MAXDWORD;

bool TryLock(QFileDevice& file, bool* busy)
{
    OVERLAPPED at = {};
    if (LockFileEx(NativeHandle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   kWholeFileLow, kWholeFileHigh, &at))
        return true;
    *busy = GetLastError() == ERROR_LOCK_VIOLATION;
    return false;
}

#else

bool TryLock(QFileDevice& file, bool* busy)
{
    if (::flock(file.handle(), LOCK_EX | LOCK_NB) == 0)
        return true;
    *busy = errno == EWOULDBLOCK || errno == EINTR;
    return false;
}

#endif

}  // namespace

bool CPlatformFile::LockExclusive(QFileDevice& file, int waitMs, QString* reason)
{
    const QDeadlineTimer deadline(waitMs);
    bool busy = false;
    while (!TryLock(file, &busy)) {
        if (!busy)
            return Fail(reason);
        if (deadline.hasExpired()) {
            if (reason)
                *reason = kLockedByAnother;
            return false;
        }
        QThread::msleep(kLockPollMs);
    }
    return true;
}

#if defined(Q_OS_WIN)

void CPlatformFile::Unlock(QFileDevice& file)
{
    OVERLAPPED at = {};
    UnlockFileEx(NativeHandle(file), 0, kWholeFileLow, kWholeFileHigh, &at);
}

bool CPlatformFile::SyncToDisk(QFileDevice& file, QString* reason)
{
    return FlushFileBuffers(NativeHandle(file)) || Fail(reason);
}

bool CPlatformFile::Truncate(QFileDevice& file, qint64 size, QString* reason)
{
    LARGE_INTEGER end;
    end.QuadPart = size;
    const HANDLE handle = NativeHandle(file);
    return (SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle)) ||
           Fail(reason);
}

// NTFS records a new name in its journal with the file's own flush.
void CPlatformFile::SyncFolderOf(const QString&)
{
}

#else

void CPlatformFile::Unlock(QFileDevice& file)
{
    ::flock(file.handle(), LOCK_UN);
}

bool CPlatformFile::SyncToDisk(QFileDevice& file, QString* reason)
{
    return ::fsync(file.handle()) == 0 || Fail(reason);
}

bool CPlatformFile::Truncate(QFileDevice& file, qint64 size, QString* reason)
{
    return ::ftruncate(file.handle(), off_t(size)) == 0 || Fail(reason);
}

void CPlatformFile::SyncFolderOf(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

#endif

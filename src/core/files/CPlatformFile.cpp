#include "core/files/CPlatformFile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QThread>

#if defined(Q_OS_WIN)
#include <QDir>
#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>
#elif defined(Q_OS_UNIX)
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
const QString kNotRegular = QStringLiteral("it is not a regular file");

bool NotRegular(QString* reason)
{
    if (reason)
        *reason = kNotRegular;
    return false;
}

#if defined(Q_OS_WIN)

HANDLE NativeHandle(QFileDevice& file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
}

// The whole file, however long it grows.
constexpr DWORD kWholeFileLow = MAXDWORD;
constexpr DWORD kWholeFileHigh = MAXDWORD;

std::wstring NativeName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

DWORD LinkFlag(bool followLinks)
{
    return followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
}

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

CPlatformFile::Kind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return CPlatformFile::Kind::File;
    if (S_ISDIR(mode))
        return CPlatformFile::Kind::Folder;
    if (S_ISLNK(mode))
        return CPlatformFile::Kind::Link;
    if (S_ISFIFO(mode))
        return CPlatformFile::Kind::Pipe;
    if (S_ISSOCK(mode))
        return CPlatformFile::Kind::Socket;
    return CPlatformFile::Kind::Device;
}

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

bool CPlatformFile::Identity::SameFileAs(const Identity& other) const
{
    return kind != Kind::Absent && other.kind != Kind::Absent && device == other.device &&
           number == other.number;
}

#if defined(Q_OS_WIN)

CPlatformFile::Identity CPlatformFile::IdentityOf(const QString& path, bool followLinks)
{
    const HANDLE handle = CreateFileW(
        NativeName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | LinkFlag(followLinks), nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    const DWORD type = GetFileType(handle);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    Identity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.number = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    if (type == FILE_TYPE_CHAR)
        identity.kind = Kind::Device;
    else if (type == FILE_TYPE_PIPE)
        identity.kind = Kind::Pipe;
    else if (!followLinks && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        identity.kind = Kind::Link;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        identity.kind = Kind::Folder;
    else
        identity.kind = Kind::File;
    return identity;
}

bool CPlatformFile::OpenRegular(QFile& file, QIODevice::OpenMode mode, bool followLinks,
                                QString* reason)
{
    const bool write = mode & QIODevice::WriteOnly;
    const HANDLE handle = CreateFileW(
        NativeName(file.fileName()).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | LinkFlag(followLinks), nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(reason);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(handle);
        return NotRegular(reason);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                   write ? _O_WRONLY | _O_APPEND : _O_RDONLY);
    if (fd < 0) {
        CloseHandle(handle);
        return Fail(reason);
    }
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    _close(fd);
    if (reason)
        *reason = file.errorString();
    return false;
}

bool CPlatformFile::RenameNoReplace(const QString& from, const QString& to, bool* nameTaken,
                                    QString* reason)
{
    // Without MOVEFILE_REPLACE_EXISTING an existing name makes the move fail.
    *nameTaken = false;
    if (MoveFileExW(NativeName(from).c_str(), NativeName(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    *nameTaken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    return Fail(reason);
}

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

CPlatformFile::Identity CPlatformFile::IdentityOf(const QString& path, bool followLinks)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if ((followLinks ? ::stat(name.constData(), &status) : ::lstat(name.constData(), &status)) != 0)
        return {};
    return {KindOf(status.st_mode), quint64(status.st_dev), quint64(status.st_ino)};
}

// O_NONBLOCK: opening a pipe or a device returns at once, and fstat tells
// what was opened before anything is read or written.
bool CPlatformFile::OpenRegular(QFile& file, QIODevice::OpenMode mode, bool followLinks,
                                QString* reason)
{
    const bool write = mode & QIODevice::WriteOnly;
    const int flags = O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW) |
                      (write ? O_WRONLY | O_APPEND | O_CREAT : O_RDONLY);
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), flags, 0666);
    if (fd < 0)
        return errno == ELOOP && !followLinks ? NotRegular(reason) : Fail(reason);
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return NotRegular(reason);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    if (reason)
        *reason = file.errorString();
    return false;
}

bool CPlatformFile::RenameNoReplace(const QString& from, const QString& to, bool* nameTaken,
                                    QString* reason)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    *nameTaken = false;
#if defined(Q_OS_LINUX)
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *nameTaken = errno == EEXIST;
        return Fail(reason);
    }
#endif
    // A file system without the flag: a second name never replaces one either.
    if (::link(source.constData(), target.constData()) != 0) {
        *nameTaken = errno == EEXIST;
        return Fail(reason);
    }
    ::unlink(source.constData());
    return true;
}

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

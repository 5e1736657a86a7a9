#include "experiment/CRunLogFile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#error "The run log needs flock and fsync; add this platform's exclusive open and flush."
#endif

namespace {

constexpr int kLockPollMs = 10;

QString SystemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool LockExclusive(int fd, QString* detail)
{
    const QDeadlineTimer deadline(CRunLogFile::kLockWaitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *detail = SystemReason();
            return false;
        }
        if (deadline.hasExpired()) {
            *detail = QStringLiteral("the file is locked by another program");
            return false;
        }
        QThread::msleep(kLockPollMs);
    }
    return true;
}

bool SyncToDisk(int fd, QString* detail)
{
    if (::fsync(fd) == 0)
        return true;
    *detail = SystemReason();
    return false;
}

// A new file's directory entry must reach the disk too, or a crash right
// after the run could leave the folder without it.
void SyncFolderOf(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

CRunLogFile::Result CRunLogFile::Append(const QString& path, const QByteArray& entry,
                                        QString* detail)
{
    QString reason;
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    // Append never truncates; every write lands at the end of the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (detail)
            *detail = file.errorString();
        return Result::OpenFailed;
    }
    if (!LockExclusive(file.handle(), &reason)) {
        if (detail)
            *detail = reason;
        return Result::OpenFailed;
    }
    if (!existed)
        SyncFolderOf(path);
    const bool written = file.write(entry) == entry.size();
    if (!written)
        reason = file.errorString();
    const bool synced = written && SyncToDisk(file.handle(), &reason);
    file.close();
    const bool closed = file.error() == QFileDevice::NoError;
    if (written && synced && !closed)
        reason = file.errorString();
    if (written && synced && closed)
        return Result::Appended;
    if (detail)
        *detail = reason;
    return Result::WriteFailed;
}

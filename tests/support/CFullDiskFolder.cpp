#include "CFullDiskFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr char kFiller[] = ".filler";
constexpr char kSize[] = "size=64k";
// Set to 1 to try the fallback where mounting would work.
constexpr char kNoMountVariable[] = "ZENTAK_TEST_NO_MOUNT";

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

}  // namespace

CFullDiskFolder::CFullDiskFolder()
{
    if (!m_dir.isValid() || qEnvironmentVariableIntValue(kNoMountVariable) == 1)
        return;
    m_bMounted =
        ::mount("tmpfs", Native(Path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, kSize) == 0;
}

CFullDiskFolder::~CFullDiskFolder()
{
    if (m_bMounted)
        ::umount2(Native(Path()).constData(), MNT_DETACH);
}

QStringList CFullDiskFolder::Files() const
{
    QStringList files = QDir(Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    files.removeAll(QLatin1String(kFiller));
    return files;
}

QString CFullDiskFolder::FullReason() const
{
    return qt_error_string(m_bMounted ? ENOSPC : EFBIG);
}

void CFullDiskFolder::WhileFull(const std::function<void()>& fn)
{
    if (m_bMounted) {
        Fill();
        fn();
        QFile::remove(FilePath(QLatin1String(kFiller)));
        return;
    }
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &none);
    fn();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
}

void CFullDiskFolder::WhileReadOnly(const std::function<void()>& fn)
{
    SetWritable(false);
    fn();
    SetWritable(true);
}

void CFullDiskFolder::Fill()
{
    const int fd = ::open(Native(FilePath(QLatin1String(kFiller))).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        qFatal("cannot create the filler in %s", qPrintable(Path()));
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    // A short last write leaves part of a page; single bytes take the rest.
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

void CFullDiskFolder::SetWritable(bool writable)
{
    if (m_bMounted) {
        const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (writable ? 0 : MS_RDONLY);
        if (::mount("tmpfs", Native(Path()).constData(), "tmpfs", flags, kSize) != 0)
            qFatal("cannot remount %s", qPrintable(Path()));
        return;
    }
    const QFileDevice::Permissions read = QFileDevice::ReadOwner | QFileDevice::ReadUser;
    const QFileDevice::Permissions write = QFileDevice::WriteOwner | QFileDevice::WriteUser;
    for (const QString& name : Files())
        QFile::setPermissions(FilePath(name), writable ? read | write : read);
    const QFileDevice::Permissions folder = read | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    QFile::setPermissions(Path(), writable ? folder | write : folder);
}

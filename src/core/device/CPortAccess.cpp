#include "core/device/CPortAccess.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#elif !defined(Q_OS_WIN)
#error "Add this platform's check of the rights on a serial device."
#endif

#if defined(Q_OS_UNIX)

namespace {

QString GroupName(gid_t gid)
{
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

}  // namespace

QString CPortAccess::DevicePath(const QString& systemPortName)
{
    return systemPortName.startsWith(u'/') ? systemPortName
                                           : QStringLiteral("/dev/") + systemPortName;
}

std::optional<CPortAccess::Denial> CPortAccess::DeniedAccess(const QString& systemPortName)
{
    const QString path = DevicePath(systemPortName);
    const QByteArray native = QFile::encodeName(path);
    struct stat info {
    };
    if (::stat(native.constData(), &info) != 0)
        return std::nullopt;
    // The kernel's own judgement, supplementary groups and ACLs included.
    if (::faccessat(AT_FDCWD, native.constData(), R_OK | W_OK, AT_EACCESS) == 0 || errno != EACCES)
        return std::nullopt;
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    return Denial{path, GroupName(info.st_gid),
                  (info.st_mode & kGroupReadWrite) == kGroupReadWrite};
}

#else

// COM ports carry no per-user rights: an open refused there means another
// program holds the port, which the ordinary message covers.
QString CPortAccess::DevicePath(const QString& systemPortName)
{
    return systemPortName;
}

std::optional<CPortAccess::Denial> CPortAccess::DeniedAccess(const QString&)
{
    return std::nullopt;
}

#endif

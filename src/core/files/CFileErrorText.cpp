#include "core/files/CFileErrorText.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

}  // namespace

QString CFileErrorText::ForOpenToRead(const QString& path, const QFileDevice& file)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1 was not found.").arg(Shown(path));
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file.").arg(Shown(path));
    if (!info.isReadable())
        return QStringLiteral("Access to %1 was denied.").arg(Shown(path));
    return QStringLiteral("%1 could not be opened: %2.").arg(Shown(path), file.errorString());
}

QString CFileErrorText::ForOpenToWrite(const QString& path, const QFileDevice& file)
{
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("The folder of %1 was not found.").arg(Shown(path));
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file.").arg(Shown(path));
    // "Access denied" would send the operator to the file's permissions.
    if (QStorageInfo(folder.absoluteFilePath()).isReadOnly())
        return QStringLiteral("%1 could not be written: the drive it is on is read-only.")
            .arg(Shown(path));
    if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        return QStringLiteral("Access to %1 was denied.").arg(Shown(path));
    return QStringLiteral("%1 could not be created: %2.").arg(Shown(path), file.errorString());
}

QString CFileErrorText::ForRead(const QString& path, const QFileDevice& file)
{
    return QStringLiteral("An error occurred while reading %1: %2.")
        .arg(Shown(path), file.errorString());
}

QString CFileErrorText::ForSave(const QString& path, const QString& reason, bool previousKept)
{
    const QString text =
        QStringLiteral("An error occurred while writing %1: %2.").arg(Shown(path), reason);
    if (!previousKept)
        return text;
    return text + QStringLiteral(" The previous %1 is unchanged.").arg(Shown(path));
}

#include "experiment/CFileErrorText.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

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
    if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        return QStringLiteral("Access to %1 was denied.").arg(Shown(path));
    return QStringLiteral("%1 could not be created: %2.").arg(Shown(path), file.errorString());
}

QString CFileErrorText::ForRead(const QString& path, const QFileDevice& file)
{
    return QStringLiteral("An error occurred while reading %1: %2.")
        .arg(Shown(path), file.errorString());
}

QString CFileErrorText::ForWrite(const QString& path, const QFileDevice& file)
{
    return QStringLiteral("An error occurred while writing %1: %2.")
        .arg(Shown(path), file.errorString());
}

#include "core/files/CUnloggedRunFile.h"

#include "core/CZentakDoc.h"
#include "core/files/CRunLogPath.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QString CUnloggedRunFile::Folder()
{
    return QDir(CRunLogPath::DefaultFolder()).filePath(QLatin1String(kFolderName));
}

QString CUnloggedRunFile::FreePath(const QDir& folder, const QDateTime& stamp)
{
    // No colons: Windows refuses them in file names.
    const QString name = stamp.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = folder.filePath(name + QStringLiteral(".exp"));
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = folder.filePath(QStringLiteral("%1 (%2).exp").arg(name).arg(copy));
    return path;
}

QString CUnloggedRunFile::Save(CZentakDoc& doc, const QDateTime& stamp, QStringList& reasons)
{
    QDir().mkpath(Folder());
    for (const QString& folder : {Folder(), QDir::currentPath()}) {
        const QString path = FreePath(QDir(folder), stamp);
        if (doc.SaveToFile(path))
            return path;
        reasons << doc.FileErrorString();
    }
    return QString();
}

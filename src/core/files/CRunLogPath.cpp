#include "core/files/CRunLogPath.h"

#include <QDir>
#include <QStandardPaths>

QString CRunLogPath::DefaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QLatin1String(kFolderName));
}

QString CRunLogPath::DefaultPath()
{
    return QDir(DefaultFolder()).filePath(QLatin1String(kFileName));
}

QString CRunLogPath::Resolve(const QString& explicitPath)
{
    if (!explicitPath.isEmpty())
        return explicitPath;
    const QString fromEnvironment = qEnvironmentVariable(kEnvironmentVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return DefaultPath();
}

#include "core/files/CUnloggedRunFile.h"

#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunFileName.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CWholeFileWrite.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CRunStamp.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QString CUnloggedRunFile::Folder()
{
    return QDir(CRunLogPath::DefaultFolder()).filePath(QLatin1String(kFolderName));
}

QString CUnloggedRunFile::FreePath(const QDir& folder, const QDateTime& stamp,
                                   const QString& subject)
{
    const QString name = CRunFileName::BaseName(stamp, subject);
    const QLatin1String suffix(CRunFileName::kSuffix);
    QString path = folder.filePath(name + suffix);
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = folder.filePath(QStringLiteral("%1 (%2)").arg(name).arg(copy) + suffix);
    return path;
}

QString CUnloggedRunFile::Save(const CImpactRecord& record, const QDateTime& stamp,
                               QStringList& reasons)
{
    const QByteArray text = CExperimentFileWriter::Text(record);
    QDir().mkpath(Folder());
    for (const QString& folder : {Folder(), QDir::currentPath()}) {
        const QString path =
            FreePath(QDir(folder), stamp, CRunStamp::SubjectOf(record.m_strComments));
        QString error;
        if (CWholeFileWrite::Replace(path, text, error))
            return path;
        reasons << error;
    }
    return QString();
}

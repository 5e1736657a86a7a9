#include "core/files/CUnloggedRunFile.h"

#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunFileName.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CWholeFileWrite.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CRunStamp.h"

#include <QDateTime>
#include <QDir>

QString CUnloggedRunFile::Folder()
{
    return QDir(CRunLogPath::DefaultFolder()).filePath(QLatin1String(kFolderName));
}

QString CUnloggedRunFile::CopyPath(const QDir& folder, const QDateTime& stamp,
                                   const QString& subject, int copy)
{
    const QString name = CRunFileName::BaseName(stamp, subject);
    const QString numbered = copy == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(copy);
    return folder.filePath(numbered + QLatin1String(CRunFileName::kSuffix));
}

QString CUnloggedRunFile::Save(const CImpactRecord& record, const QDateTime& stamp,
                               QStringList& reasons)
{
    const QByteArray text = CExperimentFileWriter::Text(record);
    const QString subject = CRunStamp::SubjectOf(record.m_strComments);
    QDir().mkpath(Folder());
    for (const QString& folder : {Folder(), QDir::currentPath()}) {
        CWholeFileWrite::Created created;
        for (int copy = 1; copy <= kMaxCopies; ++copy) {
            const QString path = CopyPath(QDir(folder), stamp, subject, copy);
            created = CWholeFileWrite::CreateNew(path, text);
            if (created.outcome == CWholeFileWrite::Created::Outcome::Written)
                return path;
            if (created.outcome == CWholeFileWrite::Created::Outcome::Failed)
                break;
        }
        reasons << created.message;
    }
    return QString();
}

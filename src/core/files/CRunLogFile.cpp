#include "core/files/CRunLogFile.h"

#include "core/files/CPlatformFile.h"
#include "core/files/CWholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

CRunLogFile::Result Report(CRunLogFile::Result result, const QString& reason, QString* detail)
{
    if (detail)
        *detail = reason;
    return result;
}

}  // namespace

CRunLogFile::Result CRunLogFile::Append(const QString& path, const QByteArray& entry,
                                        QString* detail)
{
    QString reason;
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    // A pipe, a device or a folder is refused like a file that cannot be
    // opened: the append never waits for a reader.
    if (!CPlatformFile::OpenRegular(
            file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, true, &reason))
        return Report(Result::OpenFailed, reason, detail);
    if (!CPlatformFile::LockExclusive(file, kLockWaitMs, &reason))
        return Report(Result::OpenFailed, reason, detail);
    if (!existed)
        CPlatformFile::SyncFolderOf(path);
    // Another writer may have appended between our open and our lock.
    const qint64 sizeBefore = file.size();
    file.seek(sizeBefore);
    const bool written = CWholeFileWrite::Write(file, entry);
    if (!written)
        reason = file.errorString();
    if (written && CPlatformFile::SyncToDisk(file, &reason)) {
        CPlatformFile::Unlock(file);
        return Result::Appended;
    }
    QString cutReason;
    const bool cut = CPlatformFile::Truncate(file, sizeBefore, &cutReason) &&
                     CPlatformFile::SyncToDisk(file, &cutReason);
    CPlatformFile::Unlock(file);
    if (cut)
        return Report(Result::WriteFailed, reason, detail);
    return Report(Result::WriteFailedTorn, reason + QStringLiteral("; ") + cutReason, detail);
}

QString CRunLogFile::FailureMessage(Result result, const QString& path, const QString& detail)
{
    if (result == Result::OpenFailed)
        return kOpenFailedMessage;
    const QString logAfter = result == Result::WriteFailedTorn
                                 ? QStringLiteral("now ends with an incomplete entry of it.")
                                 : QStringLiteral("is as it was before the run.");
    return QStringLiteral("Unable to Write Log File!\r\n%1: %2.\r\n"
                          "This run is not in the log, which %3")
        .arg(QDir::toNativeSeparators(path), detail, logAfter);
}

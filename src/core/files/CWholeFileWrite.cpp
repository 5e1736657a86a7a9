#include "core/files/CWholeFileWrite.h"

#include "core/files/CFileErrorText.h"
#include "core/files/COutputTarget.h"
#include "core/files/CPlatformFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

namespace {

constexpr int kTemporaryNameAttempts = 16;

using Created = CWholeFileWrite::Created;

// What has the name: a link is named as one, never followed.
QString TakenText(const QString& path, const QStringList& runLogs)
{
    if (CPlatformFile::IdentityOf(path, false).kind == CPlatformFile::Kind::Link)
        return QStringLiteral("%1 is %2; it was not followed. Nothing was written.")
            .arg(QDir::toNativeSeparators(path),
                 COutputTarget::KindText(CPlatformFile::Kind::Link));
    const COutputTarget::Result target = COutputTarget::Check(path, runLogs);
    return target.Usable() ? CWholeFileWrite::ExistsText(path) : target.message;
}

}  // namespace

bool CWholeFileWrite::Write(QIODevice& device, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool CWholeFileWrite::Commit(QSaveFile& file)
{
    return file.flush() && file.commit();
}

bool CWholeFileWrite::Replace(const QString& path, const std::function<bool(QIODevice&)>& write,
                              QString& error, const QStringList& runLogs)
{
    const COutputTarget::Result target = COutputTarget::Check(path, runLogs);
    if (!target.Usable()) {
        error = target.message;
        return false;
    }
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = CFileErrorText::ForOpenToWrite(path, file);
        return false;
    }
    if (write(file) && Commit(file))
        return true;
    error = CFileErrorText::ForSave(path, file.errorString(), existed);
    return false;
}

bool CWholeFileWrite::Replace(const QString& path, const QByteArray& bytes, QString& error,
                              const QStringList& runLogs)
{
    return Replace(
        path, [&bytes](QIODevice& file) { return Write(file, bytes); }, error, runLogs);
}

QString CWholeFileWrite::ExistsText(const QString& path)
{
    return QStringLiteral("%1 already exists; it was not overwritten.")
        .arg(QDir::toNativeSeparators(path));
}

Created CWholeFileWrite::CreateNew(const QString& path, const QByteArray& bytes,
                                   const QStringList& runLogs)
{
    // A run log not created yet is refused by its name.
    const COutputTarget::Result target = COutputTarget::Check(path, runLogs);
    if (!target.Usable() ||
        CPlatformFile::IdentityOf(path, false).kind != CPlatformFile::Kind::Absent)
        return {Created::Outcome::NameTaken, TakenText(path, runLogs)};
    // Opened as new, so it gets the permissions of any new file (a
    // QTemporaryFile would be readable by its owner only).
    const QFileInfo info(path);
    QFile file;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file.isOpen(); ++attempt) {
        file.setFileName(info.absoluteDir().filePath(
            QStringLiteral(".%1.%2.part")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!file.isOpen())
        return {Created::Outcome::Failed, CFileErrorText::ForOpenToWrite(path, file)};
    QString reason;
    const bool written =
        Write(file, bytes) && file.flush() && CPlatformFile::SyncToDisk(file, &reason);
    file.close();
    // Never QFile::rename: when the name is taken it falls back to a copy
    // that truncates whatever has the name, through a link too.
    bool taken = false;
    if (written && CPlatformFile::RenameNoReplace(file.fileName(), path, &taken, &reason)) {
        CPlatformFile::SyncFolderOf(path);
        return {};
    }
    if (reason.isEmpty())
        reason = file.errorString();
    file.remove();
    if (taken)
        return {Created::Outcome::NameTaken, TakenText(path, runLogs)};
    return {Created::Outcome::Failed, CFileErrorText::ForSave(path, reason, false)};
}

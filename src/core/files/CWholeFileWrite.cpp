#include "core/files/CWholeFileWrite.h"

#include "core/files/CFileErrorText.h"
#include "core/files/CPlatformFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
constexpr int kTemporaryNameAttempts = 16;
}  // namespace
#include <QRandomGenerator>

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
                              QString& error)
{
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

bool CWholeFileWrite::Replace(const QString& path, const QByteArray& bytes, QString& error)
{
    return Replace(
        path, [&bytes](QIODevice& file) { return Write(file, bytes); }, error);
}

QString CWholeFileWrite::ExistsText(const QString& path)
{
    return QStringLiteral("%1 already exists; it was not overwritten.")
        .arg(QDir::toNativeSeparators(path));
}

bool CWholeFileWrite::CreateNew(const QString& path, const QByteArray& bytes, QString& error)
{
    if (QFileInfo::exists(path)) {
        error = ExistsText(path);
        return false;
    }
    // Opened as new, so it gets the permissions of any new file (a
    // QTemporaryFile would be readable by its owner only).
    const QFileInfo target(path);
    QFile file;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file.isOpen(); ++attempt) {
        file.setFileName(target.absoluteDir().filePath(
            QStringLiteral(".%1.%2.part")
                .arg(target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!file.isOpen()) {
        error = CFileErrorText::ForOpenToWrite(path, file);
        return false;
    }
    QString reason;
    const bool written =
        Write(file, bytes) && file.flush() && CPlatformFile::SyncToDisk(file, &reason);
    file.close();
    // The rename never replaces a file that appeared meanwhile.
    if (written && file.rename(path)) {
        CPlatformFile::SyncFolderOf(path);
        return true;
    }
    if (reason.isEmpty())
        reason = file.errorString();
    file.remove();
    error =
        QFileInfo::exists(path) ? ExistsText(path) : CFileErrorText::ForSave(path, reason, false);
    return false;
}

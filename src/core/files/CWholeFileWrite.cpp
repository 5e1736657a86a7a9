#include "core/files/CWholeFileWrite.h"

#include "core/files/CFileErrorText.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>

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

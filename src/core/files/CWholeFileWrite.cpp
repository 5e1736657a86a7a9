#include "core/files/CWholeFileWrite.h"

#include <QByteArray>
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

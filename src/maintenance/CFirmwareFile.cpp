#include "maintenance/CFirmwareFile.h"

#include "experiment/CFileErrorText.h"
#include "experiment/CTextLineReader.h"

#include <QFile>

bool CFirmwareFile::ReadLines(const QString& path, QStringList& lines, QString& error)
{
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = CFileErrorText::ForOpenToRead(path, file);
        return false;
    }
    CTextLineReader reader(file);
    QStringList read;
    while (!reader.AtEnd())
        read.append(reader.ReadLine());
    if (reader.ReadFailed()) {
        error = CFileErrorText::ForRead(path, file);
        return false;
    }
    lines = read;
    return true;
}

#include "core/files/CFirmwareFile.h"

#include "core/files/CInputFile.h"
#include "core/files/CTextLineReader.h"

#include <QFile>

bool CFirmwareFile::ReadLines(const QString& path, QStringList& lines, QString& error)
{
    lines.clear();
    QFile file(path);
    if (!CInputFile::Open(file, kMaxFileBytes, kFileKind, error))
        return false;
    CTextLineReader reader(file, kMaxFileBytes);
    if (ReadLines(reader, lines))
        return true;
    error = CInputFile::StopText(file, reader, kFileKind);
    return false;
}

bool CFirmwareFile::ReadLines(CTextLineReader& reader, QStringList& lines)
{
    lines.clear();
    while (!reader.AtEnd())
        lines.append(reader.ReadLine());
    if (reader.StoppedBy() == CTextLineReader::Stop::None)
        return true;
    lines.clear();
    return false;
}

#include "core/files/CInputFile.h"

#include "core/files/CFileErrorText.h"
#include "core/files/CTextLineReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool CInputFile::Open(QFile& file, qint64 maxBytes, const QString& kind, QString& error)
{
    const QString path = file.fileName();
    const QFileInfo info(path);
    // Checked before opening: opening a pipe waits for a writer.
    if (info.exists() && !info.isDir() && !info.isFile()) {
        error = NotOrdinaryText(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = CFileErrorText::ForOpenToRead(path, file);
        return false;
    }
    if (file.isSequential()) {
        file.close();
        error = NotOrdinaryText(path);
        return false;
    }
    if (file.size() > maxBytes) {
        error = TooLargeText(path, file.size(), maxBytes, kind);
        file.close();
        return false;
    }
    return true;
}

QString CInputFile::StopText(const QFileDevice& file, const CTextLineReader& reader,
                             const QString& kind)
{
    const QString path = file.fileName();
    switch (reader.StoppedBy()) {
    case CTextLineReader::Stop::LineTooLong:
        return QStringLiteral("Line %1 of %2 is longer than %3 characters and cannot be read "
                              "whole.")
            .arg(reader.LineNumber())
            .arg(QDir::toNativeSeparators(path))
            .arg(CTextLineReader::kMaxLineBytes);
    case CTextLineReader::Stop::InputTooLarge:
        return QStringLiteral("%1 grew beyond %2 bytes while it was read, more than %3 can "
                              "be. It was not read whole.")
            .arg(QDir::toNativeSeparators(path))
            .arg(reader.MaxInputBytes())
            .arg(kind);
    case CTextLineReader::Stop::ReadFailed:
    case CTextLineReader::Stop::None:
        break;
    }
    return CFileErrorText::ForRead(path, file);
}

QString CInputFile::NotOrdinaryText(const QString& path)
{
    return QStringLiteral("%1 is not an ordinary file (a device or a pipe may never end). "
                          "It was not read.")
        .arg(QDir::toNativeSeparators(path));
}

QString CInputFile::TooLargeText(const QString& path, qint64 size, qint64 maxBytes,
                                 const QString& kind)
{
    return QStringLiteral("%1 is too large to be %2 (%3 bytes; the limit is %4 bytes). "
                          "It was not read.")
        .arg(QDir::toNativeSeparators(path), kind)
        .arg(size)
        .arg(maxBytes);
}

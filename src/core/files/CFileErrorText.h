#pragma once

#include <QString>

class QFileDevice;

// The operator's words for a file that could not be opened, read or
// written, naming the file and, where the system knows it, the cause.
class CFileErrorText
{
public:
    static QString ForOpenToRead(const QString& path, const QFileDevice& file);
    static QString ForOpenToWrite(const QString& path, const QFileDevice& file);
    static QString ForRead(const QString& path, const QFileDevice& file);
    // A save through a temporary file failed; a file that was there before
    // is still there, unchanged, and the operator may rely on it.
    static QString ForSave(const QString& path, const QString& reason, bool previousKept);
};

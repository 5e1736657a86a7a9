#pragma once

#include <QString>
#include <QStringList>

// A firmware file as the control box takes it: 8-bit text lines, each sent
// unchanged. A line ends at LF or CR LF; an empty line is a line, and so is
// a last line without a line end. The program does not interpret the file.
class CFirmwareFile
{
public:
    // All lines of the file, or false with the operator's message in error.
    // A file that cannot be read to its end gives no lines at all: part of a
    // firmware image must never reach the box.
    static bool ReadLines(const QString& path, QStringList& lines, QString& error);
};

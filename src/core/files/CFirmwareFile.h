#pragma once

#include <QString>
#include <QStringList>

class CTextLineReader;

// A firmware file as the control box takes it: 8-bit text lines, each sent
// unchanged. A line ends at LF or CR LF; an empty line is a line, and so is
// a last line without a line end. The program does not interpret the file.
class CFirmwareFile
{
public:
    // A firmware image is a few hundred kilobytes of hex text, and every
    // line costs an exchange with the box: 4 MiB of lines would take hours
    // to send. No larger file is a firmware file.
    static constexpr qint64 kMaxFileBytes = qint64(4) << 20;
    static inline const QString kFileKind = QStringLiteral("a firmware file");

    // All lines of the file, or false with the operator's message in error.
    // A file that cannot be read to its end gives no lines at all: part of a
    // firmware image must never reach the box.
    static bool ReadLines(const QString& path, QStringList& lines, QString& error);

    // Every line reader gives; false, with no lines, when it stopped early.
    static bool ReadLines(CTextLineReader& reader, QStringList& lines);
};

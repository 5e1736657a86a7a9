#pragma once

#include <QString>

class CTextLineReader;
class QFile;
class QFileDevice;

// Files the program reads come from other machines, older releases and hand
// edits. One rule for every kind of them: only an ordinary file is read (a
// device or a pipe may never end), and only when it is no larger than its
// kind can be; both are checked before the first byte is read. The reading
// itself stops at the same bound (CTextLineReader) should the file grow.
class CInputFile
{
public:
    // Opens file, whose name is set, for reading under that rule. False with
    // the operator's message in error; kind names the file in it
    // ("an experiment file").
    static bool Open(QFile& file, qint64 maxBytes, const QString& kind, QString& error);

    // Why reader, reading file, stopped before the end of the file.
    static QString StopText(const QFileDevice& file, const CTextLineReader& reader,
                            const QString& kind);

    static QString NotOrdinaryText(const QString& path);
    static QString TooLargeText(const QString& path, qint64 size, qint64 maxBytes,
                                const QString& kind);
};

#pragma once

#include <QString>
#include <QStringList>

class CCliArguments;
class CRunLogReader;
class QTextStream;

// zentak-cli log: the run log read back. list prints one line (or one JSON
// object) per entry; extract and split write entries to files of their
// own, byte for byte the entry's text, named by their stamp and subject
// (CRunFileName) and never over an existing file.
class CCliLogCommand
{
public:
    // The process exit code: 0 done, 1 a failure, 2 bad arguments.
    static int Run(const CCliArguments& arguments);

private:
    static QString Problem(const CCliArguments& arguments);
    static int List(CRunLogReader& log, bool json);
    static int Extract(CRunLogReader& log, const QList<qsizetype>& indexes, const QString& outPath,
                       const QString& folder);
    // False when the entry is not in a file after this.
    static bool WriteEntry(CRunLogReader& log, qsizetype index, const QString& path,
                           QTextStream& out, QTextStream& err);
    static QString Selected(const CRunLogReader& log, const QStringList& numbers, bool extract,
                            QList<qsizetype>& indexes);
    static bool OpenLog(CRunLogReader& log, const QString& path, QTextStream& err);
    static void TellForeignText(const CRunLogReader& log, QTextStream& err);
};

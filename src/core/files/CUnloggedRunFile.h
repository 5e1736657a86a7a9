#pragma once

#include <QString>
#include <QStringList>

class CImpactRecord;
class QDateTime;
class QDir;

// A run whose log entry could not be written must outlive the process: it
// is saved, as the log entry would have held it, to a file of its own named
// by the run's stamp and subject, in the folder of unlogged runs beside the default run
// log, or in the current folder when that cannot be written either.
class CUnloggedRunFile
{
public:
    static constexpr char kFolderName[] = "Unlogged Runs";
    // A folder holding this many runs of one second and subject is not a place to keep one.
    static constexpr int kMaxCopies = 1000;

    // Linux: ~/.local/share/Zentak/Unlogged Runs; Windows: %LOCALAPPDATA%\Zentak\Unlogged Runs.
    static QString Folder();

    // The run's own name (CRunFileName), "2024-03-05_14-07-09_rat-17.exp" for
    // copy 1; " (2)", " (3)", ... for the next copies.
    static QString CopyPath(const QDir& folder, const QDateTime& stamp, const QString& subject,
                            int copy);

    // The path written, or empty with one reason for each place tried. The
    // file is created as new: runs kept at the same moment under one
    // subject each take the next free copy, never another's file.
    static QString Save(const CImpactRecord& record, const QDateTime& stamp, QStringList& reasons);
};

#pragma once

#include "core/files/CPlatformFile.h"

#include <QString>
#include <QStringList>

// Where a file may be written: never onto the run log, by any of its names
// (a symbolic or a hard link to it included), and never onto what is not a
// regular file (a device, a pipe, a socket, a folder), which a save would
// replace with a file. The run log itself must be a regular file or absent:
// appending to a pipe or a device would wait for ever.
class COutputTarget
{
public:
    enum class Outcome { Usable, RunLog, NotAFile };
    struct Result {
        Outcome outcome = Outcome::Usable;
        QString message;  // the operator's; empty when usable
        bool Usable() const { return outcome == Outcome::Usable; }
    };

    // runLogs: the logs in use besides the one CRunLogPath::Resolve() names.
    static Result Check(const QString& path, const QStringList& runLogs = {});
    static Result CheckRunLog(const QString& path);

    // "a folder", "a device", "a pipe", ...
    static QString KindText(CPlatformFile::Kind kind);
};

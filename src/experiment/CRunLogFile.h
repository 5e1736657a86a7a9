#pragma once

#include <QByteArray>
#include <QString>

// Appends one entry to the run log. The file is created when absent and
// never truncated; it is held under an exclusive lock (flock on the log's
// own descriptor, so no lock file appears beside it) from open to close, and
// the entry is on the disk (fsync) before Appended is returned.
class CRunLogFile
{
public:
    enum class Result { Appended, OpenFailed, WriteFailed };

    // Another Zentak appending at the same moment holds the lock for
    // milliseconds; a holder that keeps it longer makes the open fail.
    static constexpr int kLockWaitMs = 500;

    // detail receives the system's reason when the result is not Appended.
    static Result Append(const QString& path, const QByteArray& entry, QString* detail);
};

#pragma once

#include <QByteArray>
#include <QString>

// Appends one entry to the run log. The file is created when absent and
// never truncated beyond what this append added; it is held under an
// exclusive lock from open to close, and the entry is on the disk before
// Appended is returned. An append that fails part-way (a full disk) is cut
// off again, so the log never holds a torn entry.
class CRunLogFile
{
public:
    enum class Result {
        Appended,
        OpenFailed,
        WriteFailed,     // the log is as it was before the append
        WriteFailedTorn  // and the part written could not be removed again
    };

    // Another Zentak appending at the same moment holds the lock for
    // milliseconds; a holder that keeps it longer makes the open fail.
    static constexpr int kLockWaitMs = 500;

    // detail receives the system's reason when the result is not Appended.
    static Result Append(const QString& path, const QByteArray& entry, QString* detail);

    static inline const QString kOpenFailedMessage = QStringLiteral("Unable to Open Log File!");
    // The operator's message for a result other than Appended: what failed,
    // the system's reason and what the log holds now.
    static QString FailureMessage(Result result, const QString& path, const QString& detail);
};

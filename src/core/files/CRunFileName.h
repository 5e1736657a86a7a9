#pragma once

#include <QString>
#include <QStringView>

class CRunLogEntry;
class QDateTime;

// The one rule by which a run's own file is named: its stamp, and its
// subject when it has one, in a name every file system the labs use
// accepts ("2026-12-08_14-03-22.exp", "2026-12-08_14-03-22_rat-17.exp").
class CRunFileName
{
public:
    static constexpr char kSuffix[] = ".exp";

    // The name without its suffix.
    static QString BaseName(const QDateTime& stamp, QStringView subject);
    static QString For(const QDateTime& stamp, QStringView subject);
    // A log entry's: from its stamp and subject; an entry without a stamp
    // (a torn one, a foreign one) is named by its number in the log.
    static QString ForEntry(const CRunLogEntry& entry, qsizetype number);

    // The subject as part of a file name: letters, digits and "-", ".",
    // "+", "(", ")", "#" kept; blanks and everything a file system may
    // refuse ("/", "\", ":", "*", "?", quotes, "<", ">", "|") become "_".
    // At most the subject limit's characters of it are used.
    static QString SafeSubject(QStringView subject);
};

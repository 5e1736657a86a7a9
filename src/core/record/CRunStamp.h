#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// The comments a completed run is given: its date and time stamp, then,
// when the run has a subject, the line "Subject: <subject>". Built here and
// read back here only, so a file, a log entry and a file name agree.
class CRunStamp
{
public:
    static inline const QString kSubjectLabel = QStringLiteral("Subject: ");

    // "Date: March 05, 2024. \r\nTime: 14:07:09.\r\n", English month names
    // whatever the locale; empty for an invalid time.
    static QString Text(const QDateTime& localTime);

    // The stamp, then "Subject: <subject>\r\n" unless the subject is empty:
    // without one the comments are the stamp alone, as they always were.
    // The subject is taken as given; CRunSubject says what may be given.
    static QString Comments(const QDateTime& localTime, const QString& subject);

    // The time of the stamp the comments begin with; invalid when they do
    // not begin with one.
    static QDateTime TimeOf(QStringView comments);

    // The subject on the line right after that stamp; empty when there is
    // no stamp or no subject line.
    static QString SubjectOf(QStringView comments);
};

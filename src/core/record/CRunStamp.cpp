#include "core/record/CRunStamp.h"

#include <QRegularExpression>

namespace {

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

const QString kLineEnd = QStringLiteral("\r\n");

// The two stamp lines exactly as Text() writes them, at the very start.
const QRegularExpression& StampPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^Date: ([A-Z][a-z]+) (\\d\\d), (\\d{4})\\. \\r\\n"
                       "Time: (\\d\\d):(\\d\\d):(\\d\\d)\\.\\r\\n"));
    return pattern;
}

int MonthNumber(QStringView name)
{
    for (int i = 0; i < 12; ++i) {
        if (name == QLatin1StringView(kMonthNames[i]))
            return i + 1;
    }
    return 0;
}

}  // namespace

QString CRunStamp::Text(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    if (!date.isValid() || !time.isValid())
        return QString();
    const QChar zero = QLatin1Char('0');
    return QStringLiteral("Date: %1 %2, %3. \r\nTime: %4:%5:%6.\r\n")
        .arg(QLatin1String(kMonthNames[date.month() - 1]))
        .arg(date.day(), 2, 10, zero)
        .arg(date.year())
        .arg(time.hour(), 2, 10, zero)
        .arg(time.minute(), 2, 10, zero)
        .arg(time.second(), 2, 10, zero);
}

QString CRunStamp::Comments(const QDateTime& localTime, const QString& subject)
{
    QString comments = Text(localTime);
    if (!subject.isEmpty())
        comments += kSubjectLabel + subject + kLineEnd;
    return comments;
}

QDateTime CRunStamp::TimeOf(QStringView comments)
{
    const QRegularExpressionMatch match = StampPattern().match(comments);
    if (!match.hasMatch())
        return QDateTime();
    const QDate date(match.capturedView(3).toInt(), MonthNumber(match.capturedView(1)),
                     match.capturedView(2).toInt());
    const QTime time(match.capturedView(4).toInt(), match.capturedView(5).toInt(),
                     match.capturedView(6).toInt());
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

QString CRunStamp::SubjectOf(QStringView comments)
{
    const QRegularExpressionMatch match = StampPattern().match(comments);
    if (!match.hasMatch())
        return QString();
    const QStringView rest = comments.sliced(match.capturedLength(0));
    if (!rest.startsWith(kSubjectLabel))
        return QString();
    const QStringView line = rest.sliced(kSubjectLabel.size());
    const qsizetype end = line.indexOf(kLineEnd);
    return (end < 0 ? line : line.first(end)).toString();
}

#include "core/quality/CCohortGrouping.h"

#include <QFileInfo>

CCohortGrouping::CCohortGrouping(const QRegularExpression& pattern) : m_pattern(pattern)
{
}

QString CCohortGrouping::PatternError(const QRegularExpression& pattern)
{
    if (!pattern.isValid())
        return QStringLiteral("'%1' is not a regular expression: %2 at offset %3")
            .arg(pattern.pattern(), pattern.errorString())
            .arg(pattern.patternErrorOffset());
    if (pattern.captureCount() < 1)
        return QStringLiteral("'%1' has no capture group to name the group by, e.g. "
                              "'^(sham|injured)'")
            .arg(pattern.pattern());
    return QString();
}

QString CCohortGrouping::GroupOf(const QString& subject, const QString& sourcePath) const
{
    const QString text = subject.isEmpty() ? QFileInfo(sourcePath).fileName() : subject;
    const QRegularExpressionMatch match = m_pattern.match(text);
    if (!match.hasMatch() || match.capturedStart(1) < 0)
        return kUnmatchedGroup;
    return match.captured(1);
}

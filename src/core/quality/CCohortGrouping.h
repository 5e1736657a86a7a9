#pragma once

#include <QRegularExpression>
#include <QString>

// How the impacts of a study fall into groups: the first capture group of
// a pattern, found in an impact's subject or, when it has none, in its
// file's name. An impact the pattern does not find is in kUnmatchedGroup.
class CCohortGrouping
{
public:
    static inline const QString kUnmatchedGroup = QStringLiteral("(no match)");

    // No pattern: no groups.
    explicit CCohortGrouping(const QRegularExpression& pattern = QRegularExpression());

    // Why a pattern cannot group impacts, or empty.
    static QString PatternError(const QRegularExpression& pattern);

    bool Grouped() const { return !m_pattern.pattern().isEmpty(); }
    QString GroupOf(const QString& subject, const QString& sourcePath) const;

private:
    QRegularExpression m_pattern;
};

#include "core/record/CFieldRules.h"

#include <QRegularExpression>

namespace {

constexpr int kFieldCharacters = 31;

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString WithoutBlanks(QString text)
{
    while (!text.isEmpty() && IsBlank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    return text;
}

}  // namespace

std::optional<int> CFieldRules::ParseInteger(const QString& fieldText)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+\\z"));
    const QString text = WithoutBlanks(fieldText.left(kFieldCharacters));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool fits = false;
    const int value = text.toInt(&fits);
    if (!fits)
        return std::nullopt;
    return value;
}

QString CFieldRules::RangeMessage(int minimum, int maximum)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

QString CFieldRules::LengthMessage(int maximumCharacters)
{
    return QStringLiteral("Please enter no more than %1 characters.").arg(maximumCharacters);
}

int CFieldRules::ItemInteger(const QString& fieldText)
{
    static const QRegularExpression number(QStringLiteral("^ *(-?[0-9]+)\\z"));
    const QRegularExpressionMatch match = number.match(fieldText);
    if (!match.hasMatch())
        return 0;
    bool fits = false;
    const int value = match.captured(1).toInt(&fits);
    return fits ? value : 0;
}

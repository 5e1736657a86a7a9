#include "run/CDesiredValueRules.h"

#include <limits>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

}  // namespace

std::optional<int> CDesiredValueRules::ParseInteger(QStringView field)
{
    QStringView text = field.first(qMin(field.size(), kFieldChars));
    while (!text.isEmpty() && IsBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

QString CDesiredValueRules::Check(QStringView field, std::optional<Range> range, int& value)
{
    const std::optional<int> parsed = ParseInteger(field);
    if (!parsed)
        return NotAnIntegerMessage();
    value = *parsed;
    if (range && (value < range->min || value > range->max))
        return OutOfRangeMessage(*range);
    return QString();
}

QString CDesiredValueRules::NotAnIntegerMessage()
{
    return QStringLiteral("Please enter an integer.");
}

QString CDesiredValueRules::OutOfRangeMessage(Range range)
{
    return QStringLiteral("Please enter an integer between %1 and %2.")
        .arg(range.min)
        .arg(range.max);
}

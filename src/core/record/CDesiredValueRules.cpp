#include "core/record/CDesiredValueRules.h"

#include "core/record/CFieldRules.h"

std::optional<int> CDesiredValueRules::ParseInteger(QStringView field)
{
    return CFieldRules::ParseInteger(field.toString());
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
    return CFieldRules::kIntegerMessage;
}

QString CDesiredValueRules::OutOfRangeMessage(Range range)
{
    return CFieldRules::RangeMessage(range.min, range.max);
}

#include "core/record/CTextRules.h"

#include <limits>

namespace {
constexpr qint64 kSaturation = qint64(1) << 40;
}

bool CTextRules::IsSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

QString CTextRules::Trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString CTextRules::TrimmedLeft(QStringView text)
{
    qsizetype begin = 0;
    while (begin < text.size() && IsSpace(text[begin]))
        ++begin;
    return text.sliced(begin).toString();
}

qint64 CTextRules::LeadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value < kSaturation)
            value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

quint32 CTextRules::LeadingSample(QStringView text)
{
    const qint64 value = LeadingInteger(text);
    if (value < 0)
        return 0;
    return quint32(qMin<qint64>(value, std::numeric_limits<quint32>::max()));
}

int CTextRules::LeadingInt(QStringView text)
{
    return int(qBound(qint64(std::numeric_limits<int>::min()), LeadingInteger(text),
                      qint64(std::numeric_limits<int>::max())));
}

int CTextRules::ValueAfterLabel(QStringView line, QLatin1StringView label)
{
    qsizetype start = 0;
    while (start < line.size() && label.contains(line[start]))
        ++start;
    return LeadingInt(Trimmed(line.sliced(start)));
}

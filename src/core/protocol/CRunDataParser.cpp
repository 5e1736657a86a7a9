#include "core/protocol/CRunDataParser.h"

#include "core/record/CImpactRecord.h"
#include "core/record/CTextRules.h"

struct CRunDataParser::Stroke {
    CUIntArray& disp;
    CUIntArray& force;
    CUIntArray& stepTime;
};

namespace {

constexpr QChar kDownSeparator = u'#';
constexpr QChar kUpSeparator = u'-';

QStringView WithoutLeading(QStringView text, QChar c)
{
    while (!text.isEmpty() && text.front() == c)
        text = text.sliced(1);
    return text;
}

QStringView WithoutTrailing(QStringView text, QChar c)
{
    while (!text.isEmpty() && text.back() == c)
        text.chop(1);
    return text;
}

// A line may begin with its separator, so the field separator is searched
// from the second character on. Returns the line's length when there is none.
qsizetype FieldSeparator(QStringView line, QChar separator, qsizetype from)
{
    const qsizetype at = line.indexOf(separator, from);
    return at < 0 ? line.size() : at;
}

// Control and 8-bit bytes are line noise, never the box's text: dropped,
// they neither glue to the line after them nor cut one in two.
QString WithoutLineNoise(QString text)
{
    text.removeIf([](QChar c) {
        const char16_t code = c.unicode();
        return (code < u' ' && (code < u'\t' || code > u'\r')) || code >= 0x7F;
    });
    return text;
}

}  // namespace

QStringList CRunDataParser::SplitIntoLines(const QStringList& receivedChunks)
{
    QStringList lines;
    QString pending;
    for (const QString& received : receivedChunks) {
        const QString chunk = WithoutLineNoise(received);
        const qsizetype lastLineFeed = chunk.lastIndexOf(u'\n');
        if (lastLineFeed < 0) {
            pending += chunk;
            continue;
        }
        AppendLines(pending + chunk.left(lastLineFeed), lines);
        pending = chunk.sliced(lastLineFeed + 1);
    }
    AppendLines(pending, lines);
    return lines;
}

void CRunDataParser::AppendLines(QString text, QStringList& lines)
{
    while (!text.isEmpty()) {
        text = CTextRules::Trimmed(text);
        const qsizetype lineFeed = text.indexOf(u'\n');
        if (lineFeed < 0) {
            lines.append(text);
            text.clear();
        } else {
            lines.append(text.left(lineFeed));
            text.remove(0, lineFeed);
        }
    }
}

void CRunDataParser::ParseRunData(const QStringList& chunks, int firmwareRelease,
                                  CImpactRecord& record)
{
    if (firmwareRelease != 4 && firmwareRelease != 5)
        return;
    for (const QString& line : SplitIntoLines(chunks)) {
        if (firmwareRelease == 4)
            ParseRelease4Line(line, record);
        else
            ParseRelease5Line(line, record);
    }
}

bool CRunDataParser::IsUpStrokeLine(const QString& line)
{
    // Status lines that speak of the run may hold a hyphen; they carry no sample.
    return line.contains(kUpSeparator) && !line.contains(QLatin1String("run"));
}

void CRunDataParser::ParseRelease4Line(const QString& rawLine, CImpactRecord& record)
{
    const QString line = CTextRules::Trimmed(rawLine);
    if (line.contains(kDownSeparator))
        AppendRelease4Sample(
            line, kDownSeparator,
            {record.m_arrDispDown, record.m_arrForceDown, record.m_arrStepTimeDown});
    if (IsUpStrokeLine(line))
        AppendRelease4Sample(line, kUpSeparator,
                             {record.m_arrDispUp, record.m_arrForceUp, record.m_arrStepTimeUp});
}

void CRunDataParser::ParseRelease5Line(const QString& line, CImpactRecord& record)
{
    if (line.contains(kDownSeparator))
        AppendRelease5Sample(
            line, kDownSeparator,
            {record.m_arrDispDown, record.m_arrForceDown, record.m_arrStepTimeDown});
    if (IsUpStrokeLine(line))
        AppendRelease5Sample(line, kUpSeparator,
                             {record.m_arrDispUp, record.m_arrForceUp, record.m_arrStepTimeUp});
}

// Release 4: displacement, separator, force, optional trailing separators.
void CRunDataParser::AppendRelease4Sample(const QString& line, QChar separator,
                                          const Stroke& stroke)
{
    const QStringView text(line);
    const qsizetype middle = FieldSeparator(text, separator, 1);
    const QStringView dispText = WithoutLeading(text.first(middle), separator);
    const QStringView forceText =
        WithoutTrailing(middle < text.size() ? text.sliced(middle + 1) : QStringView(), separator);
    stroke.disp.append(CTextRules::LeadingSample(dispText));
    stroke.force.append(CTextRules::LeadingSample(forceText));
}

// Release 5: displacement, separator, force, separator, step time.
void CRunDataParser::AppendRelease5Sample(const QString& line, QChar separator,
                                          const Stroke& stroke)
{
    const QStringView text(line);
    const qsizetype first = FieldSeparator(text, separator, 1);
    const qsizetype second =
        first < text.size() ? FieldSeparator(text, separator, first + 1) : text.size();
    const QStringView dispText = WithoutLeading(text.first(first), separator);
    const QStringView forceText = WithoutLeading(text.sliced(first, second - first), separator);
    const QStringView stepText = second < text.size() ? text.sliced(second + 1) : QStringView();
    stroke.disp.append(CTextRules::LeadingSample(dispText));
    stroke.force.append(CTextRules::LeadingSample(forceText));
    stroke.stepTime.append(CTextRules::LeadingSample(stepText));
}

#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

// The text rules the control box dialogues and the file reader share:
// white space as the C library knows it, and the leading-integer conversion
// (white space, an optional sign, digits, stop at the first other character).
class CTextRules
{
public:
    // Space, tab, line feed, vertical tab, form feed, carriage return only;
    // Latin-1 characters such as the no-break space are text, not space.
    static bool IsSpace(QChar c);

    static QString Trimmed(QStringView text);
    static QString TrimmedLeft(QStringView text);

    // The value of the leading integer of text, 0 when there are no digits.
    // Saturates far outside 32 bits instead of overflowing.
    static qint64 LeadingInteger(QStringView text);

    // A sample count: a negative field is a fault of the line, stored as 0.
    static quint32 LeadingSample(QStringView text);

    // A signed 32-bit value, clamped to the int range.
    static int LeadingInt(QStringView text);

    // The value of a labelled line such as "Desired Force: 100". The label
    // is stripped as a set of characters, not as a prefix, which is how the
    // files have always been read.
    static int ValueAfterLabel(QStringView line, QLatin1StringView label);
};

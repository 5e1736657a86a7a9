#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// A line that is a plain number as the writer writes a sample: digits only,
// at most nine of them, ended by LF or CR LF. Such a line holds no marker,
// and its value is the value every reading rule gives it. A run log's
// entries hold millions of them, so they are found byte by byte here, and
// every other line is left to the general rules.
class CNumberLine
{
public:
    static constexpr qsizetype kMaxDigits = 9;

    // Where the line that begins at from ends (just past its LF) when it is
    // such a line, with its value; -1 when it is not one or its end is not
    // in text.
    static qsizetype End(QByteArrayView text, qsizetype from, quint32& value)
    {
        const qsizetype digitsEnd = qMin(text.size(), from + kMaxDigits);
        qsizetype pos = from;
        quint32 number = 0;
        for (; pos < digitsEnd && text[pos] >= '0' && text[pos] <= '9'; ++pos)
            number = number * 10 + quint32(text[pos] - '0');
        if (pos == from)
            return -1;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos >= text.size() || text[pos] != '\n')
            return -1;
        value = number;
        return pos + 1;
    }
};

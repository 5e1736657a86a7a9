#pragma once

#include <QString>
#include <QStringView>

// The subject of an impact: the animal's ID or whatever the operator names
// it by, one line that follows the date and time stamp in the comments of a
// completed run. Experiment files are 8-bit text, so a subject is Latin-1;
// it is kept short enough to read in a list and to name a file by.
class CRunSubject
{
public:
    static constexpr int kMaxCharacters = 64;

    // Blanks around the text are dropped: they cannot be seen in a field and
    // "Subject: " already ends in one, so the line reads back as it was
    // typed. Text of blanks alone is no subject.
    static QString Normalized(QStringView typed);

    // Why a normalized subject cannot be written, or empty when it can.
    static QString Refusal(QStringView subject);

    // A character a subject may hold: printable Latin-1.
    static bool IsStorable(QChar c);
};

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CImpactRecord;

// Turns the text the control box prints after an impact, as the reads cut it
// into chunks, into the six trace arrays of the record.
class CRunDataParser
{
public:
    // Appends every sample line's values to the record's traces. Releases
    // other than 4 and 5 have no known line format: nothing is parsed.
    static void ParseRunData(const QStringList& chunks, int firmwareRelease, CImpactRecord& record);

    // The text after a chunk's last line feed is carried to the front of the
    // next chunk, so a line that two reads cut in two is one line again; the
    // tail after the last chunk is a line as it is. White space around lines
    // is dropped, and so is line noise (control and 8-bit characters).
    static QStringList SplitIntoLines(const QStringList& chunks);

private:
    struct Stroke;
    static void AppendLines(QString text, QStringList& lines);
    static void ParseRelease4Line(const QString& line, CImpactRecord& record);
    static void ParseRelease5Line(const QString& line, CImpactRecord& record);
    static void AppendRelease4Sample(const QString& line, QChar separator, const Stroke& stroke);
    static void AppendRelease5Sample(const QString& line, QChar separator, const Stroke& stroke);
    static bool IsUpStrokeLine(const QString& line);
};

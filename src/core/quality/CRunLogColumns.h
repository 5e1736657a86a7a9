#pragma once

#include "core/files/CRunLogEntry.h"
#include "core/quality/CQualityVerdict.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

#include <optional>

// What a list of run log entries shows of each (zentak-cli log list, its
// JSON, the window's run log dialog, the help), one row a column: a new
// column is one enumerator and one row.
class CRunLogColumns
{
public:
    // The listed columns in their order, then the JSON's own values.
    enum Id {
        kNumber,
        kDate,
        kTime,
        kFirmware,
        kDesiredForce,
        kActualForce,
        kDisplacement,
        kVelocity,
        kDownSamples,
        kUpSamples,
        kState,
        kQuality,
        kSubject,
        kListedCount,
        kFirmwareRelease = kListedCount,
        kOffset,
        kLength,
        kCount
    };

    // One entry as a list has it: its number (1 is the oldest) and its
    // verdict, none for an entry not judged.
    struct Listed {
        const CRunLogEntry& entry;
        qsizetype number;
        const std::optional<CQualityVerdict>& verdict;
    };

    struct Column {
        Id id;
        const char* key;      // in the JSON
        const char* heading;  // nullptr for the JSON's own values
        // In the text list: > 0 right aligned (a number), < 0 left aligned,
        // 0 as wide as its heading and its widest cell; after gap blanks.
        int width;
        int gap;
        const char* tip;   // the dialog's
        const char* help;  // zentak-cli help log's words; nullptr: the previous column's say it
        QJsonValue (*json)(const Listed&);
        // nullptr: the JSON's string or number.
        QString (*text)(const Listed&) = nullptr;
        // nullptr: numbers sort by their value, the rest by their text.
        QVariant (*sort)(const Listed&) = nullptr;
    };

    static const Column& At(int id);

    // The cell of a listed column.
    static QString Text(int id, const Listed& listed);
    static QJsonObject Json(const Listed& listed);
    // What list prints of each entry, as help log says it.
    static QString HelpText();
};

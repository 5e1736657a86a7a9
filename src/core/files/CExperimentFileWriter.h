#pragma once

#include <QByteArray>

#include <functional>

class CZentakDoc;

// The ".exp" text of a record, as saved files and run log entries have it:
// 8-bit text, CR LF, the fixed pieces below, no line break after the end
// marker. Value lines are written only when the record's m_bDataValid is set,
// time-per-step sections only for release 5 data.
class CExperimentFileWriter
{
public:
    // storeViews runs after the traces and before the comments: the comments
    // written are those the views hold, the values above them are not.
    // Each section holds the values its array has, never more: after loading
    // a hand-edited file the arrays of a stroke may differ in length.
    static QByteArray Text(const CZentakDoc& doc, const std::function<void()>& storeViews = {});
};

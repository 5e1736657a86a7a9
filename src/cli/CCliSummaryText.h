#pragma once

#include "core/quality/CQualityVerdict.h"
#include "core/study/CStudyDecisions.h"

#include <QByteArray>
#include <QString>

class CCohortSummary;

// A study's summary as zentak-cli writes it: CSV (the runs, then after an
// empty line the groups when there are any; 8-bit text with CR LF like the
// program's other text files), one JSON object, or tables for the terminal.
class CCliSummaryText
{
public:
    static QByteArray Csv(const CCohortSummary& summary);
    static QByteArray Json(const CCohortSummary& summary);
    static QString Table(const CCohortSummary& summary);
    // One line per input that gave no impact: "SOURCE[ entry N]: REASON".
    static QString Problems(const CCohortSummary& summary);
    // One line per impact with a decision, saying whether it changed what
    // the checks said and why it was made.
    static QString Decisions(const CCohortSummary& summary);
    static QString DecisionLine(const QString& source, int entry,
                                const CStudyDecisions::Decision& decision,
                                const CQualityVerdict& verdict);
};

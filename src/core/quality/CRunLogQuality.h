#pragma once

#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"

#include <QList>

#include <optional>

class CRunLogReader;

// The quality verdict of every entry of an opened run log, each entry read
// whole as a saved file with its text would open. Reading thousands of
// entries is the cost, so the entries are shared out among the processor's
// cores; the verdicts come back in the log's order.
class CRunLogQuality
{
public:
    // One per entry: empty for a torn entry, one that cannot be read or
    // does not open whole, and one without data.
    static QList<std::optional<CQualityVerdict>> Verdicts(const CRunLogReader& log,
                                                          const CQualityThresholds& thresholds);
};

#pragma once

#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"

#include <QByteArray>
#include <QList>

#include <optional>

class CRunLogReader;

// The quality verdict of every entry of an opened run log, each entry read
// whole as a saved file with its text would open. Reading thousands of
// entries is the cost, so the entries are shared out among the processor's
// cores, and the verdicts are kept with the log's index with what judged
// them: the next listing by the same thresholds reads no entry again. The
// verdicts come back in the log's order.
class CRunLogQuality
{
public:
    // One per entry: empty for a torn entry, one that cannot be read or
    // does not open whole, and one without data.
    static QList<std::optional<CQualityVerdict>> Verdicts(CRunLogReader& log,
                                                          const CQualityThresholds& thresholds);

private:
    // Raised whenever a check's rule changes: verdicts kept before are judged again.
    static constexpr int kRulesVersion = 1;

    static QList<std::optional<CQualityVerdict>>
    VerdictsOfFreshIndex(CRunLogReader& log, const CQualityThresholds& thresholds);
    static void Judge(const CRunLogReader& log, const QList<qsizetype>& indexes,
                      const CQualityThresholds& thresholds,
                      QList<std::optional<CQualityVerdict>>& verdicts);
    static QByteArray Key(const CQualityThresholds& thresholds);
    static qint32 Code(const std::optional<CQualityVerdict>& verdict);
    // False for kNotJudged or a code no verdict has.
    static bool Decode(qint32 code, std::optional<CQualityVerdict>& verdict);
};

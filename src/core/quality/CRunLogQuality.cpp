#include "core/quality/CRunLogQuality.h"

#include "core/files/CRunLogReader.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/record/CImpactRecord.h"

#include <thread>
#include <vector>

namespace {

constexpr unsigned kMaxWorkers = 8;
constexpr qsizetype kEntriesPerWorker = 64;  // fewer are not worth a thread

// record: a worker's own, reused, so its traces keep their room from entry to entry.
std::optional<CQualityVerdict> VerdictOf(const CRunLogReader& log, qsizetype index,
                                         const CQualityThresholds& thresholds,
                                         CImpactRecord& record)
{
    if (!CCohortReader::ReadLogEntry(log, index, record).isEmpty())
        return std::nullopt;
    return CQualityCheck::Judge(record, thresholds);
}

}  // namespace

QList<std::optional<CQualityVerdict>> CRunLogQuality::Verdicts(CRunLogReader& log,
                                                               const CQualityThresholds& thresholds)
{
    const QByteArray key = Key(thresholds);
    const bool keptApply = log.QualityKey() == key;
    const qsizetype count = log.Entries().size();
    QList<std::optional<CQualityVerdict>> verdicts(count);
    QList<qsizetype> unjudged;
    for (qsizetype i = 0; i < count; ++i) {
        const qint32 code = keptApply ? log.Entries()[i].m_nQuality : CRunLogEntry::kNotJudged;
        if (!Decode(code, verdicts[i]))
            unjudged.append(i);
    }
    if (unjudged.isEmpty())
        return verdicts;
    Judge(log, unjudged, thresholds, verdicts);
    if (log.IndexCacheLied())
        return VerdictsOfFreshIndex(log, thresholds);
    QList<qint32> codes;
    for (const std::optional<CQualityVerdict>& verdict : verdicts)
        codes.append(Code(verdict));
    log.KeepQuality(key, codes);
    return verdicts;
}

// The entries were listed by a kept index that judging showed to be wrong:
// they are listed and judged again from the log itself.
QList<std::optional<CQualityVerdict>>
CRunLogQuality::VerdictsOfFreshIndex(CRunLogReader& log, const CQualityThresholds& thresholds)
{
    QString error;
    if (log.Open(log.Path(), error) != CRunLogReader::OpenResult::Opened)
        return QList<std::optional<CQualityVerdict>>(log.Entries().size());
    return Verdicts(log, thresholds);
}

// Each worker takes every workers-th entry and writes only its own results.
void CRunLogQuality::Judge(const CRunLogReader& log, const QList<qsizetype>& indexes,
                           const CQualityThresholds& thresholds,
                           QList<std::optional<CQualityVerdict>>& verdicts)
{
    const qsizetype count = indexes.size();
    const unsigned cores = qMax(1u, std::thread::hardware_concurrency());
    const unsigned workers = unsigned(
        qBound(qsizetype(1), count / kEntriesPerWorker, qsizetype(qMin(cores, kMaxWorkers))));
    std::optional<CQualityVerdict>* const results = verdicts.data();
    const auto work = [&](unsigned first) {
        CImpactRecord record;
        for (qsizetype i = first; i < count; i += workers)
            results[indexes[i]] = VerdictOf(log, indexes[i], thresholds, record);
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w)
        threads.emplace_back(work, w);
    work(0);
    for (std::thread& thread : threads)
        thread.join();
}

// The thresholds and the version of the rules: a kept verdict stands only
// while both are what judged it.
QByteArray CRunLogQuality::Key(const CQualityThresholds& thresholds)
{
    QByteArray key = "rules " + QByteArray::number(kRulesVersion);
    for (const CQualityThresholds::Field& field : CQualityThresholds::Fields())
        key += ';' + QByteArray(field.key) + '=' + QByteArray::number(thresholds.*field.member);
    return key;
}

qint32 CRunLogQuality::Code(const std::optional<CQualityVerdict>& verdict)
{
    if (!verdict)
        return CRunLogEntry::kNoVerdict;
    qint32 code = 0;
    for (CQualityVerdict::Flag flag : CQualityVerdict::AllFlags())
        code |= verdict->Has(flag) ? 1 << int(flag) : 0;
    return code;
}

bool CRunLogQuality::Decode(qint32 code, std::optional<CQualityVerdict>& verdict)
{
    if (code == CRunLogEntry::kNoVerdict)
        return true;
    if (code < 0 || code >= 1 << CQualityVerdict::kFlagCount)
        return false;
    verdict = CQualityVerdict();
    for (CQualityVerdict::Flag flag : CQualityVerdict::AllFlags()) {
        if (code & 1 << int(flag))
            verdict->Add(flag);
    }
    return true;
}

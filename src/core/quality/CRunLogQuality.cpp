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

std::optional<CQualityVerdict> VerdictOf(const CRunLogReader& log, qsizetype index,
                                         const CQualityThresholds& thresholds)
{
    CImpactRecord record;
    if (!CCohortReader::ReadLogEntry(log, index, record).isEmpty())
        return std::nullopt;
    return CQualityCheck::Judge(record, thresholds);
}

}  // namespace

QList<std::optional<CQualityVerdict>> CRunLogQuality::Verdicts(const CRunLogReader& log,
                                                               const CQualityThresholds& thresholds)
{
    const qsizetype count = log.Entries().size();
    QList<std::optional<CQualityVerdict>> verdicts(count);
    const unsigned cores = qMax(1u, std::thread::hardware_concurrency());
    const unsigned workers = unsigned(
        qBound(qsizetype(1), count / kEntriesPerWorker, qsizetype(qMin(cores, kMaxWorkers))));
    // Each worker takes every workers-th entry and writes only its own results.
    std::optional<CQualityVerdict>* const results = verdicts.data();
    const auto work = [&](unsigned first) {
        for (qsizetype i = first; i < count; i += workers)
            results[i] = VerdictOf(log, i, thresholds);
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w)
        threads.emplace_back(work, w);
    work(0);
    for (std::thread& thread : threads)
        thread.join();
    return verdicts;
}

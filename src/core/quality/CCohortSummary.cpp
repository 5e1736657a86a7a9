#include "core/quality/CCohortSummary.h"

#include "core/quality/CQualityCheck.h"
#include "core/record/CRunStamp.h"

#include <QHash>

#include <algorithm>
#include <cmath>

CCohortSummary::CCohortSummary(const CQualityThresholds& thresholds,
                               const CCohortGrouping& grouping)
    : m_thresholds(thresholds), m_grouping(grouping)
{
}

void CCohortSummary::Add(const CCohortReader::Run& run)
{
    const CImpactRecord& record = run.record;
    Row row;
    row.source = run.source;
    row.entry = run.entry;
    row.stamp = CRunStamp::TimeOf(record.m_strComments);
    row.subject = CRunStamp::SubjectOf(record.m_strComments);
    row.firmware = record.m_strFirmwareVersion;
    row.desiredForce = record.m_nDesiredForce;
    row.actualForce = record.m_nActualForce;
    row.desiredDisp = record.m_nDesiredDisp;
    row.actualDisp = record.m_nActualDisp;
    row.desiredVelocity = record.m_nDesiredVelocity;
    row.actualVelocity = record.m_nActualVelocity;
    row.desiredDwell = record.m_nDesiredDwell;
    row.actualDwell = record.m_nActualDwell;
    row.measures = CImpactMeasures::Of(record);
    row.verdict = CQualityCheck::Judge(record, m_thresholds).value_or(CQualityVerdict());
    if (m_pDecisions)
        row.decision = m_pDecisions->Find(run.source, run.entry);
    if (Grouped())
        row.group = m_grouping.GroupOf(row.subject, row.source);
    m_rows.append(row);
}

bool CCohortSummary::HasDecisions() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(),
                       [](const Row& row) { return row.decision.has_value(); });
}

CCohortSummary::Statistic CCohortSummary::Describe(const QList<double>& values)
{
    Statistic statistic;
    if (values.isEmpty())
        return statistic;
    double sum = 0;
    for (double value : values)
        sum += value;
    const double mean = sum / values.size();
    statistic.mean = mean;
    if (values.size() < 2)
        return statistic;
    double squares = 0;
    for (double value : values)
        squares += (value - mean) * (value - mean);
    statistic.sd = std::sqrt(squares / (values.size() - 1));
    return statistic;
}

QList<CCohortSummary::Group> CCohortSummary::Groups() const
{
    struct Values {
        QList<double> force, displacement, velocity;
    };
    QList<Group> groups;
    QList<Values> values;
    QHash<QString, qsizetype> index;
    for (const Row& row : m_rows) {
        auto found = index.constFind(row.group);
        if (found == index.cend()) {
            found = index.insert(row.group, groups.size());
            Group group;
            group.name = row.group;
            groups.append(group);
            values.append(Values());
        }
        Group& group = groups[*found];
        ++group.runs;
        if (!row.Included()) {
            for (CQualityVerdict::Flag flag : row.verdict.Flags())
                ++group.excluded[int(flag)];
            group.excludedByHand += row.verdict.Passed();
            continue;
        }
        ++group.included;
        values[*found].force.append(row.actualForce);
        values[*found].displacement.append(row.actualDisp);
        values[*found].velocity.append(row.actualVelocity);
    }
    for (qsizetype i = 0; i < groups.size(); ++i) {
        groups[i].force = Describe(values[i].force);
        groups[i].displacement = Describe(values[i].displacement);
        groups[i].velocity = Describe(values[i].velocity);
    }
    return groups;
}

#pragma once

#include "core/quality/CCohortGrouping.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"
#include "core/record/CImpactMeasures.h"
#include "core/study/CStudyDecisions.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// A study in numbers: one row per impact with its values, measures and
// quality verdict, and, when the impacts are grouped, each group's mean and
// standard deviation of the actual force, displacement and velocity over
// the impacts no check flagged, with how many each flag excluded. An
// operator's decision overrides the checks of its impact.
//
// Groups are those of CCohortGrouping. The standard deviation is the
// sample's (divided by n - 1), so it needs two impacts.
class CCohortSummary
{
public:
    struct Row {
        QString source;
        int entry = 0;
        QDateTime stamp;  // invalid when the comments begin with no stamp
        QString subject;
        QString firmware;
        int desiredForce = 0;
        int actualForce = 0;
        int desiredDisp = 0;
        int actualDisp = 0;
        int desiredVelocity = 0;
        int actualVelocity = 0;
        int desiredDwell = 0;
        int actualDwell = 0;
        CImpactMeasures measures;
        CQualityVerdict verdict;
        std::optional<CStudyDecisions::Decision> decision;
        QString group;

        bool Included() const { return CStudyDecisions::Included(verdict.Passed(), decision); }
        // The decision turned the checks' verdict round.
        bool DecisionChanged() const { return decision && Included() != verdict.Passed(); }
    };

    struct Statistic {
        std::optional<double> mean;
        std::optional<double> sd;
    };

    struct Group {
        QString name;
        int runs = 0;
        int included = 0;        // runs no check flagged or included by hand: the n
        int excludedByHand = 0;  // runs that passed, excluded by the operator
        Statistic force;
        Statistic displacement;
        Statistic velocity;
        std::array<int, CQualityVerdict::kFlagCount> excluded{};
    };

    explicit CCohortSummary(const CQualityThresholds& thresholds,
                            const CCohortGrouping& grouping = CCohortGrouping());

    // Decisions the rows follow from now on; none by default.
    void SetDecisions(CStudyDecisions* decisions) { m_pDecisions = decisions; }
    bool HasDecisions() const;

    bool Grouped() const { return m_grouping.Grouped(); }
    const CQualityThresholds& Thresholds() const { return m_thresholds; }

    void Add(const CCohortReader::Run& run);
    void Add(const CCohortReader::Problem& problem) { m_problems.append(problem); }

    const QList<Row>& Rows() const { return m_rows; }
    const QList<CCohortReader::Problem>& Problems() const { return m_problems; }
    // In the order their first impact came in.
    QList<Group> Groups() const;

    static Statistic Describe(const QList<double>& values);

private:
    CQualityThresholds m_thresholds;
    CCohortGrouping m_grouping;
    QList<Row> m_rows;
    QList<CCohortReader::Problem> m_problems;
    CStudyDecisions* m_pDecisions = nullptr;
};

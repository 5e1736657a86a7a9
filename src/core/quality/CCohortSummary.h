#pragma once

#include "core/quality/CCohortGrouping.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"
#include "core/record/CImpactMeasures.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// A study in numbers: one row per impact with its values, measures and
// quality verdict, and, when the impacts are grouped, each group's mean and
// standard deviation of the actual force, displacement and velocity over
// the impacts no check flagged, with how many each flag excluded.
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
        CImpactMeasures measures;
        CQualityVerdict verdict;
        QString group;
    };

    struct Statistic {
        std::optional<double> mean;
        std::optional<double> sd;
    };

    struct Group {
        QString name;
        int runs = 0;
        int included = 0;  // runs no check flagged: the n of the statistics
        Statistic force;
        Statistic displacement;
        Statistic velocity;
        std::array<int, CQualityVerdict::kFlagCount> excluded{};
    };

    explicit CCohortSummary(const CQualityThresholds& thresholds,
                            const CCohortGrouping& grouping = CCohortGrouping());

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
};

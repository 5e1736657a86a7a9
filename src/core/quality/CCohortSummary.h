#pragma once

#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"
#include "core/record/CImpactMeasures.h"

#include <QDateTime>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <array>
#include <optional>

// A study in numbers: one row per impact with its values, measures and
// quality verdict, and, when the impacts are grouped, each group's mean and
// standard deviation of the actual force, displacement and velocity over
// the impacts no check flagged, with how many each flag excluded.
//
// A group is the first capture group of the grouping pattern found in the
// impact's subject, or in its file's name when it has none; an impact the
// pattern does not find belongs to kUnmatchedGroup. The standard deviation
// is the sample's (divided by n - 1), so it needs two impacts.
class CCohortSummary
{
public:
    static inline const QString kUnmatchedGroup = QStringLiteral("(no match)");

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

    // groupBy: no pattern, or one with a capture group (GroupByError).
    explicit CCohortSummary(const CQualityThresholds& thresholds,
                            const QRegularExpression& groupBy = QRegularExpression());

    // Why a pattern cannot group impacts, or empty.
    static QString GroupByError(const QRegularExpression& groupBy);

    bool Grouped() const { return !m_groupBy.pattern().isEmpty(); }
    const CQualityThresholds& Thresholds() const { return m_thresholds; }

    void Add(const CCohortReader::Run& run);
    void Add(const CCohortReader::Problem& problem) { m_problems.append(problem); }

    const QList<Row>& Rows() const { return m_rows; }
    const QList<CCohortReader::Problem>& Problems() const { return m_problems; }
    // In the order their first impact came in.
    QList<Group> Groups() const;

    static Statistic Describe(const QList<double>& values);

private:
    QString GroupOf(const Row& row) const;

    CQualityThresholds m_thresholds;
    QRegularExpression m_groupBy;
    QList<Row> m_rows;
    QList<CCohortReader::Problem> m_problems;
};

#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

class CImpactRecord;
class QPainter;

// The force and displacement traces of many impacts on one time axis, each
// group in a colour and a dash of its own, with the group's mean trace, a
// legend and axes labelled in their units: a study's impacts at a glance,
// on the screen or on paper (the dashes tell the groups apart in grey too).
//
// Time runs from the first down-stroke sample as the graph pane's does; the
// displacement is the probe's travel from where the stroke started. Impacts
// the quality check flagged are drawn dotted and left out of the mean, as
// a study's summary leaves them out of its statistics. A group's mean is
// taken at every 0.1 ms over the time all of its other impacts cover, each
// impact's trace interpolated between its samples.
class COverlayPainter
{
public:
    static constexpr double kMeanStepMs = 0.1;

    struct Trace {
        QList<double> timeMs;
        QList<double> dispMicrons;
        QList<double> forceKdyn;
        bool bFlagged = false;  // by the quality check, or excluded by hand
        bool operator==(const Trace&) const = default;
    };
    struct Group {
        QString name;
        QList<Trace> traces;
    };

    // Both strokes of a record, up to its first sample without a time.
    static Trace TraceOf(const CImpactRecord& record);
    // Of the unflagged traces; empty when there are none.
    static Trace MeanOf(const QList<Trace>& traces);

    static QColor GroupColour(qsizetype group);
    static Qt::PenStyle GroupDash(qsizetype group);

    explicit COverlayPainter(const QList<Group>& groups);

    // Draws the whole picture into area, in the painter's device units.
    void Paint(QPainter& painter, const QRectF& area) const;

private:
    struct Plot;

    void DrawTitle(QPainter& painter, const QRectF& area, double unit) const;
    void DrawPlot(QPainter& painter, const Plot& plot, double unit) const;
    // The grid, ticks, labels and titles of one plot.
    void DrawGrid(QPainter& painter, const Plot& plot, double unit) const;
    // Each impact faint (dotted where flagged), then each group's mean over it.
    void DrawTraces(QPainter& painter, const Plot& plot, double unit) const;
    void DrawLegend(QPainter& painter, const QRectF& area, double unit) const;

    QList<Group> m_groups;
    QList<Trace> m_means;
};

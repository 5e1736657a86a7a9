#pragma once

#include "core/quality/CQualityThresholds.h"
#include "render/CImpactSamples.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>

class CImpactRecord;

// The two graphs of the window: displacement above force over one time axis,
// filling the widget. A crosshair follows the pointer with the values of the
// nearest sample; the wheel zooms the time axis about the pointer, a drag
// pans, a double-click shows the whole run again, and the value axes follow
// what is shown. Earlier impacts may be drawn behind the current one.
class CImpactGraph : public QWidget
{
    Q_OBJECT

public:
    struct Range {
        double low = 0;
        double high = 1;
        double step = 1;  // between ticks
        bool operator==(const Range&) const = default;
    };
    enum class Mark { Contact, Peak, SecondHit, BoneContact, MarkCount };
    static constexpr double kWheelZoom = 0.8;  // span kept per notch towards the pointer
    static constexpr double kMinSpanMs = 0.1;
    static inline const QColor kEarlierColour{175, 195, 235};

    explicit CImpactGraph(QWidget* parent = nullptr);

    void SetRecord(const CImpactRecord& record, const CQualityThresholds& thresholds);
    // Earlier impacts drawn behind, and their mean (empty for none).
    void SetComparison(const QList<CImpactSamples>& earlier, const CImpactSamples& mean);
    const CImpactSamples& Samples() const { return m_samples; }

    Range TimeRange() const { return m_time; }
    Range DispRange() const { return m_disp; }
    Range ForceRange() const { return m_force; }
    QRect DispPlot() const;
    QRect ForcePlot() const;
    int XOfTime(double timeMs) const;
    double TimeAtX(double x) const;

    // The sample under the crosshair, -1 for none; and what its label says.
    qsizetype ReadoutSample() const { return m_nReadout; }
    QString ReadoutText() const;
    // The sample each mark stands on, -1 where there is none.
    qsizetype MarkSample(Mark mark) const { return m_nMarks[int(mark)]; }
    static QString MarkName(Mark mark);
    QString PeakText() const;

    // The time axis about a time, by a factor of its span (below 1 zooms in).
    void ZoomAbout(double timeMs, double factor);
    void PanByPixels(double dx);

public Q_SLOTS:
    void ShowWholeRun();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void FindMarks(const CImpactRecord& record, const CQualityThresholds& thresholds);
    void SetTimeSpan(double low, double high);
    int TimeTicks() const;
    void FitValueAxes();
    void Invalidate();
    void RenderBackground();
    void DrawPlotFrame(QPainter& painter, const QRect& plot, const Range& values,
                       const QString& caption) const;
    void DrawTimeTicks(QPainter& painter, const QRect& plot, bool labelled) const;
    void DrawTraces(QPainter& painter, const CImpactSamples& samples, const QPen& pen) const;
    void DrawMarks(QPainter& painter) const;
    void DrawPeakText(QPainter& painter, const QPointF& peak) const;
    void DrawLegend(QPainter& painter) const;
    void DrawCrosshair(QPainter& painter) const;
    QPointF DispPoint(const CImpactSamples::Sample& sample) const;
    QPointF ForcePoint(const CImpactSamples::Sample& sample) const;
    double WholeRunMs() const;
    static Range NiceRange(double low, double high, int ticks);

    CImpactSamples m_samples;
    QList<CImpactSamples> m_earlier;
    CImpactSamples m_mean;
    qsizetype m_nMarks[int(Mark::MarkCount)] = {-1, -1, -1, -1};
    Range m_time;
    Range m_disp;
    Range m_force;
    qsizetype m_nReadout = -1;
    QPoint m_pointer;
    std::optional<QPoint> m_dragFrom;
    QPixmap m_background;
};

#include "gui/CImpactGraph.h"

#include "core/quality/CQualityCheck.h"
#include "core/record/CImpactRecord.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeftMargin = 58;
constexpr int kRightMargin = 12;
constexpr int kTopMargin = 20;
constexpr int kGap = 36;
constexpr int kBottomMargin = 34;
constexpr int kClassicTimeMs = 30;
constexpr int kMarkRadius = 5;

const QString kDispCaption = QStringLiteral("Displacement (µm)");
const QColor kTraceColour(0, 0, 192);
const QColor kMeanColour(60, 150, 60);
const QColor kGridColour(220, 220, 220);
const QColor kCrosshairColour(120, 120, 120);

struct MarkStyle {
    QColor colour;
    QString legend;
};

// One table of what each mark looks like and is called; a flag's mark by the flag's name.
const MarkStyle kMarkStyles[] = {
    {QColor(220, 0, 0), QStringLiteral("contact")},
    {QColor(230, 120, 0), QStringLiteral("peak force")},
    {QColor(160, 0, 160), CQualityVerdict::Name(CQualityVerdict::Flag::SecondHit)},
    {QColor(0, 130, 130), CQualityVerdict::Name(CQualityVerdict::Flag::BoneContact)},
};

// A trace built column by column: the samples that fall into one pixel
// column keep only the first, the extremes and the last, so a long run
// costs what the width costs to draw.
class ColumnLine
{
public:
    void Add(int x, double y)
    {
        if (m_nColumn && *m_nColumn == x) {
            m_dLow = std::min(m_dLow, y);
            m_dHigh = std::max(m_dHigh, y);
            m_dLast = y;
            return;
        }
        Flush();
        m_nColumn = x;
        m_dFirst = m_dLow = m_dHigh = m_dLast = y;
    }
    const QPolygonF& Points()
    {
        Flush();
        m_nColumn.reset();
        return m_points;
    }

private:
    void Flush()
    {
        if (!m_nColumn)
            return;
        const double x = *m_nColumn;
        const bool rising = m_dLast >= m_dFirst;
        for (const double y :
             {m_dFirst, rising ? m_dLow : m_dHigh, rising ? m_dHigh : m_dLow, m_dLast})
            if (m_points.isEmpty() || m_points.constLast() != QPointF(x, y))
                m_points.append(QPointF(x, y));
    }

    QPolygonF m_points;
    std::optional<int> m_nColumn;
    double m_dFirst = 0, m_dLow = 0, m_dHigh = 0, m_dLast = 0;
};

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

int StepDecimals(double step)
{
    return step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
}

}  // namespace

CImpactGraph::CImpactGraph(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    // Small enough that the window still fits a small screen at double scale.
    setMinimumSize(180, 180);
    setAttribute(Qt::WA_OpaquePaintEvent);
    ShowWholeRun();
}

void CImpactGraph::SetRecord(const CImpactRecord& record, const CQualityThresholds& thresholds)
{
    m_samples = CImpactSamples::Of(record);
    FindMarks(record, thresholds);
    m_nReadout = -1;
    ShowWholeRun();
}

void CImpactGraph::SetComparison(const QList<CImpactSamples>& earlier, const CImpactSamples& mean)
{
    m_earlier = earlier;
    m_mean = mean;
    FitValueAxes();
    Invalidate();
}

void CImpactGraph::FindMarks(const CImpactRecord& record, const CQualityThresholds& thresholds)
{
    std::fill(std::begin(m_nMarks), std::end(m_nMarks), -1);
    const QList<CImpactSamples::Sample>& all = m_samples.All();
    if (all.isEmpty())
        return;
    const int contact = record.m_nContactIndex;
    if (contact > 0 && contact < m_samples.DownCount() &&
        record.m_arrForceDown[0] < CImpactRecord::kContactForce)
        m_nMarks[int(Mark::Contact)] = contact - 1;
    const auto peak = std::max_element(all.cbegin(), all.cend(), [](const auto& a, const auto& b) {
        return a.forceKdyn < b.forceKdyn;
    });
    m_nMarks[int(Mark::Peak)] = peak - all.cbegin();

    const std::optional<CQualityVerdict> verdict = CQualityCheck::Judge(record, thresholds);
    if (!verdict)
        return;
    const std::optional<qsizetype> secondHit = CQualityCheck::SecondHitSample(record, thresholds);
    if (verdict->Has(CQualityVerdict::Flag::SecondHit) && secondHit &&
        m_samples.At(CImpactSamples::Stroke::Up, *secondHit))
        m_nMarks[int(Mark::SecondHit)] = m_samples.DownCount() + *secondHit;
    if (verdict->Has(CQualityVerdict::Flag::BoneContact))
        m_nMarks[int(Mark::BoneContact)] = m_nMarks[int(Mark::Peak)];
}

QString CImpactGraph::MarkName(Mark mark)
{
    return kMarkStyles[int(mark)].legend;
}

QString CImpactGraph::PeakText() const
{
    const qsizetype peak = m_nMarks[int(Mark::Peak)];
    if (peak < 0)
        return {};
    const CImpactSamples::Sample& sample = m_samples.All()[peak];
    return QStringLiteral("peak %1 K dynes at %2 ms")
        .arg(Number(sample.forceKdyn, 0), Number(sample.timeMs, 1));
}

QString CImpactGraph::ReadoutText() const
{
    if (m_nReadout < 0)
        return {};
    const CImpactSamples::Sample& sample = m_samples.All()[m_nReadout];
    return QStringLiteral("%1 ms   %2 µm   %3 K dynes")
        .arg(Number(sample.timeMs, 2), Number(sample.dispMicrons, 0), Number(sample.forceKdyn, 1));
}

double CImpactGraph::WholeRunMs() const
{
    double last = m_samples.LastTimeMs();
    for (const CImpactSamples& earlier : m_earlier)
        last = std::max(last, earlier.LastTimeMs());
    return last > 0 ? last : kClassicTimeMs;
}

// As many time ticks as their labels have room for, up to ten.
int CImpactGraph::TimeTicks() const
{
    const int labelRoom = QFontMetrics(font()).horizontalAdvance(QStringLiteral("000.00")) + 12;
    return std::clamp(DispPlot().width() / labelRoom, 2, 10);
}

void CImpactGraph::ShowWholeRun()
{
    SetTimeSpan(0, WholeRunMs());
}

void CImpactGraph::ZoomAbout(double timeMs, double factor)
{
    const double whole = WholeRunMs();
    const double span =
        std::clamp((m_time.high - m_time.low) * factor, std::min(kMinSpanMs, whole), whole);
    const double share = (timeMs - m_time.low) / (m_time.high - m_time.low);
    SetTimeSpan(timeMs - share * span, timeMs - share * span + span);
}

void CImpactGraph::PanByPixels(double dx)
{
    const double span = m_time.high - m_time.low;
    const double shift = -dx * span / std::max(1, DispPlot().width());
    SetTimeSpan(m_time.low + shift, m_time.high + shift);
}

// The span stays within the run: a pan stops at either end.
void CImpactGraph::SetTimeSpan(double low, double high)
{
    const double whole = WholeRunMs();
    const double span = std::min(high - low, whole);
    low = std::clamp(low, 0.0, whole - span);
    m_time = {low, low + span, NiceRange(low, low + span, TimeTicks()).step};
    FitValueAxes();
    Invalidate();
}

// What lies in the shown time span decides each value axis.
void CImpactGraph::FitValueAxes()
{
    double dispLow = 0, dispHigh = 0, forceHigh = 0;
    bool any = false;
    const auto take = [&](const CImpactSamples& samples) {
        for (const CImpactSamples::Sample& sample : samples.All()) {
            if (sample.timeMs < m_time.low || sample.timeMs > m_time.high)
                continue;
            dispLow = any ? std::min(dispLow, sample.dispMicrons) : sample.dispMicrons;
            dispHigh = any ? std::max(dispHigh, sample.dispMicrons) : sample.dispMicrons;
            forceHigh = std::max(forceHigh, sample.forceKdyn);
            any = true;
        }
    };
    take(m_samples);
    for (const CImpactSamples& earlier : m_earlier)
        take(earlier);
    take(m_mean);
    m_disp = NiceRange(dispLow, std::max(dispHigh, dispLow + 10), 6);
    m_force = NiceRange(0, std::max(forceHigh, 10.0), 6);
}

// Ticks at 1, 2 or 5 times a power of ten, the range widened to them.
CImpactGraph::Range CImpactGraph::NiceRange(double low, double high, int ticks)
{
    const double raw = (high - low) / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double multiple : {1.0, 2.0, 5.0, 10.0}) {
        step = multiple * power;
        if (step >= raw)
            break;
    }
    return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

QRect CImpactGraph::DispPlot() const
{
    const int plotHeight = std::max(20, (height() - kTopMargin - kGap - kBottomMargin) / 2);
    return QRect(kLeftMargin, kTopMargin, std::max(20, width() - kLeftMargin - kRightMargin),
                 plotHeight);
}

QRect CImpactGraph::ForcePlot() const
{
    return DispPlot().translated(0, DispPlot().height() + kGap);
}

int CImpactGraph::XOfTime(double timeMs) const
{
    const QRect plot = DispPlot();
    return plot.left() +
           int(std::lround((timeMs - m_time.low) / (m_time.high - m_time.low) * plot.width()));
}

double CImpactGraph::TimeAtX(double x) const
{
    const QRect plot = DispPlot();
    return m_time.low + (x - plot.left()) / plot.width() * (m_time.high - m_time.low);
}

// Displacement grows downward, as the probe moves.
QPointF CImpactGraph::DispPoint(const CImpactSamples::Sample& sample) const
{
    const QRect plot = DispPlot();
    const double share = (sample.dispMicrons - m_disp.low) / (m_disp.high - m_disp.low);
    return QPointF(XOfTime(sample.timeMs), plot.top() + share * plot.height());
}

QPointF CImpactGraph::ForcePoint(const CImpactSamples::Sample& sample) const
{
    const QRect plot = ForcePlot();
    const double share = (sample.forceKdyn - m_force.low) / (m_force.high - m_force.low);
    return QPointF(XOfTime(sample.timeMs), plot.bottom() - share * plot.height());
}

void CImpactGraph::Invalidate()
{
    m_background = QPixmap();
    update();
}

void CImpactGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetTimeSpan(m_time.low, m_time.high);
}

void CImpactGraph::paintEvent(QPaintEvent*)
{
    if (m_background.isNull())
        RenderBackground();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
    DrawCrosshair(painter);
}

// Everything but the crosshair is kept as a picture: a pointer move only
// draws the crosshair over it.
void CImpactGraph::RenderBackground()
{
    const qreal ratio = devicePixelRatioF();
    m_background = QPixmap(size() * ratio);
    m_background.setDevicePixelRatio(ratio);
    m_background.fill(palette().color(QPalette::Base));
    QPainter painter(&m_background);
    DrawPlotFrame(painter, DispPlot(), m_disp, kDispCaption);
    DrawPlotFrame(painter, ForcePlot(), m_force, QStringLiteral("Force (K dynes)"));
    for (const CImpactSamples& earlier : m_earlier)
        DrawTraces(painter, earlier, QPen(kEarlierColour, 1));
    // Smoothing shows on sparse traces only; on dense ones it costs most of the paint.
    painter.setRenderHint(QPainter::Antialiasing,
                          m_samples.All().size() * (m_time.high - m_time.low) <=
                              DispPlot().width() * WholeRunMs());
    DrawTraces(painter, m_mean, QPen(kMeanColour, 2, Qt::DashLine));
    DrawTraces(painter, m_samples, QPen(kTraceColour, 2));
    DrawMarks(painter);
    DrawLegend(painter);
}

void CImpactGraph::DrawPlotFrame(QPainter& painter, const QRect& plot, const Range& values,
                                 const QString& caption) const
{
    const bool downward = plot == DispPlot();
    const QFontMetrics metrics(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QPoint(4, plot.top() - 6), caption);
    const int decimals = StepDecimals(values.step);
    for (double value = values.low; value <= values.high + values.step / 2; value += values.step) {
        const double share = (value - values.low) / (values.high - values.low);
        const int y = int(downward ? plot.top() + share * plot.height()
                                   : plot.bottom() - share * plot.height());
        painter.setPen(kGridColour);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawLine(plot.left() - 4, y, plot.left(), y);
        const QString label = Number(value, decimals);
        painter.drawText(plot.left() - 6 - metrics.horizontalAdvance(label),
                         y + metrics.ascent() / 2 - 1, label);
    }
    DrawTimeTicks(painter, plot, true);
    painter.setPen(QPen(palette().color(QPalette::Text), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

void CImpactGraph::DrawTimeTicks(QPainter& painter, const QRect& plot, bool labelled) const
{
    const QFontMetrics metrics(font());
    const int decimals = StepDecimals(m_time.step);
    const double first = std::ceil(m_time.low / m_time.step - 1e-9) * m_time.step;
    for (double t = first; t <= m_time.high + m_time.step / 1000; t += m_time.step) {
        const int x = XOfTime(t);
        painter.setPen(kGridColour);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        if (labelled) {
            const QString label = Number(t, decimals);
            painter.drawText(x - metrics.horizontalAdvance(label) / 2,
                             plot.bottom() + 6 + metrics.ascent(), label);
        }
    }
    if (plot != DispPlot())
        painter.drawText(plot.right() - metrics.horizontalAdvance(QStringLiteral("Time (ms)")),
                         plot.bottom() + 8 + metrics.ascent() + metrics.height(),
                         QStringLiteral("Time (ms)"));
}

// Each graph's trace as one polyline, clipped to its plot. The scales are
// worked out once: this runs for every sample of every impact compared.
void CImpactGraph::DrawTraces(QPainter& painter, const CImpactSamples& samples,
                              const QPen& pen) const
{
    const QRect dispPlot = DispPlot();
    const QRect forcePlot = ForcePlot();
    const double xScale = dispPlot.width() / (m_time.high - m_time.low);
    const double dispScale = dispPlot.height() / (m_disp.high - m_disp.low);
    const double forceScale = forcePlot.height() / (m_force.high - m_force.low);
    ColumnLine disp, force;
    for (const CImpactSamples::Sample& sample : samples.All()) {
        if (sample.timeMs < m_time.low - m_time.step || sample.timeMs > m_time.high + m_time.step)
            continue;
        const int x = dispPlot.left() + int(std::lround((sample.timeMs - m_time.low) * xScale));
        disp.Add(x, dispPlot.top() + (sample.dispMicrons - m_disp.low) * dispScale);
        force.Add(x, forcePlot.bottom() - (sample.forceKdyn - m_force.low) * forceScale);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setClipRect(dispPlot);
    painter.drawPolyline(disp.Points());
    painter.setClipRect(forcePlot);
    painter.drawPolyline(force.Points());
    painter.setClipping(false);
}

void CImpactGraph::DrawMarks(QPainter& painter) const
{
    for (int mark = 0; mark < int(Mark::MarkCount); ++mark) {
        const qsizetype index = m_nMarks[mark];
        if (index < 0)
            continue;
        const CImpactSamples::Sample& sample = m_samples.All()[index];
        if (sample.timeMs < m_time.low || sample.timeMs > m_time.high)
            continue;
        painter.setPen(QPen(kMarkStyles[mark].colour, 2));
        painter.setBrush(Qt::NoBrush);
        const int radius = kMarkRadius + 2 * (mark == int(Mark::BoneContact));
        painter.drawEllipse(DispPoint(sample), radius, radius);
        painter.drawEllipse(ForcePoint(sample), radius, radius);
        if (mark == int(Mark::Peak))
            DrawPeakText(painter, ForcePoint(sample));
    }
}

// Beside the peak, on whichever side has room for it; where neither has,
// as far over as keeps the whole text inside the widget, over the axis
// labels if it must.
void CImpactGraph::DrawPeakText(QPainter& painter, const QPointF& peak) const
{
    const QString text = PeakText();
    const int textWidth = QFontMetrics(font()).horizontalAdvance(text);
    const bool right = peak.x() + kMarkRadius + 3 + textWidth <= ForcePlot().right();
    const double x = right ? peak.x() + kMarkRadius + 3 : peak.x() - kMarkRadius - 3 - textWidth;
    const double rightmost = width() - 2 - textWidth;
    const double leftmost = std::min<double>(ForcePlot().left() + 2, std::max(2.0, rightmost));
    painter.drawText(
        QPointF(std::clamp(x, leftmost, std::max(leftmost, rightmost)), peak.y() - kMarkRadius),
        text);
}

// What each line and mark stands for, in a row above the graphs on the
// right, where no trace can run under it.
void CImpactGraph::DrawLegend(QPainter& painter) const
{
    QList<std::pair<QColor, QString>> entries;
    if (!m_samples.All().isEmpty())
        entries.append({kTraceColour, QStringLiteral("— this impact")});
    if (!m_earlier.isEmpty())
        entries.append({kEarlierColour.darker(130), QStringLiteral("— earlier impacts")});
    if (!m_mean.All().isEmpty())
        entries.append({kMeanColour, QStringLiteral("- - mean of ticked")});
    for (int mark = 0; mark < int(Mark::MarkCount); ++mark)
        if (m_nMarks[mark] >= 0)
            entries.append({kMarkStyles[mark].colour, QStringLiteral("○ ") + MarkName(Mark(mark))});
    const QFontMetrics metrics(font());
    const int captionEnd = metrics.horizontalAdvance(kDispCaption) + 4 + metrics.averageCharWidth();
    int x = DispPlot().right();
    const int baseline = DispPlot().top() - 6;
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        x -= metrics.horizontalAdvance(entry->second);
        if (x < captionEnd)
            return;  // a narrow pane names what it can
        painter.setPen(entry->first);
        painter.drawText(x, baseline, entry->second);
        x -= metrics.horizontalAdvance(QStringLiteral("   "));
    }
}

void CImpactGraph::DrawCrosshair(QPainter& painter) const
{
    if (m_nReadout < 0)
        return;
    const CImpactSamples::Sample& sample = m_samples.All()[m_nReadout];
    const QPointF disp = DispPoint(sample);
    const QPointF force = ForcePoint(sample);
    painter.setPen(QPen(kCrosshairColour, 1, Qt::DashLine));
    for (const QRect& plot : {DispPlot(), ForcePlot()})
        painter.drawLine(int(disp.x()), plot.top(), int(disp.x()), plot.bottom());
    painter.drawLine(DispPlot().left(), int(disp.y()), DispPlot().right(), int(disp.y()));
    painter.drawLine(ForcePlot().left(), int(force.y()), ForcePlot().right(), int(force.y()));

    const QString text = ReadoutText();
    const QFontMetrics metrics(font());
    QRect box(0, 0, metrics.horizontalAdvance(text) + 10, metrics.height() + 6);
    const bool left = disp.x() > DispPlot().center().x();
    box.moveTopLeft(QPoint(left ? int(disp.x()) - box.width() - 8 : int(disp.x()) + 8,
                           DispPlot().bottom() + 2));
    // A narrow graph still shows the whole readout.
    box.moveLeft(std::clamp(box.left(), 0, std::max(0, width() - box.width())));
    painter.setPen(kCrosshairColour);
    painter.setBrush(QColor(255, 255, 225));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(box, Qt::AlignCenter, text);
}

void CImpactGraph::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragFrom) {
        PanByPixels(pos.x() - m_dragFrom->x());
        m_dragFrom = pos;
    }
    // The last sample lies on the plot's right edge line.
    const bool over = DispPlot().adjusted(0, 0, 1, 0).contains(pos) ||
                      ForcePlot().adjusted(0, 0, 1, 0).contains(pos);
    const qsizetype nearest = over ? m_samples.NearestTo(TimeAtX(pos.x())) : -1;
    if (nearest != m_nReadout || pos != m_pointer) {
        m_nReadout = nearest;
        m_pointer = pos;
        update();
    }
}

void CImpactGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragFrom = event->position().toPoint();
}

void CImpactGraph::mouseReleaseEvent(QMouseEvent*)
{
    m_dragFrom.reset();
}

void CImpactGraph::mouseDoubleClickEvent(QMouseEvent*)
{
    ShowWholeRun();
}

void CImpactGraph::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0)
        return;
    ZoomAbout(TimeAtX(event->position().x()), std::pow(kWheelZoom, notches));
    event->accept();
}

void CImpactGraph::leaveEvent(QEvent*)
{
    m_nReadout = -1;
    update();
}

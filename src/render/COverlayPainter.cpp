#include "render/COverlayPainter.h"

#include "core/record/CImpactRecord.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr int kTimeTicks = 10;
constexpr int kValueTicks = 6;
constexpr double kLegendRow = 26;  // in thousandths of the picture's height
constexpr int kLegendNoteRows = 3;

// Colours told apart by most colour-blind readers (Okabe and Ito), without
// the yellow that vanishes on white paper.
const QColor kColours[] = {QColor(0, 114, 178),   QColor(213, 94, 0),  QColor(0, 158, 115),
                           QColor(204, 121, 167), QColor(230, 159, 0), QColor(86, 180, 233),
                           QColor(0, 0, 0)};
const Qt::PenStyle kDashes[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                Qt::DashDotDotLine};

using Values = QList<double> COverlayPainter::Trace::*;

// 1, 2 or 5 times a power of ten: about `ticks` steps over the range.
double NiceStep(double range, int ticks)
{
    if (range <= 0)
        return 1;
    const double raw = range / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double nice = normalised < 1.5 ? 1 : normalised < 3 ? 2 : normalised < 7 ? 5 : 10;
    return nice * magnitude;
}

struct Axis {
    double min = 0;
    double max = 1;
    double step = 1;

    static Axis Fitting(double low, double high, int ticks)
    {
        Axis axis;
        axis.step = NiceStep(high - qMin(0.0, low), ticks);
        axis.min = low < 0 ? std::floor(low / axis.step) * axis.step : 0;
        axis.max = qMax(axis.min + axis.step, std::ceil(high / axis.step) * axis.step);
        return axis;
    }
    QString Label(double value) const
    {
        const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
        return QString::number(value, 'f', decimals);
    }
};

QFont Font(double pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qMax(1, int(std::lround(pixelSize))));
    font.setBold(bold);
    return font;
}

double Interpolated(const QList<double>& times, const QList<double>& values, double t)
{
    const auto after = std::upper_bound(times.cbegin(), times.cend(), t);
    if (after == times.cbegin())
        return values.constFirst();
    if (after == times.cend())
        return values.constLast();
    const qsizetype i = after - times.cbegin();
    const double span = times[i] - times[i - 1];
    const double share = span > 0 ? (t - times[i - 1]) / span : 0;
    return values[i - 1] + share * (values[i] - values[i - 1]);
}

}  // namespace

struct COverlayPainter::Plot {
    QRectF frame;
    Axis time;
    Axis value;
    Values values;
    QString valueTitle;

    QPointF Map(double t, double v) const
    {
        return {frame.left() + (t - time.min) / (time.max - time.min) * frame.width(),
                frame.bottom() - (v - value.min) / (value.max - value.min) * frame.height()};
    }
};

COverlayPainter::Trace COverlayPainter::TraceOf(const CImpactRecord& record)
{
    Trace trace;
    double timeMs = 0;
    const quint32 start = record.m_arrDispDown.isEmpty() ? 0 : record.m_arrDispDown.constFirst();
    const auto addStroke = [&](const CUIntArray& disp, const CUIntArray& force,
                               const CUIntArray& steps) {
        const qsizetype count = qMin(disp.size(), force.size());
        for (qsizetype i = 0; i < count; ++i) {
            if (record.m_nFirmwareRelease != 4 && i >= steps.size())
                return false;
            trace.timeMs.append(timeMs);
            trace.dispMicrons.append((double(disp[i]) - start) * CImpactRecord::kMicronsPerCount);
            trace.forceKdyn.append(force[i] / 10.0);
            timeMs += record.m_nFirmwareRelease == 4 ? CImpactRecord::kRelease4SampleMs
                                                     : steps[i] * CImpactRecord::kMsPerStepCount;
        }
        return true;
    };
    if (addStroke(record.m_arrDispDown, record.m_arrForceDown, record.m_arrStepTimeDown))
        addStroke(record.m_arrDispUp, record.m_arrForceUp, record.m_arrStepTimeUp);
    return trace;
}

COverlayPainter::Trace COverlayPainter::MeanOf(const QList<Trace>& group)
{
    QList<Trace> traces;
    for (const Trace& trace : group) {
        if (!trace.bFlagged)
            traces.append(trace);
    }
    Trace mean;
    double endMs = std::numeric_limits<double>::max();
    for (const Trace& trace : traces) {
        if (trace.timeMs.isEmpty())
            return mean;
        endMs = qMin(endMs, trace.timeMs.constLast());
    }
    if (traces.isEmpty())
        return mean;
    for (qsizetype k = 0; k * kMeanStepMs <= endMs; ++k) {
        const double t = k * kMeanStepMs;
        double disp = 0;
        double force = 0;
        for (const Trace& trace : traces) {
            disp += Interpolated(trace.timeMs, trace.dispMicrons, t);
            force += Interpolated(trace.timeMs, trace.forceKdyn, t);
        }
        mean.timeMs.append(t);
        mean.dispMicrons.append(disp / traces.size());
        mean.forceKdyn.append(force / traces.size());
    }
    return mean;
}

QColor COverlayPainter::GroupColour(qsizetype group)
{
    return kColours[group % std::size(kColours)];
}

Qt::PenStyle COverlayPainter::GroupDash(qsizetype group)
{
    return kDashes[group % std::size(kDashes)];
}

COverlayPainter::COverlayPainter(const QList<Group>& groups) : m_groups(groups)
{
    for (const Group& group : m_groups)
        m_means.append(MeanOf(group.traces));
}

void COverlayPainter::Paint(QPainter& painter, const QRectF& area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = area.height() / 1000.0;
    double endMs = 0;
    double dispLow = 0, dispHigh = 0, forceHigh = 0;
    for (const Group& group : m_groups) {
        for (const Trace& trace : group.traces) {
            if (trace.timeMs.isEmpty())
                continue;
            endMs = qMax(endMs, trace.timeMs.constLast());
            for (double d : trace.dispMicrons) {
                dispLow = qMin(dispLow, d);
                dispHigh = qMax(dispHigh, d);
            }
            for (double f : trace.forceKdyn)
                forceHigh = qMax(forceHigh, f);
        }
    }
    const Axis time = Axis::Fitting(0, endMs, kTimeTicks);
    const double legendHeight = (m_groups.size() + kLegendNoteRows) * kLegendRow * unit + 20 * unit;
    const double left = area.left() + 140 * unit;
    const double right = area.right() - 30 * unit;
    const double top = area.top() + 70 * unit;
    const double bottom = area.bottom() - legendHeight - 70 * unit;
    const double gap = 110 * unit;
    const double plotHeight = (bottom - top - gap) / 2;

    DrawTitle(painter, area, unit);
    const Plot upper{QRectF(QPointF(left, top), QSizeF(right - left, plotHeight)), time,
                     Axis::Fitting(dispLow, dispHigh, kValueTicks), &Trace::dispMicrons,
                     QStringLiteral("Displacement (microns)")};
    const Plot lower{
        QRectF(QPointF(left, top + plotHeight + gap), QSizeF(right - left, plotHeight)), time,
        Axis::Fitting(0, forceHigh, kValueTicks), &Trace::forceKdyn,
        QStringLiteral("Force (K dynes)")};
    DrawPlot(painter, upper, unit);
    DrawPlot(painter, lower, unit);
    DrawLegend(painter,
               QRectF(area.left(), area.bottom() - legendHeight, area.width(), legendHeight), unit);
    painter.restore();
}

void COverlayPainter::DrawTitle(QPainter& painter, const QRectF& area, double unit) const
{
    qsizetype impacts = 0;
    for (const Group& group : m_groups)
        impacts += group.traces.size();
    painter.setFont(Font(26 * unit, true));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top() + 10 * unit, area.width(), 40 * unit),
                     Qt::AlignCenter,
                     QStringLiteral("Force and displacement of %1 impact%2")
                         .arg(impacts)
                         .arg(impacts == 1 ? QString() : QStringLiteral("s")));
}

void COverlayPainter::DrawPlot(QPainter& painter, const Plot& plot, double unit) const
{
    DrawGrid(painter, plot, unit);
    DrawTraces(painter, plot, unit);
}

void COverlayPainter::DrawGrid(QPainter& painter, const Plot& plot, double unit) const
{
    const QRectF& frame = plot.frame;
    painter.setFont(Font(16 * unit));
    const QFontMetricsF metrics(painter.font());
    const QPen gridPen(QColor(215, 215, 215), qMax(1.0, unit));
    const QPen tickPen(Qt::black, qMax(1.0, 1.5 * unit));

    for (double t = plot.time.min; t <= plot.time.max + plot.time.step / 2; t += plot.time.step) {
        const double x = plot.Map(t, 0).x();
        painter.setPen(gridPen);
        painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
        painter.setPen(tickPen);
        painter.drawLine(QPointF(x, frame.bottom()), QPointF(x, frame.bottom() + 8 * unit));
        painter.drawText(
            QRectF(x - 50 * unit, frame.bottom() + 10 * unit, 100 * unit, metrics.height()),
            Qt::AlignHCenter | Qt::AlignTop, plot.time.Label(t));
    }
    for (double v = plot.value.min; v <= plot.value.max + plot.value.step / 2;
         v += plot.value.step) {
        const double y = plot.Map(0, v).y();
        painter.setPen(gridPen);
        painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
        painter.setPen(tickPen);
        painter.drawLine(QPointF(frame.left() - 8 * unit, y), QPointF(frame.left(), y));
        painter.drawText(
            QRectF(frame.left() - 90 * unit, y - metrics.height() / 2, 78 * unit, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, plot.value.Label(v));
    }
    painter.setPen(tickPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);

    painter.setFont(Font(18 * unit, true));
    painter.drawText(QRectF(frame.left(), frame.bottom() + 12 * unit + metrics.height(),
                            frame.width(), 30 * unit),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Time (ms)"));
    painter.save();
    painter.translate(frame.left() - 75 * unit, frame.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-frame.height() / 2, -30 * unit, frame.height(), 30 * unit),
                     Qt::AlignCenter, plot.valueTitle);
    painter.restore();
}

void COverlayPainter::DrawTraces(QPainter& painter, const Plot& plot, double unit) const
{
    painter.save();
    painter.setClipRect(plot.frame);
    const auto draw = [&](const Trace& trace, const QPen& pen) {
        QPainterPath path;
        for (qsizetype i = 0; i < trace.timeMs.size(); ++i) {
            const QPointF point = plot.Map(trace.timeMs[i], (trace.*plot.values)[i]);
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.strokePath(path, pen);
    };
    for (qsizetype g = 0; g < m_groups.size(); ++g) {
        QColor faint = GroupColour(g);
        faint.setAlpha(110);
        for (const Trace& trace : m_groups[g].traces)
            draw(trace,
                 QPen(faint, qMax(1.0, 1.2 * unit), trace.bFlagged ? Qt::DotLine : Qt::SolidLine));
    }
    for (qsizetype g = 0; g < m_groups.size(); ++g) {
        QPen mean(GroupColour(g), 4 * unit, GroupDash(g), Qt::FlatCap, Qt::RoundJoin);
        draw(m_means[g], mean);
    }
    painter.restore();
}

void COverlayPainter::DrawLegend(QPainter& painter, const QRectF& area, double unit) const
{
    painter.setFont(Font(17 * unit));
    const double row = kLegendRow * unit;
    const double x = area.left() + 140 * unit;
    double y = area.top() + 10 * unit;
    for (qsizetype g = 0; g < m_groups.size(); ++g, y += row) {
        QColor faint = GroupColour(g);
        faint.setAlpha(110);
        painter.setPen(QPen(faint, qMax(1.0, 1.2 * unit)));
        painter.drawLine(QPointF(x, y + row / 2 - 5 * unit),
                         QPointF(x + 60 * unit, y + row / 2 - 5 * unit));
        painter.setPen(QPen(GroupColour(g), 4 * unit, GroupDash(g), Qt::FlatCap));
        painter.drawLine(QPointF(x, y + row / 2 + 3 * unit),
                         QPointF(x + 60 * unit, y + row / 2 + 3 * unit));
        const Group& group = m_groups[g];
        const auto flagged = std::count_if(group.traces.cbegin(), group.traces.cend(),
                                           [](const Trace& trace) { return trace.bFlagged; });
        QString text = QStringLiteral("%1 (n = %2").arg(group.name).arg(group.traces.size());
        if (flagged > 0)
            text += QStringLiteral("; %1 flagged, not in the mean").arg(flagged);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x + 75 * unit, y, area.right() - x, row), Qt::AlignVCenter,
                         text + u')');
    }
    painter.setPen(QColor(60, 60, 60));
    painter.drawText(QRectF(x, y, area.right() - x - 20 * unit, kLegendNoteRows * row),
                     Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("Thin lines: single impacts, dotted where the quality check "
                                    "flagged them. Thick lines: group means of the unflagged "
                                    "impacts, over the time all of them cover."));
}

#include "render/CGraphPainter.h"

#include "core/record/CImpactRecord.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kAxisX = CGraphAxes::kAxisX;
constexpr int kPlotRight = CGraphAxes::kPlotRight;
constexpr int kDispTop = CGraphAxes::kDispTop;
constexpr int kDispAxisY = CGraphAxes::kDispAxisY;
constexpr int kForceTop = CGraphAxes::kForceTop;
constexpr int kForceAxisY = CGraphAxes::kForceAxisY;
constexpr int kGridStep = 15;
constexpr double kForcePlotHeight = 390.0;
// Traces are clipped a pen's width beyond their plot: only a record whose
// statistics disagree with its samples can reach that far.
constexpr int kTraceClipMargin = 3;

constexpr int kTableTop = 50;
constexpr int kTableBottom = 900;
constexpr int kTableRuleY = 73;
constexpr int kFirstRowTop = 75;
constexpr int kDownPositionX = 626;
constexpr int kDownForceX = 702;
constexpr int kDownTimeX = 765;
constexpr int kUpPositionX = 840;
constexpr int kUpForceX = 916;
constexpr int kUpTimeX = 979;

const QColor kBlack(0, 0, 0);
const QColor kUpperGrey(90, 90, 90);
const QColor kLowerGrey(110, 110, 110);

int Trunc(double value)
{
    return CGraphAxes::Trunc(value);
}

QRect TraceClip(int top, int bottom)
{
    return QRect(QPoint(kAxisX, top), QPoint(kPlotRight, bottom))
        .adjusted(-kTraceClipMargin, -kTraceClipMargin, kTraceClipMargin, kTraceClipMargin);
}

// Labels too close to read apart are thinned to every second, fifth, ...
// one; the time axis has 30 divisions, so each of these keeps its last label.
constexpr int kLabelStrides[] = {1, 2, 5, 10, 15, 30};

qint64 RowTop(qsizetype row)
{
    return kFirstRowTop + qint64(CGraphPainter::kRowHeight) * row;
}

QString Decimal(qint64 value)
{
    return QString::number(value);
}

QString Milliseconds(float timeMs)
{
    return QString::asprintf("%.2f", double(timeMs));
}

}  // namespace

CGraphPainter::CGraphPainter(const CImpactRecord& record, int& forceScaleStep)
    : m_rRecord(record), m_rForceScaleStep(forceScaleStep), m_dScreenDpiY(PrimaryScreenDpiY())
{
}

void CGraphPainter::SetTitles(const QString& dispTitle, const QString& forceTitle)
{
    m_strDispTitle = dispTitle;
    m_strForceTitle = forceTitle;
}

int CGraphPainter::FontUnit(int clientHeightPx)
{
    const int divisor = clientHeightPx ^ 2;
    if (divisor == 0)
        return 45;
    return int(80.0 * clientHeightPx / (divisor * 1.746));
}

qint64 CGraphPainter::PictureHeight(const CImpactRecord& record, bool dataPresent)
{
    if (!dataPresent)
        return kLogicalHeight;
    return std::max<qint64>(kLogicalHeight, RowTop(CGraphAxes::TableRows(record)));
}

QRect CGraphPainter::PageViewport(const QSize& printableArea)
{
    const qint64 width = printableArea.width();
    const qint64 height = printableArea.height();
    if (width * kLogicalHeight <= height * kLogicalWidth)
        return QRect(0, 0, int(width), qRound(double(width) * kLogicalHeight / kLogicalWidth));
    return QRect(0, 0, qRound(double(height) * kLogicalWidth / kLogicalHeight), int(height));
}

qreal CGraphPainter::PrimaryScreenDpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

void CGraphPainter::SubstituteArial()
{
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

void CGraphPainter::PaintScreen(QPainter& painter, const QRect& clientArea)
{
    Paint(painter, clientArea, clientArea.height());
}

void CGraphPainter::PaintPage(QPainter& painter, const QSize& printableArea, int screenClientHeight)
{
    Paint(painter, PageViewport(printableArea), screenClientHeight);
}

void CGraphPainter::Paint(QPainter& painter, const QRect& viewport, int clientHeightPx)
{
    painter.save();
    BeginPaint(painter, viewport, clientHeightPx);
    DrawTableFrame();
    DrawDisplacementGrid();
    if (m_bDataPresent)
        DrawDisplacementPass();
    DrawDisplacementLabels();
    DrawForceGrid();
    if (m_bDataPresent)
        DrawForcePass();
    DrawForceLabels();
    if (m_bDataPresent)
        DrawTableRows();
    FlushTrace();
    painter.restore();
    m_pPainter = nullptr;
}

void CGraphPainter::PaintTableRows(QPainter& painter, const QRect& viewport, int clientHeightPx)
{
    painter.save();
    BeginPaint(painter, viewport, clientHeightPx);
    DrawTableFrame();
    if (m_bDataPresent)
        DrawTableRows();
    FlushTrace();
    painter.restore();
    m_pPainter = nullptr;
}

void CGraphPainter::SetTableRows(qsizetype first, qsizetype end)
{
    m_nFirstRow = first;
    m_nRowEnd = end;
}

qint64 CGraphPainter::TableRowTop(qsizetype row) const
{
    return RowTop(row - m_nFirstRow);
}

// The values of the rows in range: position and time of every timed sample,
// force where the stroke has one; the up stroke's time goes on from the down
// stroke's.
void CGraphPainter::DrawTableRows()
{
    const CImpactRecord& record = m_rRecord;
    UseFont(FontRole::Table, kUpperGrey);
    float timeMs = 0;
    DrawStrokeRows(record.m_arrDispDown, record.m_arrForceDown, record.m_arrStepTimeDown,
                   kDownPositionX, timeMs);
    if (CGraphAxes::UpStrokeDrawn(record))
        DrawStrokeRows(record.m_arrDispUp, record.m_arrForceUp, record.m_arrStepTimeUp,
                       kUpPositionX, timeMs);
}

void CGraphPainter::DrawStrokeRows(const QList<quint32>& positions, const QList<quint32>& forces,
                                   const QList<quint32>& steps, int positionX, float& timeMs)
{
    const qsizetype count = CGraphAxes::TimedCount(m_rRecord, positions.size(), steps);
    const int forceX = positionX + (kDownForceX - kDownPositionX);
    const int timeX = positionX + (kDownTimeX - kDownPositionX);
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 top = TableRowTop(i);
        if (i >= m_nFirstRow && i < m_nRowEnd && RowMayShow(top)) {
            DrawText(positionX, top, Decimal(qint32(positions[i] - m_rRecord.m_nDispMin)));
            if (i < forces.size())
                DrawText(forceX, top, Decimal(forces[i] / 10));
            DrawText(timeX, top, Milliseconds(timeMs));
        }
        timeMs += CGraphAxes::StepMs(m_rRecord, steps, i);
    }
}

void CGraphPainter::BeginPaint(QPainter& painter, const QRect& viewport, int clientHeightPx)
{
    m_pPainter = &painter;
    m_bDataPresent = m_rRecord.m_bDataPresent;
    m_axes = CGraphAxes::ForRecord(m_rRecord, m_bDataPresent, m_rForceScaleStep);
    m_rForceScaleStep = m_axes.ForceScaleStep();
    painter.setWindow(0, 0, kLogicalWidth, kLogicalHeight);
    painter.setViewport(viewport);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const double scaleX = double(viewport.width()) / kLogicalWidth;
    const double scaleY = double(viewport.height()) / kLogicalHeight;
    m_toDevice = QTransform(scaleX, 0, 0, scaleY, viewport.x(), viewport.y());
    const QPaintDevice* device = painter.device();
    m_deviceRect = QRect(0, 0, device->width(), device->height());

    // Heights are logical units sized as if one unit were one screen pixel.
    // Text stays upright at its natural width: only its height follows the
    // vertical scale, so the anisotropic mapping never stretches glyphs.
    const int unit = FontUnit(clientHeightPx);
    const int tenthsOfPoint[3] = {3 * unit, 2 * unit, 4 * unit};
    m_metrics.clear();
    for (int role = 0; role < 3; ++role) {
        m_nFontHeights[role] = int(m_dScreenDpiY * tenthsOfPoint[role] / 720.0);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(1, qRound(m_nFontHeights[role] * scaleY)));
        m_fonts[role] = font;
        m_metrics.append(QFontMetricsF(font, device));
        m_digitInk[role] = m_metrics.constLast().tightBoundingRect(QStringLiteral("0123456789"));
        m_dLabelGap[role] = std::max(1.0, 0.1 * font.pixelSize());
    }
    m_nPainterFont = -1;
    const double penScale = std::min(scaleX, scaleY);
    m_axisPen = SolidPen(QColor(0, 0, 0), 2, penScale);
    m_gridPen = SolidPen(QColor(192, 192, 192), 1, penScale);
    m_tickPen = SolidPen(QColor(0, 0, 0), 1, penScale);
    m_tracePen = SolidPen(QColor(0, 0, 192), 3, penScale);
    m_markerPen = SolidPen(QColor(255, 0, 0), 1, penScale);
    m_linePen = painter.pen();
    m_trace.clear();
}

void CGraphPainter::DrawTableFrame()
{
    UseFont(FontRole::Table, kBlack);
    const QString position = QStringLiteral("Position");
    const QString force = QStringLiteral("Force");
    const QString time = QStringLiteral("Time");
    DrawText(kDownPositionX, kTableTop, position);
    DrawText(kDownForceX, kTableTop, force);
    DrawText(kDownTimeX, kTableTop, time);
    DrawText(kUpPositionX, kTableTop, position);
    DrawText(kUpForceX, kTableTop, force);
    DrawText(kUpTimeX, kTableTop, time);

    // A table that runs on below the drawing keeps its lines to its last row.
    const qsizetype rows = std::min(CGraphAxes::TableRows(m_rRecord), m_nRowEnd);
    const int bottom =
        m_bDataPresent ? std::max(kTableBottom, Trunc(double(TableRowTop(rows)))) : kTableBottom;
    SetPen(m_tickPen);
    DrawLine(795, kTableTop, 795, bottom);
    DrawLine(588, kTableRuleY, 1006, kTableRuleY);
    if (m_bDataPresent) {
        SetPen(m_gridPen);
        for (int x : {669, 733, 883, 947})
            DrawLine(x, kTableTop, x, bottom);
    }
}

void CGraphPainter::DrawDisplacementGrid()
{
    SetPen(m_axisPen);
    MoveTo(kAxisX, kDispTop);
    LineTo(kAxisX, kDispAxisY);
    LineTo(kPlotRight, kDispAxisY);
    for (int x = kAxisX + kGridStep; x <= kPlotRight; x += kGridStep) {
        SetPen(m_gridPen);
        DrawLine(x, kDispAxisY, x, kDispTop);
        SetPen(m_tickPen);
        DrawLine(x, kDispAxisY, x, kDispAxisY + 10);
    }
    for (int y = kDispTop; y <= 425; y += kGridStep) {
        SetPen(m_gridPen);
        DrawLine(kAxisX, y, kPlotRight, y);
        SetPen(m_tickPen);
        DrawLine(kAxisX, y, kAxisX - 10, y);
    }
}

void CGraphPainter::DrawDisplacementPass()
{
    const CImpactRecord& record = m_rRecord;
    // The topmost sample (the smallest position) lies here; the deepest one on the axis.
    const qint32 range = qint32(record.m_nDispMax - record.m_nDispMin);
    m_nDispTop = m_axes.DispTop(range);

    m_traceClip = TraceClip(kDispTop, kDispAxisY);
    SetPen(m_tracePen);
    MoveTo(kAxisX, m_nDispTop);
    float timeMs = 0;
    const qsizetype down =
        CGraphAxes::TimedCount(record, record.m_arrDispDown.size(), record.m_arrStepTimeDown);
    for (qsizetype i = 0; i < down; ++i) {
        const quint32 position = record.m_arrDispDown[i];
        LineTo(m_axes.TimeX(timeMs), DispY(position));
        timeMs += CGraphAxes::StepMs(record, record.m_arrStepTimeDown, i);
    }

    const qsizetype up =
        CGraphAxes::TimedCount(record, record.m_arrDispUp.size(), record.m_arrStepTimeUp);
    if (CGraphAxes::UpStrokeDrawn(record) && up > 0) {
        MoveTo(m_axes.TimeX(timeMs), DispY(record.m_arrDispUp[0]));
        for (qsizetype i = 0; i < up; ++i) {
            const quint32 position = record.m_arrDispUp[i];
            LineTo(m_axes.TimeX(timeMs), DispY(position));
            timeMs += CGraphAxes::StepMs(record, record.m_arrStepTimeUp, i);
        }
    }
    FlushTrace();
    m_traceClip = QRect();

    const int contact = record.m_nContactIndex;
    if (ContactMarkerShown() && contact <= record.m_arrDispDown.size()) {
        const int y = DispY(record.m_arrDispDown[contact - 1]);
        SetPen(m_markerPen);
        DrawLine(kAxisX, y, kPlotRight, y);
    }
}

void CGraphPainter::DrawDisplacementLabels()
{
    UseFont(FontRole::Label, kUpperGrey);
    DrawTimeLabels(450);
    QList<Label> positions;
    for (int i = 0; i <= CGraphAxes::kDispDivisions; ++i)
        positions.append({QPoint(45, 434 - kGridStep * i), Decimal(m_axes.DispLabel(i))});
    DrawLabels(positions);
    DrawText(32, 29, QStringLiteral("Disp. (microns)"), false);
    DrawText(536, 450, QStringLiteral("Time (ms)"), false);
    UseFont(FontRole::Title, kBlack);
    DrawText(280, 10, m_strDispTitle);
}

void CGraphPainter::DrawForceGrid()
{
    SetPen(m_axisPen);
    MoveTo(kAxisX, kForceTop);
    LineTo(kAxisX, kForceAxisY);
    LineTo(kPlotRight, kForceAxisY);

    const qint64 step = m_rForceScaleStep;
    const qint64 fullScale = 100 * step + 260;
    m_dForceScale = kForcePlotHeight / double(fullScale);
    for (int x = kAxisX + kGridStep; x <= kPlotRight; x += kGridStep) {
        SetPen(m_gridPen);
        DrawLine(x, kForceAxisY, x, kForceTop);
        SetPen(m_tickPen);
        DrawLine(x, kForceAxisY, x, kForceAxisY + 10);
    }
    const qint64 divisions = fullScale / (5 * step + 10);
    for (qint64 j = 0; j < divisions; ++j) {
        const int y = Trunc(kForcePlotHeight / double(divisions) * double(j) + kForceTop);
        SetPen(m_gridPen);
        DrawLine(kAxisX, y, kPlotRight, y);
        SetPen(m_tickPen);
        DrawLine(kAxisX, y, kAxisX - 10, y);
    }
}

void CGraphPainter::DrawForcePass()
{
    const CImpactRecord& record = m_rRecord;
    m_traceClip = TraceClip(kForceTop, kForceAxisY);
    SetPen(m_tracePen);
    if (!record.m_arrForceDown.isEmpty())
        MoveTo(kAxisX, ForceY(record.m_arrForceDown[0]));
    float timeMs = 0;
    bool contactReached = false;
    m_nContactX = 0;
    const qsizetype down = std::min(
        CGraphAxes::TimedCount(record, record.m_arrDispDown.size(), record.m_arrStepTimeDown),
        record.m_arrForceDown.size());
    for (qsizetype i = 0; i < down; ++i) {
        const quint32 force = record.m_arrForceDown[i];
        const int x = m_axes.TimeX(timeMs);
        LineTo(x, ForceY(force));
        timeMs += CGraphAxes::StepMs(record, record.m_arrStepTimeDown, i);
        if (force >= CImpactRecord::kContactForce)
            contactReached = true;
        else if (!contactReached)
            m_nContactX = x;
    }

    const qsizetype up =
        std::min(CGraphAxes::TimedCount(record, record.m_arrDispUp.size(), record.m_arrStepTimeUp),
                 record.m_arrForceUp.size());
    if (CGraphAxes::UpStrokeDrawn(record) && up > 0) {
        MoveTo(m_axes.TimeX(timeMs), ForceY(record.m_arrForceUp[0]));
        for (qsizetype i = 0; i < up; ++i) {
            const quint32 force = record.m_arrForceUp[i];
            LineTo(m_axes.TimeX(timeMs), ForceY(force));
            timeMs += CGraphAxes::StepMs(record, record.m_arrStepTimeUp, i);
        }
    }
    FlushTrace();
    m_traceClip = QRect();

    // At the contact time in both plots; the titles and labels between them stay clear.
    if (ContactMarkerShown()) {
        SetPen(m_markerPen);
        DrawLine(m_nContactX, kForceAxisY, m_nContactX, kForceTop);
        DrawLine(m_nContactX, kDispAxisY, m_nContactX, kDispTop);
    }
}

void CGraphPainter::DrawForceLabels()
{
    UseFont(FontRole::Label, kLowerGrey);
    DrawTimeLabels(920);
    const qint64 step = m_rForceScaleStep;
    const qint64 divisions = (100 * step + 260) / (5 * step + 10);
    QList<Label> forces;
    for (qint64 i = 0; i <= divisions; ++i) {
        const int top = Trunc(903 - kForcePlotHeight / double(divisions) * double(i));
        forces.append({QPoint(45, top), Decimal(5 * (step + 2) * i)});
    }
    DrawLabels(forces);
    DrawText(32, 499, QStringLiteral("Force (K dynes)"), false);
    DrawText(536, 920, QStringLiteral("Time (ms)"), false);
    UseFont(FontRole::Title, kBlack);
    DrawText(280, 480, m_strForceTitle);
}

void CGraphPainter::DrawTimeLabels(int top)
{
    QList<Label> times;
    for (int i = 0; i <= CGraphAxes::kTimeDivisions; ++i)
        times.append({QPoint(71 + kGridStep * i, top), Decimal(m_axes.TimeLabel(i))});
    DrawLabels(times);
}

// Centred tick labels along one axis in the current font; where neighbours
// would run into each other only every second, fifth, ... one is drawn.
void CGraphPainter::DrawLabels(const QList<Label>& labels)
{
    QList<QRectF> boxes;
    for (const Label& label : labels)
        boxes.append(DeviceBox(label.pos, label.text, true));
    const qsizetype stride = LabelStride(boxes, m_dLabelGap[int(m_currentFont)]);
    for (qsizetype i = 0; i < labels.size(); i += stride)
        DrawText(labels[i].pos.x(), labels[i].pos.y(), labels[i].text);
}

qsizetype CGraphPainter::LabelStride(const QList<QRectF>& boxes, double gap)
{
    const double half = gap / 2;
    for (const int stride : kLabelStrides) {
        bool apart = true;
        for (qsizetype i = 0; apart && i + stride < boxes.size(); i += stride) {
            apart = !boxes[i]
                         .adjusted(-half, -half, half, half)
                         .intersects(boxes[i + stride].adjusted(-half, -half, half, half));
        }
        if (apart)
            return stride;
    }
    return std::max<qsizetype>(1, boxes.size());
}

// The text's advance width by the height of digits, in device pixels: the
// room a label takes, side bearings included.
QRectF CGraphPainter::DeviceBox(QPoint pos, const QString& text, bool centred) const
{
    const int role = int(m_currentFont);
    const QFontMetricsF& metrics = m_metrics[role];
    const QPointF anchor = m_toDevice.map(QPointF(pos));
    const qreal width = metrics.horizontalAdvance(text);
    const qreal left = centred ? anchor.x() - width / 2 : anchor.x();
    const QRectF& ink = m_digitInk[role];
    return QRectF(left, anchor.y() + metrics.ascent() + ink.top(), width, ink.height());
}

int CGraphPainter::DispY(quint32 position) const
{
    return Trunc(double(quint32(position - m_rRecord.m_nDispMin)) * m_axes.UnitsPerCount() +
                 m_nDispTop);
}

int CGraphPainter::ForceY(quint32 force) const
{
    return Trunc(kForceAxisY - double(force / 10) * m_dForceScale);
}

// Only a stroke that started clear of the tissue has a contact to mark.
bool CGraphPainter::ContactMarkerShown() const
{
    const CImpactRecord& record = m_rRecord;
    return m_bDataPresent && record.m_nContactIndex > 0 && !record.m_arrForceDown.isEmpty() &&
           record.m_arrForceDown[0] < CImpactRecord::kContactForce;
}

// Widths are logical units, so pens grow with a printer's resolution; a
// line never becomes thinner or paler than one full device pixel.
QPen CGraphPainter::SolidPen(const QColor& colour, int width, double scale)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (width * scale <= 1.0) {
        pen.setWidth(1);
        pen.setCosmetic(true);
    }
    return pen;
}

void CGraphPainter::SetPen(const QPen& pen)
{
    FlushTrace();
    m_linePen = pen;
    m_pPainter->setPen(pen);
}

void CGraphPainter::MoveTo(int x, int y)
{
    FlushTrace();
    m_trace.clear();
    m_trace.append(QPoint(x, y));
}

// Consecutive segments are collected into one polyline (round joins look as
// round-capped single segments do) and drawn before anything drawn later.
void CGraphPainter::LineTo(int x, int y)
{
    const QPoint point(x, y);
    if (m_trace.isEmpty() || m_trace.constLast() != point)
        m_trace.append(point);
}

void CGraphPainter::FlushTrace()
{
    if (m_trace.size() < 2)
        return;
    if (m_traceClip.isNull()) {
        m_pPainter->drawPolyline(m_trace);
    } else {
        m_pPainter->setClipRect(m_traceClip);
        m_pPainter->drawPolyline(m_trace);
        m_pPainter->setClipping(false);
    }
    const QPoint last = m_trace.constLast();
    m_trace.clear();
    m_trace.append(last);
}

void CGraphPainter::DrawLine(int x1, int y1, int x2, int y2)
{
    FlushTrace();
    m_trace.clear();
    m_pPainter->drawLine(x1, y1, x2, y2);
}

void CGraphPainter::UseFont(FontRole role, const QColor& colour)
{
    m_currentFont = role;
    m_textColour = colour;
}

// A cheap test before a table row's texts are even formatted: long tables
// run far below the device, and those rows cost nothing.
bool CGraphPainter::RowMayShow(qint64 top) const
{
    const double deviceTop = m_toDevice.m22() * double(top) + m_toDevice.dy();
    return deviceTop < m_deviceRect.bottom() + 1 &&
           deviceTop + m_metrics[int(FontRole::Table)].height() > m_deviceRect.top();
}

void CGraphPainter::DrawText(qint64 x, qint64 y, const QString& text, bool centred)
{
    const int role = int(m_currentFont);
    const QFontMetricsF& metrics = m_metrics[role];
    const QPointF anchor = m_toDevice.map(QPointF(double(x), double(y)));
    if (anchor.y() >= m_deviceRect.bottom() + 1 ||
        anchor.y() + metrics.height() <= m_deviceRect.top())
        return;
    const qreal width = metrics.horizontalAdvance(text);
    const qreal left = centred ? anchor.x() - width / 2 : anchor.x();
    if (left >= m_deviceRect.right() + 1 || left + width <= m_deviceRect.left())
        return;

    FlushTrace();
    if (m_pTextLog) {
        const QPoint pos{int(x), int(y)};  // on the device, so well within range
        m_pTextLog->append({pos, text, centred, m_textColour, m_currentFont, m_nFontHeights[role],
                            DeviceBox(pos, text, centred)});
    }
    if (m_nPainterFont != role) {
        m_pPainter->setFont(m_fonts[role]);
        m_nPainterFont = role;
    }
    m_pPainter->setPen(m_textColour);
    m_pPainter->setViewTransformEnabled(false);
    m_pPainter->drawText(QPointF(left, anchor.y() + metrics.ascent()), text);
    m_pPainter->setViewTransformEnabled(true);
    m_pPainter->setPen(m_linePen);
}

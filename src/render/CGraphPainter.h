#pragma once

#include "render/CGraphAxes.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <limits>

class CImpactRecord;
class QPainter;

// The whole picture of the graph pane: the displacement graph above the force
// graph, the sample table to their right and the contact marker, drawn from
// the record onto any painter (screen, printer, preview, image). Everything
// is laid out in a 1016 x 946 logical space; the caller says how that space
// maps onto the device. Nothing is kept from one paint to the next except the
// force scale step, which belongs to the view and is only referenced here.
class CGraphPainter
{
public:
    static constexpr int kLogicalWidth = 1016;
    static constexpr int kLogicalHeight = 946;
    static constexpr int kRowHeight = 20;  // of the sample table
    static inline const QString kDefaultDispTitle = QStringLiteral("Displacement vs. Time");
    static inline const QString kDefaultForceTitle = QStringLiteral("Force vs. Time");

    enum class FontRole { Table, Label, Title };

    // One text as drawn, in logical coordinates: the seam through which tests
    // read labels and table values instead of glyph pixels.
    struct DrawnText {
        QPoint pos;  // centre (or left edge) of the text's top
        QString text;
        bool bCentred;
        QColor colour;
        FontRole font;
        int heightLogical;
        // Its advance width by the height of digits, in device pixels.
        QRectF deviceBox;
    };

    CGraphPainter(const CImpactRecord& record, int& forceScaleStep);

    void SetTitles(const QString& dispTitle, const QString& forceTitle);
    // Vertical dots per inch of the screen; fonts are sized from it on every device.
    void SetScreenDpiY(qreal dpi) { m_dScreenDpiY = dpi; }
    // Optional: every text drawn is appended here.
    void SetTextLog(QList<DrawnText>* log) { m_pTextLog = log; }

    // The screen: the logical space stretched over the client area
    // independently in x and y. clientArea's origin carries the scroll offset.
    void PaintScreen(QPainter& painter, const QRect& clientArea);
    // A printed or previewed page: both axes at the same scale, from the
    // top-left corner of the printable area, filling its width or its height.
    // The font unit still follows the screen pane's client height.
    void PaintPage(QPainter& painter, const QSize& printableArea, int screenClientHeight);

    // The picture into any viewport, text sized for a pane clientHeightPx high.
    void Paint(QPainter& painter, const QRect& viewport, int clientHeightPx);
    // Only rows [first, end) of the sample table, the first of them in the
    // table's first row; every row by default.
    void SetTableRows(qsizetype first, qsizetype end);
    // The table's header and its rows in range, without the graphs: the
    // continuation pages of a printed run.
    void PaintTableRows(QPainter& painter, const QRect& viewport, int clientHeightPx);

    // The font unit for a client area H pixels high (tenths of a point).
    static int FontUnit(int clientHeightPx);
    // The logical height of the whole picture: the drawing space, or more
    // when the sample table runs on below it.
    static qint64 PictureHeight(const CImpactRecord& record, bool dataPresent);
    // The isotropic viewport of the page mapping.
    static QRect PageViewport(const QSize& printableArea);
    // The logical vertical dots per inch of the primary screen (96 without one).
    static qreal PrimaryScreenDpiY();
    // Debian has no Arial: map it to the metric-compatible face so text keeps
    // its widths. Call once at start-up of everything that draws.
    static void SubstituteArial();

private:
    struct Label {
        QPoint pos;
        QString text;
    };

    void BeginPaint(QPainter& painter, const QRect& viewport, int clientHeightPx);
    void DrawTableFrame();
    void DrawDisplacementGrid();
    void DrawDisplacementPass();
    void DrawDisplacementLabels();
    void DrawForceGrid();
    void DrawForcePass();
    void DrawForceLabels();
    void DrawTimeLabels(int top);
    void DrawTableRows();
    void DrawStrokeRows(const QList<quint32>& positions, const QList<quint32>& forces,
                        const QList<quint32>& steps, int positionX, float& timeMs);
    qint64 TableRowTop(qsizetype row) const;
    void DrawLabels(const QList<Label>& labels);
    static qsizetype LabelStride(const QList<QRectF>& boxes, double gap);
    QRectF DeviceBox(QPoint pos, const QString& text, bool centred) const;

    int DispY(quint32 position) const;
    int ForceY(quint32 force) const;
    bool ContactMarkerShown() const;

    static QPen SolidPen(const QColor& colour, int width, double scale);
    void SetPen(const QPen& pen);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FlushTrace();
    void DrawLine(int x1, int y1, int x2, int y2);
    void UseFont(FontRole role, const QColor& colour);
    bool RowMayShow(qint64 top) const;
    void DrawText(qint64 x, qint64 y, const QString& text, bool centred = true);

    const CImpactRecord& m_rRecord;
    int& m_rForceScaleStep;
    QString m_strDispTitle;
    QString m_strForceTitle;
    qreal m_dScreenDpiY;
    QList<DrawnText>* m_pTextLog = nullptr;
    qsizetype m_nFirstRow = 0;
    qsizetype m_nRowEnd = std::numeric_limits<qsizetype>::max();

    // State of one paint.
    QPainter* m_pPainter = nullptr;
    bool m_bDataPresent = false;
    QTransform m_toDevice;
    QRect m_deviceRect;
    int m_nFontHeights[3] = {};
    QFont m_fonts[3];
    QList<QFontMetricsF> m_metrics;
    QRectF m_digitInk[3];
    double m_dLabelGap[3] = {};
    FontRole m_currentFont = FontRole::Table;
    int m_nPainterFont = -1;
    QColor m_textColour;
    QPen m_axisPen;
    QPen m_gridPen;
    QPen m_tickPen;
    QPen m_tracePen;
    QPen m_markerPen;
    QPen m_linePen;
    CGraphAxes m_axes;
    QRect m_traceClip;  // while a trace is drawn: how far it may reach
    int m_nDispTop = 0;
    double m_dForceScale = 0;
    int m_nContactX = 0;
    QPolygon m_trace;
};

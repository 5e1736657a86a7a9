#pragma once

#include "core/quality/CQualityThresholds.h"
#include "render/CGraphPainter.h"

#include <QSize>
#include <QString>
#include <QStringList>

class CImpactRecord;
class QPainter;
class QRect;

// A run on paper: page 1 holds a header block (subject, date and time,
// desired and actual values, quality verdict, file name) above the classic
// picture, whose sample table runs on to the foot of the page; further pages
// hold the rest of the table under a one-line header, until every sample is
// printed. On a device without pages (an image) only page 1 is drawn.
class CRunPrintout
{
public:
    // Logical units, at the scale of the classic picture.
    static constexpr int kHeaderHeight = 100;
    static constexpr int kContinuationHeader = 40;

    CRunPrintout(const CImpactRecord& record, int& forceScaleStep,
                 const CQualityThresholds& thresholds, const QString& fileName);

    void SetTitles(const QString& dispTitle, const QString& forceTitle);
    // Text follows a screen pane this many pixels high, at this resolution.
    void SetScreen(int clientHeightPx, qreal dpiY);

    // Optional: every text of the picture and the table is appended here.
    void SetTextLog(QList<CGraphPainter::DrawnText>* log) { m_pTextLog = log; }

    int PageCount(const QSize& printableArea) const;
    // Every page, each after the device's newPage() when it has pages.
    // False when the device refused a new page.
    bool Paint(QPainter& painter, const QSize& printableArea) const;
    void PaintPage(QPainter& painter, const QSize& printableArea, int page) const;

    QStringList HeaderLines() const;

private:
    double Scale(const QSize& printableArea) const;
    qsizetype RowsOnFirstPage(const QSize& printableArea) const;
    qsizetype RowsPerPage(const QSize& printableArea) const;
    QRect PictureViewport(const QSize& printableArea, int top) const;
    void DrawLines(QPainter& painter, const QStringList& lines, double scale) const;

    const CImpactRecord& m_rRecord;
    int& m_rForceScaleStep;
    CQualityThresholds m_thresholds;
    QString m_strFileName;
    QString m_strDispTitle;
    QString m_strForceTitle;
    int m_nClientHeight;
    qreal m_dScreenDpiY;
    QList<CGraphPainter::DrawnText>* m_pTextLog = nullptr;
};

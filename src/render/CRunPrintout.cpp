#include "render/CRunPrintout.h"

#include "core/quality/CQualityCheck.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CRunStamp.h"
#include "render/CGraphAxes.h"
#include "render/CGraphPainter.h"

#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kLineHeight = 18;
constexpr int kTextHeight = 13;
constexpr int kFirstRowTop = 75;  // below the table's header, as on the screen
constexpr int kBlocksPerPage = 2;
constexpr int kLeftBlockShift = 570;  // the table from x 588 to x 18

QString OrNone(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("none") : text;
}

}  // namespace

CRunPrintout::CRunPrintout(const CImpactRecord& record, int& forceScaleStep,
                           const CQualityThresholds& thresholds, const QString& fileName)
    : m_rRecord(record), m_rForceScaleStep(forceScaleStep), m_thresholds(thresholds),
      m_strFileName(fileName), m_strDispTitle(CGraphPainter::kDefaultDispTitle),
      m_strForceTitle(CGraphPainter::kDefaultForceTitle), m_nClientHeight(600),
      m_dScreenDpiY(CGraphPainter::PrimaryScreenDpiY())
{
}

void CRunPrintout::SetTitles(const QString& dispTitle, const QString& forceTitle)
{
    m_strDispTitle = dispTitle;
    m_strForceTitle = forceTitle;
}

void CRunPrintout::SetScreen(int clientHeightPx, qreal dpiY)
{
    m_nClientHeight = clientHeightPx;
    m_dScreenDpiY = dpiY;
}

QStringList CRunPrintout::HeaderLines() const
{
    const CImpactRecord& record = m_rRecord;
    const QDateTime stamp = CRunStamp::TimeOf(record.m_strComments);
    const std::optional<CQualityVerdict> verdict = CQualityCheck::Judge(record, m_thresholds);
    return {
        QStringLiteral("Subject: %1    Date and time: %2")
            .arg(OrNone(CRunStamp::SubjectOf(record.m_strComments)),
                 stamp.isValid() ? stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                 : QStringLiteral("none")),
        QStringLiteral("Desired: force %1 K dynes, displacement %2 µm, velocity %3 mm/s, "
                       "dwell %4 s")
            .arg(record.m_nDesiredForce)
            .arg(record.m_nDesiredDisp)
            .arg(record.m_nDesiredVelocity)
            .arg(record.m_nDesiredDwell),
        QStringLiteral("Actual: force %1 K dynes, displacement %2 µm, velocity %3 mm/s, "
                       "dwell %4 s")
            .arg(record.m_nActualForce)
            .arg(record.m_nActualDisp)
            .arg(record.m_nActualVelocity)
            .arg(record.m_nActualDwell),
        verdict ? verdict->Text() : QStringLiteral("QC: no impact to judge"),
        QStringLiteral("File: %1")
            .arg(m_strFileName.isEmpty() ? QStringLiteral("not saved")
                                         : QFileInfo(m_strFileName).fileName()),
    };
}

double CRunPrintout::Scale(const QSize& printableArea) const
{
    return std::min(double(printableArea.width()) / CGraphPainter::kLogicalWidth,
                    double(printableArea.height()) /
                        (kHeaderHeight + CGraphPainter::kLogicalHeight));
}

qsizetype CRunPrintout::RowsOnFirstPage(const QSize& printableArea) const
{
    const double logicalHeight = printableArea.height() / Scale(printableArea);
    return std::max<qsizetype>(
        1, qsizetype((logicalHeight - kHeaderHeight - kFirstRowTop) / CGraphPainter::kRowHeight));
}

qsizetype CRunPrintout::RowsPerPage(const QSize& printableArea) const
{
    const double logicalHeight = printableArea.height() / Scale(printableArea);
    return kBlocksPerPage *
           std::max<qsizetype>(1, qsizetype((logicalHeight - kContinuationHeader - kFirstRowTop) /
                                            CGraphPainter::kRowHeight));
}

int CRunPrintout::PageCount(const QSize& printableArea) const
{
    const qsizetype rows = m_rRecord.m_bDataPresent ? CGraphAxes::TableRows(m_rRecord) : 0;
    const qsizetype rest = std::max<qsizetype>(0, rows - RowsOnFirstPage(printableArea));
    const qsizetype perPage = RowsPerPage(printableArea);
    return int(1 + (rest + perPage - 1) / perPage);
}

QRect CRunPrintout::PictureViewport(const QSize& printableArea, int top) const
{
    const double scale = Scale(printableArea);
    return QRect(0, qRound(top * scale), qRound(CGraphPainter::kLogicalWidth * scale),
                 qRound(CGraphPainter::kLogicalHeight * scale));
}

bool CRunPrintout::Paint(QPainter& painter, const QSize& printableArea) const
{
    auto* paged = dynamic_cast<QPagedPaintDevice*>(painter.device());
    const int pages = paged ? PageCount(printableArea) : 1;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !paged->newPage())
            return false;
        PaintPage(painter, printableArea, page);
    }
    return true;
}

void CRunPrintout::PaintPage(QPainter& painter, const QSize& printableArea, int page) const
{
    const double scale = Scale(printableArea);
    const qsizetype first = RowsOnFirstPage(printableArea);
    CGraphPainter graph(m_rRecord, m_rForceScaleStep);
    graph.SetTitles(m_strDispTitle, m_strForceTitle);
    graph.SetScreenDpiY(m_dScreenDpiY);
    graph.SetTextLog(m_pTextLog);
    if (page == 0) {
        DrawLines(painter, HeaderLines(), scale);
        graph.SetTableRows(0, first);
        graph.Paint(painter, PictureViewport(printableArea, kHeaderHeight), m_nClientHeight);
        return;
    }
    const qsizetype from = first + (page - 1) * RowsPerPage(printableArea);
    const qsizetype to =
        std::min(from + RowsPerPage(printableArea), CGraphAxes::TableRows(m_rRecord));
    DrawLines(painter,
              {QStringLiteral("%1 - samples %2 to %3 - page %4 of %5")
                   .arg(HeaderLines().constFirst())
                   .arg(from + 1)
                   .arg(to)
                   .arg(page + 1)
                   .arg(PageCount(printableArea))},
              scale);
    // The table where the picture has it, and a block before it where the
    // graphs would be: the left block's rows come first.
    const qsizetype perBlock = RowsPerPage(printableArea) / kBlocksPerPage;
    const QRect right = PictureViewport(printableArea, kContinuationHeader);
    for (int block = 0; block < kBlocksPerPage; ++block) {
        const qsizetype blockFrom = from + block * perBlock;
        if (blockFrom >= to)
            break;
        graph.SetTableRows(blockFrom, std::min(to, blockFrom + perBlock));
        const int shift = block == 0 ? qRound(kLeftBlockShift * scale) : 0;
        graph.PaintTableRows(painter, right.translated(-shift, 0), m_nClientHeight);
    }
}

void CRunPrintout::DrawLines(QPainter& painter, const QStringList& lines, double scale) const
{
    painter.save();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, qRound(kTextHeight * scale)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRectF(10 * scale, (4 + i * kLineHeight) * scale,
                                (CGraphPainter::kLogicalWidth - 20) * scale, kLineHeight * scale),
                         Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    painter.restore();
}

#include "gui/CZentakView.h"

#include "core/CZentakDoc.h"
#include "gui/CGraphExport.h"
#include "render/CGraphPainter.h"

#include <QAction>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>

#include <climits>

CZentakView::CZentakView(const CZentakDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_strDispTitle(CGraphPainter::kDefaultDispTitle),
      m_strForceTitle(CGraphPainter::kDefaultForceTitle), m_rDoc(doc)
{
    // The flag decides whether traces exist at all, so it is part of the picture.
    connect(&doc, &CZentakDoc::dataPresentChanged, this, &CZentakView::OnDocumentChanged);
    UpdateScrollBars();
}

CZentakView::~CZentakView() = default;

void CZentakView::OnDocumentChanged()
{
    UpdateScrollBars();
    viewport()->update();
}

void CZentakView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    CGraphPainter graph(m_rDoc.Record(), m_nForceScaleStep);
    ConfigurePainter(graph);
    graph.SetTextLog(m_pTextLog);
    const QRect clientArea(-horizontalScrollBar()->value(), -verticalScrollBar()->value(),
                           viewport()->width(), viewport()->height());
    graph.PaintScreen(painter, clientArea);
}

void CZentakView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CZentakView::scrollContentsBy(int, int)
{
    viewport()->update();
}

QSize CZentakView::viewportSizeHint() const
{
    return QSize(kScrollWidth, kScrollHeight);
}

// A total size of 100 x 100 with a page of a tenth and a line of a hundredth,
// unless the sample table runs on below the drawing: then the picture keeps
// its scale and the view scrolls down to the last row, a row a line.
void CZentakView::UpdateScrollBars()
{
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, kScrollWidth - client.width()));
    horizontalScrollBar()->setPageStep(kScrollWidth / 10);
    horizontalScrollBar()->setSingleStep(1);

    const qint64 pictureHeight =
        CGraphPainter::PictureHeight(m_rDoc.Record(), m_rDoc.DataPresent());
    const qint64 scaledHeight =
        (pictureHeight * client.height() + CGraphPainter::kLogicalHeight - 1) /
        CGraphPainter::kLogicalHeight;
    const qint64 totalHeight = std::max<qint64>(kScrollHeight, scaledHeight);
    verticalScrollBar()->setRange(
        0, int(std::min<qint64>(INT_MAX, std::max<qint64>(0, totalHeight - client.height()))));
    if (pictureHeight > CGraphPainter::kLogicalHeight) {
        verticalScrollBar()->setPageStep(std::max(1, client.height()));
        verticalScrollBar()->setSingleStep(std::max(1, CGraphPainter::kRowHeight * client.height() /
                                                           CGraphPainter::kLogicalHeight));
    } else {
        verticalScrollBar()->setPageStep(kScrollHeight / 10);
        verticalScrollBar()->setSingleStep(1);
    }
}

// Text is sized from the resolution of the screen the pane is on, on paper too.
void CZentakView::ConfigurePainter(CGraphPainter& painter)
{
    painter.SetTitles(m_strDispTitle, m_strForceTitle);
    painter.SetScreenDpiY(logicalDpiY());
}

bool CZentakView::PrintTo(QPrinter& printer)
{
    OnBeginPrinting();
    const bool printed = DrawPage(printer);
    OnEndPrinting();
    return printed;
}

bool CZentakView::DrawPage(QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PaintPage(painter, QSize(printer.width(), printer.height()));
    return painter.end();
}

void CZentakView::PaintPage(QPainter& painter, const QSize& printableArea)
{
    CGraphPainter graph(m_rDoc.Record(), m_nForceScaleStep);
    ConfigurePainter(graph);
    graph.PaintPage(painter, printableArea, viewport()->height());
}

bool CZentakView::ExportGraph(const QString& path, QString* error)
{
    return CGraphExport::Write(
        path, Printer().pageLayout(),
        [this](QPainter& painter, const QSize& area) { PaintPage(painter, area); },
        m_rDoc.RunLogPath(), error);
}

void CZentakView::OnBeginPrinting()
{
    m_bPrinting = true;
}

void CZentakView::OnEndPrinting()
{
    m_bPrinting = false;
}

QPrinter& CZentakView::Printer()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

void CZentakView::OnFilePrint()
{
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!PrintTo(printer))
        ReportPrintFailure();
}

void CZentakView::OnFilePrintDirect()
{
    if (!PrintTo(Printer()))
        ReportPrintFailure();
}

void CZentakView::OnFilePrintPreview()
{
    QPrintPreviewDialog preview(&Printer(), this);
    // The preview's Print button draws onto the real printer through the same signal.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { DrawPage(*target); });
    auto* pages = preview.findChild<QPrintPreviewWidget*>();
    QSettings settings;
    if (pages && settings.value(kPreviewPagesKey, 1).toInt() == 2)
        pages->setViewMode(QPrintPreviewWidget::FacingPagesView);
    SizePreview(preview);
    OnBeginPrinting();
    preview.exec();
    OnEndPrinting();
    // One page or two side by side, as the operator left it for next time.
    if (pages)
        settings.setValue(kPreviewPagesKey,
                          pages->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1);
}

// Large enough to read the page: most of the screen, the page as wide as
// the dialog lets it be.
void CZentakView::SizePreview(QPrintPreviewDialog& preview) const
{
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        const QSize size = area.size() * kPreviewScreenShare;
        preview.resize(size);
        preview.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    if (auto* fitWidth = preview.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto* pages = preview.findChild<QPrintPreviewWidget*>())
        pages->setZoomMode(QPrintPreviewWidget::FitToWidth);
}

void CZentakView::OnFilePrintSetup()
{
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CZentakView::ReportPrintFailure()
{
    QMessageBox::warning(this, QStringLiteral("Zentak"),
                         QStringLiteral("Failed to start print job."));
}

#include "gui/CZentakView.h"

#include "core/CZentakDoc.h"
#include "core/program/CUserSettings.h"
#include "core/protocol/COperatorPrompt.h"
#include "gui/CGraphExport.h"
#include "gui/CImpactGraph.h"
#include "gui/CSampleTableModel.h"
#include "render/CGraphPainter.h"
#include "render/CRunPrintout.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

CZentakView::CZentakView(const CZentakDoc& doc, COperatorPrompt& prompt, QWidget* parent)
    : QFrame(parent), m_strDispTitle(CGraphPainter::kDefaultDispTitle),
      m_strForceTitle(CGraphPainter::kDefaultForceTitle), m_rDoc(doc), m_rPrompt(prompt)
{
    // Sunken as the pane always was, so the room inside it is as it was.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setObjectName(QStringLiteral("graphSplitter"));
    m_pSplitter->setChildrenCollapsible(false);
    m_pGraph = new CImpactGraph(m_pSplitter);
    m_pGraph->setObjectName(QStringLiteral("impactGraph"));
    CreateTable();
    m_pSplitter->addWidget(m_pGraph);
    m_pSplitter->addWidget(m_pTable);
    m_pSplitter->setStretchFactor(0, 3);
    m_pSplitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pSplitter);
    // The flag decides whether traces exist at all, so it is part of the picture.
    connect(&doc, &CZentakDoc::dataPresentChanged, this, &CZentakView::OnDocumentChanged);
    OnDocumentChanged();
}

CZentakView::~CZentakView() = default;

// The graphs get most of the first width the pane is given; after that the
// operator's splitter position stands.
void CZentakView::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_bSplitSet)
        return;
    m_bSplitSet = true;
    const int width = m_pSplitter->width();
    m_pSplitter->setSizes({width * kGraphShare / 100, width - width * kGraphShare / 100});
}

void CZentakView::CreateTable()
{
    m_pTableModel = new CSampleTableModel(this);
    m_pTable = new QTableView(m_pSplitter);
    m_pTable->setObjectName(QStringLiteral("sampleTable"));
    m_pTable->setModel(m_pTableModel);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setAlternatingRowColors(true);
    m_pTable->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 4);
}

void CZentakView::SetQualityThresholds(const CQualityThresholds& thresholds)
{
    m_qualityThresholds = thresholds;
    OnDocumentChanged();
}

void CZentakView::OnDocumentChanged()
{
    m_pGraph->SetRecord(m_rDoc.Record(), m_qualityThresholds);
    m_pTableModel->SetSamples(m_pGraph->Samples());
}

void CZentakView::CopyToClipboard()
{
    const QModelIndexList rows = m_pTable->selectionModel()->selectedRows();
    if (m_pTable->hasFocus() && !rows.isEmpty()) {
        QList<int> numbers;
        for (const QModelIndex& row : rows)
            numbers.append(row.row());
        std::sort(numbers.begin(), numbers.end());
        QGuiApplication::clipboard()->setText(m_pTableModel->TabSeparated(numbers));
        return;
    }
    QGuiApplication::clipboard()->setImage(m_pGraph->grab().toImage());
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
    const bool paged = PaintPage(painter, QSize(printer.width(), printer.height()));
    return painter.end() && paged;
}

// Text is sized from the resolution of the screen the pane is on, on paper too.
bool CZentakView::PaintPage(QPainter& painter, const QSize& printableArea)
{
    CRunPrintout printout(m_rDoc.Record(), m_nForceScaleStep, m_qualityThresholds,
                          m_rDoc.PathName());
    printout.SetTitles(m_strDispTitle, m_strForceTitle);
    printout.SetScreen(m_pGraph->height(), logicalDpiY());
    return printout.Paint(painter, printableArea);
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
    dialog.setMinMax(1, PageCount(printer));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!PrintTo(printer))
        ReportPrintFailure();
}

int CZentakView::PageCount(QPrinter& printer)
{
    CRunPrintout printout(m_rDoc.Record(), m_nForceScaleStep, m_qualityThresholds,
                          m_rDoc.PathName());
    return printout.PageCount(QSize(printer.width(), printer.height()));
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
    QSettings settings(CUserSettings::kOrganization, CUserSettings::kApplication);
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
    m_rPrompt.ShowMessage(QStringLiteral("Failed to start print job."),
                          COperatorPrompt::Icon::Exclamation);
}

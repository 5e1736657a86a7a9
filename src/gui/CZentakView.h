#pragma once

#include "render/CGraphPainter.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QString>

#include <memory>

class CZentakDoc;
class QPainter;
class QPrintPreviewDialog;
class QPrinter;

// The right-hand pane: the graphs and the sample table of the record,
// stretched over the whole pane. It keeps no picture; every paint draws
// everything again from the record. Print and Print Preview draw the same
// picture on a page at one scale for both axes.
class CZentakView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Panes smaller than this get scroll bars.
    static constexpr int kScrollWidth = 100;
    static constexpr int kScrollHeight = 100;
    static inline const QString kPreviewPagesKey = QStringLiteral("Settings/PreviewPages");
    static constexpr double kPreviewScreenShare = 0.9;  // of each side of the screen

    explicit CZentakView(const CZentakDoc& doc, QWidget* parent = nullptr);
    ~CZentakView() override;

    // Draws the one page onto the printer with the page mapping; the print
    // commands and tests (a PDF printer) share it. False when the printer
    // cannot be started.
    bool PrintTo(QPrinter& printer);
    // The printed page as a PNG, PDF or SVG file (by the name's suffix), on
    // the paper chosen for printing. False, with the reason, when not written.
    bool ExportGraph(const QString& path, QString* error);
    // Tests read what the screen paints draw here.
    void SetTextLog(QList<CGraphPainter::DrawnText>* log) { m_pTextLog = log; }

    bool m_bPrinting = false;
    QString m_strDispTitle;
    QString m_strForceTitle;
    int m_nForceScaleStep = 0;  // kept between paints: an emptied record keeps the last scale

public Q_SLOTS:
    // Whoever changes the record calls this; the pane repaints from it.
    void OnDocumentChanged();
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // Paper and orientation, kept for the prints and previews that follow.
    void OnFilePrintSetup();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    QSize viewportSizeHint() const override;

private:
    void OnBeginPrinting();
    void OnEndPrinting();
    bool DrawPage(QPrinter& printer);
    void PaintPage(QPainter& painter, const QSize& printableArea);
    void ConfigurePainter(CGraphPainter& painter);
    void UpdateScrollBars();
    void ReportPrintFailure();
    void SizePreview(QPrintPreviewDialog& preview) const;
    QPrinter& Printer();

    const CZentakDoc& m_rDoc;
    std::unique_ptr<QPrinter> m_pPrinter;
    QList<CGraphPainter::DrawnText>* m_pTextLog = nullptr;
};

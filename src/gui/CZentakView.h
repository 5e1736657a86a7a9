#pragma once

#include "core/quality/CQualityThresholds.h"

#include <QFrame>
#include <QString>

#include <memory>

class CImpactGraph;
class COperatorPrompt;
class CSampleTableModel;
class CZentakDoc;
class QPainter;
class QPrintPreviewDialog;
class QPrinter;
class QSplitter;
class QTableView;

// The right-hand pane: the graphs of the record, which fill the room they
// are given, and beside them the sample table, which scrolls on its own.
// Print, Print Preview and Export Graph draw the classic picture on pages
// at one scale for both axes, under a header, until every sample is printed.
class CZentakView : public QFrame
{
    Q_OBJECT

public:
    static inline const QString kPreviewPagesKey = QStringLiteral("Settings/PreviewPages");
    static constexpr double kPreviewScreenShare = 0.9;  // of each side of the screen
    static constexpr int kGraphShare = 62;              // percent of the pane's width at first

    CZentakView(const CZentakDoc& doc, COperatorPrompt& prompt, QWidget* parent = nullptr);
    ~CZentakView() override;

    CImpactGraph& Graph() { return *m_pGraph; }
    QTableView& Table() { return *m_pTable; }
    const CSampleTableModel& TableModel() const { return *m_pTableModel; }
    void SetQualityThresholds(const CQualityThresholds& thresholds);
    // Edit > Copy: the selected table rows as tab-separated text under a
    // header row when the table has the focus and a selection, otherwise
    // the graphs as a picture.
    void CopyToClipboard();

    // Draws the pages onto the printer with the page mapping; the print
    // commands and tests (a PDF printer) share it. False when the printer
    // cannot be started.
    bool PrintTo(QPrinter& printer);
    // The printed page as a PNG, PDF or SVG file (by the name's suffix), on
    // the paper chosen for printing. False, with the reason, when not written.
    bool ExportGraph(const QString& path, QString* error);

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
    void showEvent(QShowEvent* event) override;

private:
    void OnBeginPrinting();
    void OnEndPrinting();
    bool DrawPage(QPrinter& printer);
    bool PaintPage(QPainter& painter, const QSize& printableArea);
    int PageCount(QPrinter& printer);
    void CreateTable();
    void ReportPrintFailure();
    void SizePreview(QPrintPreviewDialog& preview) const;
    QPrinter& Printer();

    const CZentakDoc& m_rDoc;
    COperatorPrompt& m_rPrompt;
    CQualityThresholds m_qualityThresholds;
    std::unique_ptr<QPrinter> m_pPrinter;
    QSplitter* m_pSplitter = nullptr;
    CImpactGraph* m_pGraph = nullptr;
    QTableView* m_pTable = nullptr;
    CSampleTableModel* m_pTableModel = nullptr;
    bool m_bSplitSet = false;
};

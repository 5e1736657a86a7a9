#include "CPaintCounter.h"
#include "CScriptedPrompt.h"
#include "ImpactRecord.h"
#include "PixelCount.h"
#include "TestSettings.h"
#include "core/CZentakDoc.h"
#include "core/record/CRunStamp.h"
#include "gui/CImpactGraph.h"
#include "gui/CSampleTableModel.h"
#include "gui/CZentakView.h"
#include "render/CGraphPainter.h"
#include "render/CRunPrintout.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>

namespace {

const QColor kTrace(0, 0, 192);

// Runs check on the modal dialog once it is up, then closes it, so that a
// test can go through a command that blocks in exec().
void WhenModal(const std::function<void(QWidget*)>& check)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        check(dialog);
        dialog->close();
    });
    timer->start();
}

bool Dark(const QImage& image, QPoint centre)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (qGray(image.pixel(centre + QPoint(dx, dy))) < 128)
                return true;
        }
    }
    return false;
}

bool AnyDark(const QImage& image, const QRect& area)
{
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

}  // namespace

class TestZentakView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void startsWithTitlesAndScreenState();
    void tableScrollsWhileTheGraphsStay();
    void sampleTableIsASoundModel();
    void readoutGivesTheNearestSample_data();
    void readoutGivesTheNearestSample();
    void marksStandOnTheirSamples_data();
    void marksStandOnTheirSamples();
    void peakTextStaysWhole_data();
    void peakTextStaysWhole();
    void zoomPanAndResetRestoreTheAxes_data();
    void zoomPanAndResetRestoreTheAxes();
    void comparedImpactsAreDrawnBehind();
    void printedRunHoldsEverySample();
    void copyTakesRowsOrTheGraphs_data();
    void copyTakesRowsOrTheGraphs();
    void repaintsWhenTheRecordChanges();
    void printedPageFillsWidthOrHeight_data();
    void printedPageFillsWidthOrHeight();
    void failedPrintReportsFalse();
    void previewDrawsOnePageWhilePrinting();
    void exportsThePrintedPage_data();
    void exportsThePrintedPage();

private:
    CScriptedPrompt m_prompt;  // the view tells nothing on these paths
};

void TestZentakView::initTestCase()
{
    UseTestSettings();
    CGraphPainter::SubstituteArial();
}

void TestZentakView::startsWithTitlesAndScreenState()
{
    CZentakDoc doc;
    CZentakView view(doc, m_prompt);
    QCOMPARE(view.m_strDispTitle, QStringLiteral("Displacement vs. Time"));
    QCOMPARE(view.m_strForceTitle, QStringLiteral("Force vs. Time"));
    QVERIFY(!view.m_bPrinting);
    QCOMPARE(view.m_nForceScaleStep, 0);
}

// 1000 rows a stroke at 1 mm/s: the table scrolls to its last row on its
// own, and the graphs beside it do not move or change.
void TestZentakView::tableScrollsWhileTheGraphsStay()
{
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(900, 530);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect graphPlace = view.Graph().geometry();
    const QImage graph = view.Graph().grab().toImage();
    QCOMPARE(view.TableModel().rowCount(), 1000);

    const QModelIndex last = view.TableModel().index(999, CSampleTableModel::UpTime);
    view.Table().scrollTo(last);
    QTRY_VERIFY(view.Table().viewport()->rect().contains(view.Table().visualRect(last)));
    QCOMPARE(view.Graph().geometry(), graphPlace);
    QCOMPARE(view.Graph().grab().toImage(), graph);
    const CImpactSamples::Sample* up = view.Graph().Samples().At(CImpactSamples::Stroke::Up, 999);
    QVERIFY(up);
    QCOMPARE(last.data().toString(), QString::number(up->timeMs, 'f', 2));
    QCOMPARE(view.TableModel().headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Down stroke\nDisplacement (µm)"));
}

void TestZentakView::sampleTableIsASoundModel()
{
    CSampleTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    CImpactRecord record = CleanRecord(40);
    model.SetSamples(CImpactSamples::Of(record));
    QCOMPARE(model.rowCount(), 40);  // the longer stroke
    QCOMPARE(model.index(39, CSampleTableModel::UpDisp).data(), QVariant());
    record.m_nDesiredDwell = 1;  // a dwell: no up stroke drawn or listed
    model.SetSamples(CImpactSamples::Of(record));
    QCOMPARE(model.index(0, CSampleTableModel::UpForce).data(), QVariant());
}

void TestZentakView::readoutGivesTheNearestSample_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("overForce");
    QTest::newRow("first sample, over displacement") << 0 << false;
    QTest::newRow("mid down stroke, over force") << 437 << true;
    QTest::newRow("up stroke") << 1500 << true;
    QTest::newRow("last sample") << 1999 << false;
}

// With the pointer at a sample's time, the label gives that sample's values.
void TestZentakView::readoutGivesTheNearestSample()
{
    QFETCH(int, index);
    QFETCH(bool, overForce);
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(1400, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    CImpactGraph& graph = view.Graph();
    graph.ZoomAbout(graph.Samples().All()[index].timeMs, 0.01);  // samples wider than a pixel
    const CImpactSamples::Sample& sample = graph.Samples().All()[index];
    const QRect plot = overForce ? graph.ForcePlot() : graph.DispPlot();
    QTest::mouseMove(&graph, QPoint(graph.XOfTime(sample.timeMs), plot.center().y()));
    QTRY_COMPARE(graph.ReadoutSample(), qsizetype(index));
    QCOMPARE(graph.ReadoutText(), QStringLiteral("%1 ms   %2 µm   %3 K dynes")
                                      .arg(QString::number(sample.timeMs, 'f', 2),
                                           QString::number(sample.dispMicrons, 'f', 0),
                                           QString::number(sample.forceKdyn, 'f', 1)));
}

void TestZentakView::marksStandOnTheirSamples_data()
{
    // CleanRecord(40): the force reaches contact at sample 5 and peaks at the
    // last down-stroke sample; its up stroke falls steadily.
    QTest::addColumn<int>("upRise");  // at up-stroke sample 10, in tenths of a K dyne
    QTest::addColumn<int>("secondHit");
    QTest::addColumn<QString>("peak");
    QTest::newRow("clean") << 0 << -1 << "peak 370 K dynes at 14.0 ms";
    QTest::newRow("a rise within the limit") << 40 << -1 << "peak 370 K dynes at 14.0 ms";
    QTest::newRow("second hit") << 200 << 50 << "peak 370 K dynes at 14.0 ms";
}

void TestZentakView::marksStandOnTheirSamples()
{
    QFETCH(int, upRise);
    CImpactRecord record = CleanRecord(40);
    record.m_arrForceUp[10] = record.m_arrForceUp[9] + quint32(upRise);
    CImpactGraph graph;
    graph.SetRecord(record, CQualityThresholds());
    QCOMPARE(graph.MarkSample(CImpactGraph::Mark::Contact), 4);  // the last before contact
    QCOMPARE(graph.MarkSample(CImpactGraph::Mark::Peak), 39);
    QTEST(int(graph.MarkSample(CImpactGraph::Mark::SecondHit)), "secondHit");
    QTEST(graph.PeakText(), "peak");
}

void TestZentakView::peakTextStaysWhole_data()
{
    QTest::addColumn<int>("widthPx");
    QTest::newRow("wide") << 800;
    QTest::newRow("room on neither side") << 200;
}

// The peak's name never runs off the graph's right edge.
void TestZentakView::peakTextStaysWhole()
{
    QFETCH(int, widthPx);
    CImpactGraph graph;
    graph.SetRecord(CleanRecord(40), CQualityThresholds());
    graph.resize(widthPx, 400);
    const QImage image = graph.grab().toImage();
    const QColor peakColour(230, 120, 0);
    QVERIFY(CountColour(image, peakColour) > 0);
    QCOMPARE(CountColour(image, peakColour, QRect(widthPx - 2, 0, 2, 400)), 0);
}

void TestZentakView::zoomPanAndResetRestoreTheAxes_data()
{
    QTest::addColumn<int>("notches");
    QTest::addColumn<int>("dragPx");
    QTest::newRow("one notch in") << 1 << 0;
    QTest::newRow("three notches in, dragged right") << 3 << 120;
    QTest::newRow("five notches in, dragged left") << 5 << -200;
}

void TestZentakView::zoomPanAndResetRestoreTheAxes()
{
    QFETCH(int, notches);
    QFETCH(int, dragPx);
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(900, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    CImpactGraph& graph = view.Graph();
    const auto whole = std::tuple(graph.TimeRange(), graph.DispRange(), graph.ForceRange());

    const QPoint at = graph.ForcePlot().center();
    const double timeAt = graph.TimeAtX(at.x());
    QWheelEvent wheel(at, graph.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&graph, &wheel);
    const double span = graph.TimeRange().high - graph.TimeRange().low;
    QVERIFY(qAbs(span - (std::get<0>(whole).high - std::get<0>(whole).low) *
                            std::pow(CImpactGraph::kWheelZoom, notches)) < 1e-9);
    QVERIFY(qAbs(graph.TimeAtX(at.x()) - timeAt) < 1e-9);  // zoomed about the pointer

    const double lowBefore = graph.TimeRange().low;
    QTest::mousePress(&graph, Qt::LeftButton, {}, at);
    QTest::mouseMove(&graph, at + QPoint(dragPx, 0));
    QTest::mouseRelease(&graph, Qt::LeftButton, {}, at + QPoint(dragPx, 0));
    if (dragPx != 0)
        QVERIFY((graph.TimeRange().low < lowBefore) == (dragPx > 0));

    QTest::mouseDClick(&graph, Qt::LeftButton, {}, at);
    QVERIFY(std::tuple(graph.TimeRange(), graph.DispRange(), graph.ForceRange()) == whole);
}

// Two earlier impacts ticked: their traces appear behind the current one.
void TestZentakView::comparedImpactsAreDrawnBehind()
{
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(900, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QColor earlier = CImpactGraph::kEarlierColour;
    QCOMPARE(CountColour(view.Graph().grab().toImage(), earlier), 0);

    CImpactRecord softer, harder;
    FillModelledImpact(softer, 60, 1);
    FillModelledImpact(harder, 150, 1);
    softer.m_bDataPresent = harder.m_bDataPresent = true;
    view.Graph().SetComparison({CImpactSamples::Of(softer)}, {});
    const int one = CountColour(view.Graph().grab().toImage(), earlier);
    QVERIFY(one > 0);
    view.Graph().SetComparison({CImpactSamples::Of(softer), CImpactSamples::Of(harder)}, {});
    QVERIFY(CountColour(view.Graph().grab().toImage(), earlier) > one);
}

// Every sample of a 1,000-sample run is on paper, below a header block.
void TestZentakView::printedRunHoldsEverySample()
{
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    doc.EditRecord().m_strComments = CRunStamp::Comments(
        QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)), QStringLiteral("Rat 12"));
    doc.SetDataPresent(true);
    doc.SetPathName(QStringLiteral("/data/rat12.exp"));
    CZentakView view(doc, m_prompt);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(view.PrintTo(printer));

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY2(pdftotext.waitForFinished(30000), "pdftotext (poppler-utils) did not run");
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    // Times are the only texts with two decimals: one a sample.
    const QRegularExpression time(QStringLiteral("(?<![\\d.])\\d+\\.\\d\\d(?![\\d.])"));
    QCOMPARE(text.count(time), 2000);
    const CImpactSamples samples = view.Graph().Samples();
    QVERIFY(text.contains(QString::number(samples.All().constLast().timeMs, 'f', 2)));
    for (const char* header :
         {"Subject: Rat 12", "Date and time: 2026-03-05 14:07:09", "Desired: force 100 K dynes",
          "Actual: force", "QC ", "File: rat12.exp", "page 2 of"})
        QVERIFY2(text.contains(QLatin1String(header)), header);
}

void TestZentakView::copyTakesRowsOrTheGraphs_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<bool>("tableFocused");
    QTest::addColumn<QString>("expected");
    const QString header = QStringLiteral(
        "Down stroke Displacement (µm)\tDown stroke Force (K dynes)\tDown stroke Time (ms)\t"
        "Up stroke Displacement (µm)\tUp stroke Force (K dynes)\tUp stroke Time (ms)\r\n");
    QTest::newRow("two rows") << QList<int>{0, 2} << true
                              << header + "0\t5.0\t0.00\t1676\t180.0\t7.20\r\n"
                                          "176\t5.0\t0.72\t1358\t144.0\t7.92\r\n";
    QTest::newRow("rows, graphs focused") << QList<int>{1} << false << QString();
    QTest::newRow("nothing selected") << QList<int>{} << true << QString();
}

// Selected rows go as text under their headings; otherwise the graphs as a picture.
void TestZentakView::copyTakesRowsOrTheGraphs()
{
    QFETCH(QList<int>, rows);
    QFETCH(bool, tableFocused);
    QFETCH(QString, expected);
    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(900, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (const int row : rows)
        view.Table().selectionModel()->select(view.TableModel().index(row, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
    QApplication::clipboard()->clear();
    (tableFocused ? static_cast<QWidget&>(view.Table()) : view.Graph()).setFocus();
    QTRY_VERIFY(tableFocused ? view.Table().hasFocus() : !view.Table().hasFocus());
    view.CopyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(QApplication::clipboard()->image().isNull(), !expected.isEmpty());
}

void TestZentakView::repaintsWhenTheRecordChanges()
{
    CZentakDoc doc;
    CZentakView view(doc, m_prompt);
    view.resize(751, 546);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    CPaintCounter counter;
    view.Graph().installEventFilter(&counter);
    QCOMPARE(CountColour(view.Graph().grab().toImage(), kTrace), 0);

    FillImpact(doc.EditRecord());
    counter.paints = 0;
    view.OnDocumentChanged();
    QTRY_VERIFY(counter.paints > 0);

    counter.paints = 0;
    doc.SetDataPresent(true);
    QTRY_VERIFY(counter.paints > 0);
    QVERIFY(CountColour(view.Graph().grab().toImage(), kTrace) > 0);
}

void TestZentakView::printedPageFillsWidthOrHeight_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::newRow("portrait: filled in width") << QPageLayout::Portrait;
    QTest::newRow("landscape: filled in height") << QPageLayout::Landscape;
}

void TestZentakView::printedPageFillsWidthOrHeight()
{
    QFETCH(QPageLayout::Orientation, orientation);

    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(751, 546);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const double marginMm = 10;
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                      QMarginsF(marginMm, marginMm, marginMm, marginMm),
                                      QPageLayout::Millimeter));
    QVERIFY(view.PrintTo(printer));
    QVERIFY(!view.m_bPrinting);

    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"), pdf,
                    dir.filePath(QStringLiteral("page"))});
    QVERIFY2(pdftoppm.waitForFinished(30000), "pdftoppm (poppler-utils) did not run");
    QCOMPARE(pdftoppm.exitCode(), 0);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("page-2.png"))));  // one page
    const QImage page(dir.filePath(QStringLiteral("page-1.png")));
    QVERIFY(!page.isNull());

    // The isotropic mapping: one scale, the smaller of the two that fit the
    // header block and the picture below it into the printable area, from
    // its top-left corner.
    const double pixelsPerMm = 100 / 25.4;
    const QSizeF paper = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSizeF sheet = orientation == QPageLayout::Portrait ? paper : paper.transposed();
    QVERIFY(qAbs(page.width() - sheet.width() * pixelsPerMm) < 1);
    QVERIFY(qAbs(page.height() - sheet.height() * pixelsPerMm) < 1);
    const double printableWidth = (sheet.width() - 2 * marginMm) * pixelsPerMm;
    const double printableHeight = (sheet.height() - 2 * marginMm) * pixelsPerMm;
    const double header = CRunPrintout::kHeaderHeight;
    const double scale = std::min(printableWidth / 1016, printableHeight / (header + 946));
    const double origin = marginMm * pixelsPerMm;
    auto at = [&](double x, double y) {
        return QPoint(qRound(origin + x * scale), qRound(origin + (header + y) * scale));
    };
    QVERIFY(AnyDark(page, QRect(at(0, -header), at(1016, -header / 2))));  // the header's text

    QVERIFY(Dark(page, at(70, 300)));   // displacement y axis
    QVERIFY(Dark(page, at(300, 910)));  // force x axis, near the bottom
    QVERIFY(Dark(page, at(795, 500)));  // table divider
    QVERIFY(Dark(page, at(1000, 73)));  // right end of the table rule
    QVERIFY(!AnyDark(page, QRect(at(1016, 0) + QPoint(4, 0), page.size())));
    QVERIFY(!AnyDark(page, QRect(at(0, 946) + QPoint(0, 4), page.size())));
    if (orientation == QPageLayout::Portrait)
        QVERIFY(qAbs(origin + 1016 * scale - (origin + printableWidth)) < 1);
    else
        QVERIFY(qAbs((header + 946) * scale - printableHeight) < 1);

    // The trace is there, in its colour.
    bool blue = false;
    const QPoint sample = at(124, 323);
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QColor colour = page.pixelColor(sample + QPoint(dx, dy));
            blue = blue || (colour.blue() > 150 && colour.red() < 100 && colour.green() < 100);
        }
    }
    QVERIFY(blue);
}

void TestZentakView::failedPrintReportsFalse()
{
    CZentakDoc doc;
    CZentakView view(doc, m_prompt);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-directory/graph.pdf"));
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY(!view.PrintTo(printer));
    QVERIFY(!view.m_bPrinting);
}

void TestZentakView::previewDrawsOnePageWhilePrinting()
{
    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(751, 546);
    view.show();

    bool previewShown = false;
    bool printingMeanwhile = false;
    int pages = 0;
    QSize previewSize;
    QPrintPreviewWidget::ZoomMode zoomMode = QPrintPreviewWidget::CustomZoom;
    WhenModal([&](QWidget* dialog) {
        previewShown = qobject_cast<QPrintPreviewDialog*>(dialog) != nullptr;
        printingMeanwhile = view.m_bPrinting;
        previewSize = dialog->size();
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
            pages = preview->pageCount();
            zoomMode = preview->zoomMode();
        }
    });
    view.OnFilePrintPreview();

    QVERIFY(previewShown);
    QVERIFY(printingMeanwhile);
    QCOMPARE(pages, 1);
    QVERIFY(!view.m_bPrinting);
    // Opened large enough to read: most of the screen, the page as wide as it.
    const QSize screen = view.screen()->availableGeometry().size();
    QCOMPARE(previewSize, screen * 0.9);
    QCOMPARE(zoomMode, QPrintPreviewWidget::FitToWidth);
}

void TestZentakView::exportsThePrintedPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG") << "graph.png";
    QTest::newRow("PDF") << "graph.PDF";
    QTest::newRow("SVG") << "graph.svg";
}

// The page as printed, on the paper chosen for printing: the image and the
// drawing hold its printable area at 300 dpi, the PDF the whole page.
void TestZentakView::exportsThePrintedPage()
{
    QFETCH(QString, name);

    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.SetDataPresent(true);
    CZentakView view(doc, m_prompt);
    view.resize(529, 527);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    QVERIFY2(view.ExportGraph(path, &error), qPrintable(error));

    const QPageLayout layout = QPrinter(QPrinter::HighResolution).pageLayout();
    const QSize area = layout.paintRectPixels(300).size();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (name.endsWith(QLatin1String(".png"))) {
        const QImage image = QImage::fromData(bytes, "png");
        QCOMPARE(image.size(), area);
        const double header = CRunPrintout::kHeaderHeight;
        const double scale = std::min(area.width() / 1016.0, area.height() / (header + 946));
        auto at = [&](double x, double y) {
            return QPoint(qRound(x * scale), qRound((header + y) * scale));
        };
        QVERIFY(Dark(image, at(70, 300)));   // displacement y axis
        QVERIFY(Dark(image, at(795, 500)));  // table divider
        QVERIFY(CountColour(image, kTrace, QRect(at(124, 323) - QPoint(3, 3), QSize(7, 7))) > 0);
        QVERIFY(!AnyDark(image, QRect(at(1016, -header) + QPoint(4, 0), image.size())));
    } else if (name.endsWith(QLatin1String(".PDF"))) {
        QVERIFY(bytes.startsWith("%PDF-"));
        const QRectF paper = layout.fullRect(QPageLayout::Point);
        const QRegularExpression mediaBox(
            QStringLiteral("/MediaBox \\[0 0 %1(\\.0+)? %2(\\.0+)?\\]")
                .arg(qRound(paper.width()))
                .arg(qRound(paper.height())));
        QVERIFY2(QString::fromLatin1(bytes).contains(mediaBox), qPrintable(mediaBox.pattern()));
        QCOMPARE(QString::fromLatin1(bytes).count(
                     QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
                 1);
    } else {
        QXmlStreamReader svg(bytes);
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.name(), QStringLiteral("svg"));
        QCOMPARE(svg.attributes().value(QStringLiteral("viewBox")).toString(),
                 QStringLiteral("0 0 %1 %2").arg(area.width()).arg(area.height()));
        QStringList texts;
        bool traceStroke = false;
        while (!svg.atEnd()) {
            if (svg.readNext() != QXmlStreamReader::StartElement)
                continue;
            traceStroke = traceStroke || svg.attributes().value(QStringLiteral("stroke")) ==
                                             QStringLiteral("#0000c0");
            if (svg.name() == QStringLiteral("text"))
                texts << svg.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        }
        QVERIFY(!svg.hasError());
        QVERIFY(traceStroke);
        for (const char* text : {"Displacement vs. Time", "Force vs. Time", "Position", "95"})
            QVERIFY2(texts.contains(QLatin1String(text)), text);
    }

    QVERIFY(!view.ExportGraph(dir.filePath(QStringLiteral("graph.jpg")), &error));
    QVERIFY2(error.contains(QLatin1String(".png, .pdf or .svg")), qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("graph.jpg"))));
}

QTEST_MAIN(TestZentakView)
#include "tst_zentak_view.moc"

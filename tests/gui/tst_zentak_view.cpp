#include "CPaintCounter.h"
#include "ImpactRecord.h"
#include "PixelCount.h"
#include "TestSettings.h"
#include "core/CZentakDoc.h"
#include "gui/CZentakView.h"
#include "render/CGraphPainter.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

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

QStringList Strings(const QList<CGraphPainter::DrawnText>& texts)
{
    QStringList strings;
    for (const CGraphPainter::DrawnText& text : texts)
        strings.append(text.text);
    return strings;
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
    void scrollBarsOnlyBelowTheScrollSize();
    void tableScrollsToItsLastRow();
    void repaintsWhenTheRecordChanges();
    void printedPageFillsWidthOrHeight_data();
    void printedPageFillsWidthOrHeight();
    void failedPrintReportsFalse();
    void previewDrawsOnePageWhilePrinting();
    void exportsThePrintedPage_data();
    void exportsThePrintedPage();
};

void TestZentakView::initTestCase()
{
    UseTestSettings();
    CGraphPainter::SubstituteArial();
}

void TestZentakView::startsWithTitlesAndScreenState()
{
    CZentakDoc doc;
    CZentakView view(doc);
    QCOMPARE(view.m_strDispTitle, QStringLiteral("Displacement vs. Time"));
    QCOMPARE(view.m_strForceTitle, QStringLiteral("Force vs. Time"));
    QVERIFY(!view.m_bPrinting);
    QCOMPARE(view.m_nForceScaleStep, 0);
}

void TestZentakView::scrollBarsOnlyBelowTheScrollSize()
{
    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.SetDataPresent(true);
    CZentakView view(doc);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);
    QVERIFY(!view.horizontalScrollBar()->isVisible());

    view.resize(80, 60);
    QTRY_VERIFY(view.horizontalScrollBar()->isVisible());
    QVERIFY(view.verticalScrollBar()->isVisible());
    QCOMPARE(view.horizontalScrollBar()->maximum(), 100 - view.viewport()->width());
    QCOMPARE(view.verticalScrollBar()->maximum(), 100 - view.viewport()->height());

    // Scrolling moves the picture.
    const QImage atOrigin = view.viewport()->grab().toImage();
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QVERIFY(view.viewport()->grab().toImage() != atOrigin);
}

// 1000 rows a stroke at 1 mm/s: the view scrolls down to the last row and
// shows it whole, the graphs scrolled away above it.
void TestZentakView::tableScrollsToItsLastRow()
{
    CZentakDoc doc;
    FillModelledImpact(doc.EditRecord(), 100, 1);
    QCOMPARE(doc.Record().m_arrDispUp.size(), 1000);
    CZentakView view(doc);
    QList<CGraphPainter::DrawnText> texts;
    view.SetTextLog(&texts);
    view.resize(530, 530);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);

    doc.SetDataPresent(true);
    QTRY_VERIFY(view.verticalScrollBar()->isVisible());
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    texts.clear();
    const QImage shown = view.viewport()->grab().toImage();

    const int lastRowTop = 75 + 20 * 999;
    QStringList lastRow;
    QRectF rowBox;
    for (const CGraphPainter::DrawnText& text : std::as_const(texts)) {
        if (text.pos.y() > lastRowTop)
            QFAIL("a row below the last one");
        if (text.pos.y() != lastRowTop)
            continue;
        lastRow << text.text;
        rowBox = text.deviceBox;
        QVERIFY(QRectF(shown.rect()).contains(text.deviceBox));
        QVERIFY(AnyDark(shown, text.deviceBox.toRect()));
    }
    QCOMPARE(lastRow.size(), 6);  // position, force and time of both strokes
    // The strokes' divider runs on beside it.
    const int rowMiddle = rowBox.toRect().center().y();
    QVERIFY(Dark(shown, QPoint(795 * shown.width() / 1016, rowMiddle)));
    QVERIFY(!Strings(texts).contains(QStringLiteral("Displacement vs. Time")));

    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    texts.clear();
    view.viewport()->grab();
    QVERIFY(Strings(texts).contains(QStringLiteral("Displacement vs. Time")));
}

void TestZentakView::repaintsWhenTheRecordChanges()
{
    CZentakDoc doc;
    CZentakView view(doc);
    view.resize(751, 546);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    CPaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    QCOMPARE(CountColour(view.viewport()->grab().toImage(), kTrace), 0);

    FillImpact(doc.EditRecord());
    counter.paints = 0;
    view.OnDocumentChanged();
    QTRY_VERIFY(counter.paints > 0);

    counter.paints = 0;
    doc.SetDataPresent(true);
    QTRY_VERIFY(counter.paints > 0);
    QVERIFY(CountColour(view.viewport()->grab().toImage(), kTrace) > 0);
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
    CZentakView view(doc);
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
    // printable area, from its top-left corner.
    const double pixelsPerMm = 100 / 25.4;
    const QSizeF paper = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSizeF sheet = orientation == QPageLayout::Portrait ? paper : paper.transposed();
    QVERIFY(qAbs(page.width() - sheet.width() * pixelsPerMm) < 1);
    QVERIFY(qAbs(page.height() - sheet.height() * pixelsPerMm) < 1);
    const double printableWidth = (sheet.width() - 2 * marginMm) * pixelsPerMm;
    const double printableHeight = (sheet.height() - 2 * marginMm) * pixelsPerMm;
    const double scale = std::min(printableWidth / 1016, printableHeight / 946);
    const double origin = marginMm * pixelsPerMm;
    auto at = [&](double x, double y) {
        return QPoint(qRound(origin + x * scale), qRound(origin + y * scale));
    };

    QVERIFY(Dark(page, at(70, 300)));   // displacement y axis
    QVERIFY(Dark(page, at(300, 910)));  // force x axis, near the bottom
    QVERIFY(Dark(page, at(795, 500)));  // table divider
    QVERIFY(Dark(page, at(1000, 73)));  // right end of the table rule
    QVERIFY(!AnyDark(page, QRect(at(1016, 0) + QPoint(4, 0), page.size())));
    QVERIFY(!AnyDark(page, QRect(at(0, 946) + QPoint(0, 4), page.size())));
    if (orientation == QPageLayout::Portrait)
        QVERIFY(qAbs(origin + 1016 * scale - (origin + printableWidth)) < 1);
    else
        QVERIFY(qAbs(origin + 946 * scale - (origin + printableHeight)) < 1);

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
    CZentakView view(doc);
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
    CZentakView view(doc);
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
    CZentakView view(doc);
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
        const double scale = std::min(area.width() / 1016.0, area.height() / 946.0);
        auto at = [scale](double x, double y) {
            return QPoint(qRound(x * scale), qRound(y * scale));
        };
        QVERIFY(Dark(image, at(70, 300)));   // displacement y axis
        QVERIFY(Dark(image, at(795, 500)));  // table divider
        QVERIFY(CountColour(image, kTrace, QRect(at(124, 323) - QPoint(3, 3), QSize(7, 7))) > 0);
        QVERIFY(!AnyDark(image, QRect(at(1016, 0) + QPoint(4, 0), image.size())));
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

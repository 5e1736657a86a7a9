#include "ClassicRecords.h"
#include "ImpactRecord.h"
#include "PixelCount.h"
#include "core/CZentakDoc.h"
#include "render/CGraphFileWriter.h"
#include "render/CGraphPainter.h"
#include "render/CImpactSamples.h"
#include "render/CRunPrintout.h"

#include <QCryptographicHash>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(ClassicRecords::Kind)

namespace {

using DrawnText = CGraphPainter::DrawnText;

const QColor kTrace(0, 0, 192);
const QColor kMarker(255, 0, 0);
const QColor kGrid(192, 192, 192);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QSize kLogicalSize(CGraphPainter::kLogicalWidth, CGraphPainter::kLogicalHeight);

QList<DrawnText> TextsAt(const QList<DrawnText>& texts, int x, int minY = 0)
{
    QList<DrawnText> found;
    for (const DrawnText& text : texts) {
        if (text.pos.x() == x && text.pos.y() >= minY)
            found.append(text);
    }
    return found;
}

QStringList Strings(const QList<DrawnText>& texts)
{
    QStringList strings;
    for (const DrawnText& text : texts)
        strings.append(text.text);
    return strings;
}

// True when the colour lies within a pixel of the point: lines are drawn on
// integer coordinates but their pixels may fall on either side.
bool ColourNear(const QImage& image, int x, int y, const QColor& colour)
{
    return CountColour(image, colour, QRect(x - 1, y - 1, 3, 3)) > 0;
}

// Where the painter puts each sample of a release 5 record with dwell 0, in
// logical units, in drawing order: its displacement and its force point.
struct SamplePoint {
    QPoint disp;
    QPoint force;
    float timeMs;
};

QList<SamplePoint> SamplePoints(const CImpactRecord& record, const CGraphAxes& axes)
{
    QList<SamplePoint> points;
    const int top = axes.DispTop(qint32(record.m_nDispMax - record.m_nDispMin));
    const double forceScale = 390.0 / (100.0 * axes.ForceScaleStep() + 260);
    float timeMs = 0;
    auto add = [&](quint32 position, quint32 force, quint32 stepCount) {
        const int x = axes.TimeX(timeMs);
        const double offset = double(position - record.m_nDispMin) * axes.UnitsPerCount();
        points.append({QPoint(x, CGraphAxes::Trunc(offset + top)),
                       QPoint(x, CGraphAxes::Trunc(910 - double(force / 10) * forceScale)),
                       timeMs});
        timeMs += float(double(stepCount) * 60e-6);
    };
    for (qsizetype i = 0; i < record.m_arrDispDown.size(); ++i)
        add(record.m_arrDispDown[i], record.m_arrForceDown[i], record.m_arrStepTimeDown[i]);
    for (qsizetype i = 0; i < record.m_arrDispUp.size(); ++i)
        add(record.m_arrDispUp[i], record.m_arrForceUp[i], record.m_arrStepTimeUp[i]);
    return points;
}

QPoint OnImage(QPoint logical, QSize image)
{
    return QPoint(int(logical.x() * image.width() / 1016.0),
                  int(logical.y() * image.height() / 946.0));
}

// A plot area on the image, grown by the trace pen's half width and a pixel.
QRect PlotOnImage(const QRect& plot, QSize image)
{
    return QRect(OnImage(plot.topLeft(), image), OnImage(plot.bottomRight(), image))
        .adjusted(-2, -2, 2, 2);
}

// The tick labels: numbers in the label font.
QList<DrawnText> TickLabels(const QList<DrawnText>& texts)
{
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    QList<DrawnText> labels;
    for (const DrawnText& text : texts) {
        if (text.font == CGraphPainter::FontRole::Label && number.match(text.text).hasMatch())
            labels.append(text);
    }
    return labels;
}

QString FirstOverlap(const QList<DrawnText>& labels)
{
    for (qsizetype i = 0; i < labels.size(); ++i) {
        for (qsizetype j = i + 1; j < labels.size(); ++j) {
            if (labels[i].deviceBox.intersects(labels[j].deviceBox))
                return labels[i].text + QStringLiteral(" and ") + labels[j].text;
        }
    }
    return QString();
}

int CountAtTop(const QList<DrawnText>& texts, int top)
{
    return int(std::count_if(texts.cbegin(), texts.cend(),
                             [top](const DrawnText& text) { return text.pos.y() == top; }));
}

}  // namespace

class TestGraphPainter : public QObject
{
    Q_OBJECT

    int forceScaleStep = 0;

    QImage Render(const CImpactRecord& record, QSize size = kLogicalSize,
                  QList<DrawnText>* texts = nullptr);
    QImage RenderPage(const CImpactRecord& record, QSize page, QList<DrawnText>* texts = nullptr);

private Q_SLOTS:
    void initTestCase();
    void init();
    void withoutDataOnlyFramesGridsAndLabels();
    void dataPresentAddsSeparatorsTracesAndValues();
    void tracePassesThroughKnownSamples();
    void contactMarkerOnlyUnderItsConditions_data();
    void contactMarkerOnlyUnderItsConditions();
    void upStrokeAbsentWhenDwellIsSet();
    void forceScaleFollowsActualForce_data();
    void forceScaleFollowsActualForce();
    void forceScaleKeptWithoutData();
    void sampleTimingByRelease_data();
    void sampleTimingByRelease();
    void shortArraysAreNeverReadPastTheirEnd_data();
    void shortArraysAreNeverReadPastTheirEnd();
    void fontUnitFollowsClientHeight_data();
    void fontUnitFollowsClientHeight();
    void fontHeightsFromScreenResolution();
    void tableRowsStopAtTheDeviceEdge();
    void screenMappingStretchesPageMappingKeepsAspect();
    void tableRunsOnButTracesStayInTheirPlots();
    void absurdValuesDrawWithoutOverflow();
    void writesThePanePictureAsPng();
    void writesOnePdfPage();
    void unwritableFileIsReported();
    void classicRunsDrawAsBefore_data();
    void classicRunsDrawAsBefore();
    void wholeStrokeFitsTheGrownAxes_data();
    void wholeStrokeFitsTheGrownAxes();
    void labelsNeverOverlap_data();
    void labelsNeverOverlap();
    void printoutHoldsEveryRowOnce_data();
    void printoutHoldsEveryRowOnce();
    void nearestSampleByTime_data();
    void nearestSampleByTime();
    void everyLabelThatFitsIsPrinted_data();
    void everyLabelThatFitsIsPrinted();
};

QImage TestGraphPainter::Render(const CImpactRecord& record, QSize size, QList<DrawnText>* texts)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CGraphPainter graph(record, forceScaleStep);
    graph.SetScreenDpiY(96);
    graph.SetTitles(QStringLiteral("Displacement vs. Time"), QStringLiteral("Force vs. Time"));
    graph.SetTextLog(texts);
    graph.PaintScreen(painter, QRect(QPoint(0, 0), size));
    return image;
}

QImage TestGraphPainter::RenderPage(const CImpactRecord& record, QSize page,
                                    QList<DrawnText>* texts)
{
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CGraphPainter graph(record, forceScaleStep);
    graph.SetScreenDpiY(96);
    graph.SetTextLog(texts);
    graph.PaintPage(painter, page, 600);
    return image;
}

void TestGraphPainter::initTestCase()
{
    CGraphPainter::SubstituteArial();
}

void TestGraphPainter::init()
{
    forceScaleStep = 0;
}

void TestGraphPainter::withoutDataOnlyFramesGridsAndLabels()
{
    CZentakDoc doc;
    FillImpact(doc.EditRecord());  // traces in the record, but the flag says there are none
    QList<DrawnText> texts;
    const QImage image = Render(doc.Record(), kLogicalSize, &texts);

    QVERIFY(ColourNear(image, 70, 200, kBlack));   // displacement y axis
    QVERIFY(ColourNear(image, 300, 440, kBlack));  // displacement x axis
    QVERIFY(ColourNear(image, 70, 700, kBlack));
    QVERIFY(ColourNear(image, 300, 910, kBlack));
    QCOMPARE(image.pixelColor(85, 200), kGrid);
    QCOMPARE(image.pixelColor(300, 65), kGrid);
    QCOMPARE(image.pixelColor(85, 445), kBlack);   // tick below the axis
    QCOMPARE(image.pixelColor(65, 65), kBlack);    // tick left of the axis
    QCOMPARE(image.pixelColor(795, 500), kBlack);  // table divider
    QCOMPARE(image.pixelColor(700, 73), kBlack);   // table rule
    for (int x : {669, 733, 883, 947})
        QCOMPARE(image.pixelColor(x, 500), kWhite);
    QCOMPARE(CountColour(image, kTrace), 0);
    QCOMPARE(CountColour(image, kMarker), 0);

    QCOMPARE(Strings(TextsAt(texts, 626)), QStringList{"Position"});
    QCOMPARE(Strings(TextsAt(texts, 979)), QStringList{"Time"});
    QCOMPARE(TextsAt(texts, 702).constFirst().colour, kBlack);
    QStringList forceLabels = Strings(TextsAt(texts, 45, 513));
    QCOMPARE(forceLabels.size(), 27);
    QCOMPARE(forceLabels.constFirst(), QStringLiteral("0"));
    QCOMPARE(forceLabels.constLast(), QStringLiteral("260"));
    QCOMPARE(TextsAt(texts, 45, 513).constFirst().colour, QColor(110, 110, 110));
    QCOMPARE(TextsAt(texts, 45, 0).constFirst().colour, QColor(90, 90, 90));

    const QStringList fixed = Strings(texts);
    for (const char* caption : {"Disp. (microns)", "Force (K dynes)", "Displacement vs. Time",
                                "Force vs. Time", "2600", "30"})
        QVERIFY2(fixed.contains(QLatin1String(caption)), caption);
}

void TestGraphPainter::dataPresentAddsSeparatorsTracesAndValues()
{
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    const QImage image = Render(record, kLogicalSize, &texts);

    for (int x : {669, 733, 883, 947})
        QCOMPARE(image.pixelColor(x, 500), kGrid);
    QVERIFY(CountColour(image, kTrace, QRect(70, 50, 451, 391)) > 0);
    QVERIFY(CountColour(image, kTrace, QRect(70, 520, 451, 391)) > 0);

    // Positions from the smallest, forces in whole K dynes, down and up.
    const QStringList downPositions = Strings(TextsAt(texts, 626, 75));
    QCOMPARE(downPositions.size(), 20);
    QCOMPARE(downPositions.at(0), QStringLiteral("0"));
    QCOMPARE(downPositions.at(19), QStringLiteral("95"));
    QCOMPARE(Strings(TextsAt(texts, 702, 75)).mid(4, 3), (QStringList{"5", "30", "40"}));
    QCOMPARE(Strings(TextsAt(texts, 840, 75)).mid(0, 2), (QStringList{"95", "86"}));
    QCOMPARE(Strings(TextsAt(texts, 916, 75)).mid(0, 2), (QStringList{"180", "162"}));
    const DrawnText row2 = TextsAt(texts, 626, 75).at(2);
    QCOMPARE(row2.pos.y(), 115);
    QCOMPARE(row2.colour, QColor(90, 90, 90));
    QVERIFY(row2.bCentred);
}

void TestGraphPainter::tracePassesThroughKnownSamples()
{
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    const QImage image = Render(record);

    // Down sample 10 at 3.6 ms: x = 124; it is 50 counts above the deepest
    // 95, so top = trunc(440 - (50 + 2.6 * 95)) + 50 = 193 and y = 193 + 130.
    QVERIFY(ColourNear(image, 124, 323, kTrace));
    // Its force 800 is 80 K dynes on the 260 full scale: y = 910 - 80 * 1.5.
    QVERIFY(ColourNear(image, 124, 790, kTrace));
    // The deepest sample (19, at 6.84 ms) lies on the displacement axis.
    QVERIFY(ColourNear(image, 172, 439, kTrace));
    // Nothing in the trace colour where no sample falls.
    QCOMPARE(CountColour(image, kTrace, QRect(300, 60, 200, 370)), 0);
}

void TestGraphPainter::contactMarkerOnlyUnderItsConditions_data()
{
    QTest::addColumn<bool>("dataPresent");
    QTest::addColumn<quint32>("firstForce");
    QTest::addColumn<bool>("anyContact");
    QTest::addColumn<bool>("markerShown");

    QTest::newRow("probe clear, then contact") << true << 50u << true << true;
    QTest::newRow("no data") << false << 50u << true << false;
    QTest::newRow("first sample already in contact") << true << 250u << true << false;
    QTest::newRow("never reached contact") << true << 50u << false << false;
}

void TestGraphPainter::contactMarkerOnlyUnderItsConditions()
{
    QFETCH(bool, dataPresent);
    QFETCH(quint32, firstForce);
    QFETCH(bool, anyContact);
    QFETCH(bool, markerShown);

    CImpactRecord record;
    FillImpact(record);
    record.m_arrForceDown[0] = firstForce;
    if (!anyContact) {
        for (quint32& force : record.m_arrForceDown)
            force = std::min(force, 150u);
    }
    record.ComputeTraceStats();
    record.m_bDataPresent = dataPresent;
    const QImage image = Render(record);

    if (!markerShown) {
        QCOMPARE(CountColour(image, kMarker), 0);
        return;
    }
    QCOMPARE(record.m_nContactIndex, 5);
    // Horizontal: across the upper plot at the last sample before contact
    // (20 counts below the top: y = 193 + 52); vertical: at that sample's
    // time 1.44 ms (x = 91) in each plot, from its axis up to its top, and
    // not through the labels and the title between them.
    QVERIFY(ColourNear(image, 400, 245, kMarker));
    QCOMPARE(CountColour(image, kMarker, QRect(521, 230, 100, 30)), 0);
    for (int y : {60, 300, 530, 700, 905})
        QVERIFY2(ColourNear(image, 91, y, kMarker), qPrintable(QString::number(y)));
    QCOMPARE(CountColour(image, kMarker, QRect(91 - 3, 915, 7, 30)), 0);
    QCOMPARE(CountColour(image, kMarker, QRect(91 - 3, 450, 7, 60)), 0);
}

void TestGraphPainter::upStrokeAbsentWhenDwellIsSet()
{
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    // The down stroke ends at 6.84 ms (x = 172); the up stroke starts at 7.2 ms (x = 178).
    const QRect afterDown(176, 50, 100, 860);

    QList<DrawnText> withUp;
    QVERIFY(CountColour(Render(record, kLogicalSize, &withUp), kTrace, afterDown) > 0);
    QCOMPARE(TextsAt(withUp, 840, 75).size(), 10);
    QCOMPARE(Strings(TextsAt(withUp, 979, 75)).constFirst(), QStringLiteral("7.20"));

    record.m_nDesiredDwell = 1;
    QList<DrawnText> withoutUp;
    QCOMPARE(CountColour(Render(record, kLogicalSize, &withoutUp), kTrace, afterDown), 0);
    for (int x : {840, 916, 979})
        QCOMPARE(TextsAt(withoutUp, x, 75).size(), 0);
    QCOMPARE(TextsAt(withoutUp, 626, 75).size(), 20);
}

void TestGraphPainter::forceScaleFollowsActualForce_data()
{
    QTest::addColumn<int>("actualForce");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("labelStep");
    QTest::addColumn<int>("divisions");

    QTest::newRow("259") << 259 << 0 << 10 << 26;
    QTest::newRow("260") << 260 << 1 << 15 << 24;
    QTest::newRow("359") << 359 << 1 << 15 << 24;
    QTest::newRow("360") << 360 << 2 << 20 << 23;
    QTest::newRow("460: top label below full scale") << 460 << 3 << 25 << 22;
    QTest::newRow("760") << 760 << 6 << 40 << 21;
}

void TestGraphPainter::forceScaleFollowsActualForce()
{
    QFETCH(int, actualForce);
    QFETCH(int, step);
    QFETCH(int, labelStep);
    QFETCH(int, divisions);

    CImpactRecord record;
    FillImpact(record);
    record.m_nActualForce = actualForce;
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    Render(record, kLogicalSize, &texts);

    QCOMPARE(forceScaleStep, step);
    QCOMPARE(CGraphAxes::ForceScaleStep(actualForce), step);
    const QList<DrawnText> labels = TextsAt(texts, 45, 513);
    QCOMPARE(labels.size(), divisions + 1);
    for (int i = 0; i <= divisions; ++i) {
        QCOMPARE(labels.at(i).text, QString::number(labelStep * i));
        QCOMPARE(labels.at(i).pos.y(), int(903 - 390.0 / divisions * i));
    }
}

void TestGraphPainter::forceScaleKeptWithoutData()
{
    CZentakDoc doc;
    FillImpact(doc.EditRecord());
    doc.EditRecord().m_nActualForce = 360;
    doc.SetDataPresent(true);
    Render(doc.Record());
    QCOMPARE(forceScaleStep, 2);

    doc.OnNewDocument();  // empties the record and clears the flag
    QList<DrawnText> texts;
    Render(doc.Record(), kLogicalSize, &texts);
    QCOMPARE(forceScaleStep, 2);
    QCOMPARE(TextsAt(texts, 45, 513).constLast().text, QStringLiteral("460"));
}

void TestGraphPainter::sampleTimingByRelease_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("downTimes");
    QTest::addColumn<QString>("firstUpTime");

    QTest::newRow("release 4: 0.36 ms per sample")
        << 4 << QStringList{"0.00", "0.36", "0.72"} << "1.08";
    QTest::newRow("release 5: 6000 steps of 60 ns")
        << 5 << QStringList{"0.00", "0.36", "0.72"} << "1.08";
}

void TestGraphPainter::sampleTimingByRelease()
{
    QFETCH(int, release);
    QFETCH(QStringList, downTimes);
    QFETCH(QString, firstUpTime);

    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    record.m_arrDispDown = {10, 11, 12};
    record.m_arrForceDown = {100, 1234, 2000};
    record.m_arrDispUp = {12, 11};
    record.m_arrForceUp = {900, 50};
    if (release == 5) {
        record.m_arrStepTimeDown = {6000, 6000, 6000};
        record.m_arrStepTimeUp = {6000, 6000};
    }
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    Render(record, kLogicalSize, &texts);

    const QList<DrawnText> times = TextsAt(texts, 765, 75);
    QCOMPARE(Strings(times), downTimes);
    QCOMPARE(times.at(2).pos.y(), 115);
    QCOMPARE(Strings(TextsAt(texts, 979, 75)).constFirst(), firstUpTime);
    QCOMPARE(TextsAt(texts, 979, 75).constFirst().pos.y(), 75);  // up rows start again at the top
    QCOMPARE(Strings(TextsAt(texts, 702, 75)), (QStringList{"10", "123", "200"}));
    QCOMPARE(Strings(TextsAt(texts, 626, 75)), (QStringList{"0", "1", "2"}));
}

void TestGraphPainter::shortArraysAreNeverReadPastTheirEnd_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<CUIntArray>("forceDown");
    QTest::addColumn<CUIntArray>("stepsDown");
    QTest::addColumn<CUIntArray>("dispUp");
    QTest::addColumn<CUIntArray>("forceUp");
    QTest::addColumn<int>("positionRows");
    QTest::addColumn<int>("forceRows");
    QTest::addColumn<int>("upPositionRows");
    QTest::addColumn<int>("upForceRows");

    const CUIntArray five = {10, 11, 12, 13, 14};
    const CUIntArray forces = {50, 100, 250, 400, 300};
    QTest::newRow("forces shorter than positions")
        << 4 << five << CUIntArray{50, 100, 250} << CUIntArray{} << CUIntArray{14, 12}
        << CUIntArray{300, 200} << 5 << 3 << 2 << 2;
    QTest::newRow("step times shorter than positions")
        << 5 << five << forces << CUIntArray{6000, 6000} << CUIntArray{} << CUIntArray{} << 2 << 2
        << 0 << 0;
    QTest::newRow("empty up stroke drawn with dwell 0")
        << 4 << five << forces << CUIntArray{} << CUIntArray{} << CUIntArray{} << 5 << 5 << 0 << 0;
    QTest::newRow("up positions without forces")
        << 4 << five << forces << CUIntArray{} << CUIntArray{13, 12, 11} << CUIntArray{} << 5 << 5
        << 3 << 0;
    QTest::newRow("empty down forces with data present")
        << 4 << five << CUIntArray{} << CUIntArray{} << CUIntArray{14} << CUIntArray{10} << 5 << 0
        << 1 << 1;
    QTest::newRow("release 0 without step times")
        << 0 << five << forces << CUIntArray{} << CUIntArray{14} << CUIntArray{10} << 0 << 0 << 0
        << 0;
    QTest::newRow("contact beyond the positions")
        << 4 << CUIntArray{10} << CUIntArray{50, 100, 250} << CUIntArray{} << CUIntArray{}
        << CUIntArray{} << 1 << 1 << 0 << 0;
    QTest::newRow("no samples at all") << 5 << CUIntArray{} << CUIntArray{} << CUIntArray{}
                                       << CUIntArray{} << CUIntArray{} << 0 << 0 << 0 << 0;
}

void TestGraphPainter::shortArraysAreNeverReadPastTheirEnd()
{
    QFETCH(int, release);
    QFETCH(CUIntArray, dispDown);
    QFETCH(CUIntArray, forceDown);
    QFETCH(CUIntArray, stepsDown);
    QFETCH(CUIntArray, dispUp);
    QFETCH(CUIntArray, forceUp);

    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    record.m_arrDispDown = dispDown;
    record.m_arrForceDown = forceDown;
    record.m_arrStepTimeDown = stepsDown;
    record.m_arrDispUp = dispUp;
    record.m_arrForceUp = forceUp;
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    Render(record, kLogicalSize, &texts);

    QTEST(int(TextsAt(texts, 626, 75).size()), "positionRows");
    QTEST(int(TextsAt(texts, 702, 75).size()), "forceRows");
    QTEST(int(TextsAt(texts, 840, 75).size()), "upPositionRows");
    QTEST(int(TextsAt(texts, 916, 75).size()), "upForceRows");
}

void TestGraphPainter::fontUnitFollowsClientHeight_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("unit");

    QTest::newRow("600") << 600 << 45;
    QTest::newRow("508") << 508 << 45;
    QTest::newRow("507, bit of weight 2 set") << 507 << 46;
    QTest::newRow("503") << 503 << 46;
    QTest::newRow("112") << 112 << 45;
    QTest::newRow("114") << 114 << 46;
    QTest::newRow("10") << 10 << 57;
    QTest::newRow("2: divisor 0") << 2 << 45;
}

void TestGraphPainter::fontUnitFollowsClientHeight()
{
    QFETCH(int, height);
    QFETCH(int, unit);

    QCOMPARE(CGraphPainter::FontUnit(height), unit);

    CImpactRecord record;
    QList<DrawnText> texts;
    Render(record, QSize(100, height), &texts);  // every height draws, however small
    QVERIFY(!texts.isEmpty());
    QCOMPARE(texts.constFirst().heightLogical, int(96 * 3 * unit / 720.0));
}

void TestGraphPainter::fontHeightsFromScreenResolution()
{
    CImpactRecord record;
    QList<DrawnText> texts;
    Render(record, QSize(1016, 600), &texts);

    // u = 45 at a client height of 600: 13.5, 9 and 18 points at 96 dpi.
    QMap<CGraphPainter::FontRole, int> heights;
    for (const DrawnText& text : texts)
        heights.insert(text.font, text.heightLogical);
    QCOMPARE(heights.value(CGraphPainter::FontRole::Table), 18);
    QCOMPARE(heights.value(CGraphPainter::FontRole::Label), 12);
    QCOMPARE(heights.value(CGraphPainter::FontRole::Title), 24);
}

void TestGraphPainter::tableRowsStopAtTheDeviceEdge()
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 4;
    for (quint32 i = 0; i < 100; ++i) {
        record.m_arrDispDown.append(i);
        record.m_arrForceDown.append(10 * i);
    }
    record.ComputeTraceStats();
    record.m_bDataPresent = true;

    // Row 43's top (935) lies on the screen, row 44's (955) below it.
    QList<DrawnText> screen;
    Render(record, kLogicalSize, &screen);
    QCOMPARE(TextsAt(screen, 626, 75).size(), 44);
    QCOMPARE(TextsAt(screen, 702, 75).size(), 44);

    // A page taller than the scaled drawing still prints the rows below it.
    QList<DrawnText> page;
    const QImage image = RenderPage(record, QSize(1016, 2000), &page);
    QCOMPARE(TextsAt(page, 626, 75).size(), 97);
    QCOMPARE(TextsAt(page, 626, 75).constLast().text, QStringLiteral("96"));
    QVERIFY(CountColour(image, QColor(90, 90, 90), QRect(588, 1900, 418, 100)) > 0);
}

void TestGraphPainter::screenMappingStretchesPageMappingKeepsAspect()
{
    CImpactRecord record;

    // The screen: x and y scaled independently (0.5 and 2).
    const QImage stretched = Render(record, QSize(508, 1892));
    QVERIFY(ColourNear(stretched, 35, 400, kBlack));    // y axis, x = 70
    QVERIFY(ColourNear(stretched, 200, 880, kBlack));   // x axis, y = 440
    QVERIFY(ColourNear(stretched, 397, 1000, kBlack));  // divider, x = 795

    // A page: one scale for both axes, from the top-left corner; a wide page
    // is filled in height, a tall one in width.
    QCOMPARE(CGraphPainter::PageViewport(QSize(4000, 946)), QRect(0, 0, 1016, 946));
    QCOMPARE(CGraphPainter::PageViewport(QSize(2032, 4000)), QRect(0, 0, 2032, 1892));
    const QImage tall = RenderPage(record, QSize(2032, 4000));
    QVERIFY(ColourNear(tall, 140, 400, kBlack));
    QVERIFY(ColourNear(tall, 400, 880, kBlack));
    QVERIFY(ColourNear(tall, 1590, 1000, kBlack));
    QCOMPARE(CountColour(tall, kBlack, QRect(0, 1900, 2032, 2100)), 0);
    const QImage wide = RenderPage(record, QSize(3000, 473));
    QVERIFY(ColourNear(wide, 397, 300, kBlack));
    QCOMPARE(CountColour(wide, kBlack, QRect(520, 0, 2480, 473)), 0);

    // Shrunk below one pixel, thin lines keep their full colour.
    const QImage pane = Render(record, QSize(751, 546));
    QVERIFY(CountColour(pane, kGrid) > 5000);
    QVERIFY(ColourNear(pane, 587, 300, kBlack));  // the divider, x = 795 * 751 / 1016
}

void TestGraphPainter::tableRunsOnButTracesStayInTheirPlots()
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 4;
    // 200 samples (72 ms) over a range of 300 counts.
    for (quint32 i = 0; i < 200; ++i) {
        record.m_arrDispDown.append(1000 + (i * 3) / 2);
        record.m_arrForceDown.append(500);
    }
    record.ComputeTraceStats();
    record.m_bDataPresent = true;
    const QImage image = RenderPage(record, QSize(1016, 1400));  // a unit a pixel, room below

    QCOMPARE(CountColour(image, kTrace, QRect(0, 0, 1016, 47)), 0);     // the title
    QCOMPARE(CountColour(image, kTrace, QRect(523, 0, 493, 1400)), 0);  // the table
    QVERIFY(CountColour(image, kTrace, QRect(70, 50, 451, 391)) > 0);
    QVERIFY(CountColour(image, QColor(90, 90, 90), QRect(588, 946, 418, 454)) > 0);
}

void TestGraphPainter::absurdValuesDrawWithoutOverflow()
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    record.m_arrDispDown = {0, 0xFFFFFFFFu, 7};
    record.m_arrForceDown = {0xFFFFFFFFu, 0, 0xFFFFFFFFu};
    record.m_arrStepTimeDown = {0xFFFFFFFFu, 0xFFFFFFFFu, 1};
    record.m_nContactIndex = 3;  // stale statistics
    record.m_nActualForce = std::numeric_limits<int>::max();
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    Render(record, kLogicalSize, &texts);
    RenderPage(record, QSize(800, 1200));

    QCOMPARE(forceScaleStep, 21474834);
    // (100k + 260) div (5k + 10) = 20 divisions of 5 (k + 2) each, beyond the int range.
    QCOMPARE(TextsAt(texts, 45, 513).constLast().text, QStringLiteral("2147483600"));
    QCOMPARE(Strings(TextsAt(texts, 626, 75)).at(1),
             QStringLiteral("-5556"));  // %d of a wrapped difference
}

void TestGraphPainter::writesThePanePictureAsPng()
{
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.png"));
    QString error;
    QVERIFY2(CGraphFileWriter::WritePng(record, path, CGraphFileWriter::kDefaultClientSize, &error),
             qPrintable(error));

    const QImage written(path);
    QCOMPARE(written.size(), CGraphFileWriter::kDefaultClientSize);
    QCOMPARE(written.convertToFormat(QImage::Format_RGB32),
             Render(record, CGraphFileWriter::kDefaultClientSize));
    QVERIFY(CountColour(written, kTrace) > 0);
}

void TestGraphPainter::writesOnePdfPage()
{
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    QString error;
    QVERIFY2(CGraphFileWriter::WritePdf(record, path, 546, &error), qPrintable(error));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(QString::fromLatin1(pdf).count(page), 1);
}

void TestGraphPainter::unwritableFileIsReported()
{
    CImpactRecord record;
    const QString path = QStringLiteral("/nonexistent-directory/graph.png");
    QString error;
    QVERIFY(!CGraphFileWriter::WritePng(record, path, QSize(100, 100), &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    error.clear();
    QVERIFY(!CGraphFileWriter::WritePdf(record, QStringLiteral("/nonexistent-directory/g.pdf"), 546,
                                        &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(
        !CGraphFileWriter::WritePng(record, QStringLiteral("unused.png"), QSize(0, 10), &error));
}

void TestGraphPainter::classicRunsDrawAsBefore_data()
{
    using ClassicRecords::Kind;
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("page");
    QTest::addColumn<QString>("digest");

    QTest::newRow("no data, logical size")
        << Kind::Empty << kLogicalSize << false << "6df67baa760d8f9c8b9126936fdd5c2c9f755973";
    QTest::newRow("impact, logical size")
        << Kind::Impact << kLogicalSize << false << "b231a40f6f6e3b14fa9794283cb1c98b6f5fbb50";
    QTest::newRow("impact, default pane")
        << Kind::Impact << QSize(751, 546) << false << "7855372b9dcff20ea3848a9848d0cbd61df4f735";
    QTest::newRow("impact, 1920 x 1080")
        << Kind::Impact << QSize(1920, 1080) << false << "9a69def1721e5e554635ba911d762beb785b4ebb";
    QTest::newRow("edges, logical size") << Kind::EdgesRelease5 << kLogicalSize << false
                                         << "fdcb551eb4d790842030fb8092260584395dd30f";
    QTest::newRow("edges, 1920 x 1080") << Kind::EdgesRelease5 << QSize(1920, 1080) << false
                                        << "2f06e1e39f9235819e76eba8c1a28094849fd3ea";
    QTest::newRow("edges, A4 page at 150 dpi") << Kind::EdgesRelease5 << QSize(1122, 1654) << true
                                               << "563722f9b090706417137c42f7fa263b8f3964df";
    QTest::newRow("high force with dwell, logical size")
        << Kind::HighForceDwell << kLogicalSize << false
        << "27dfc97ddf5a140500c414d0e7fd5c16896b082b";
}

// The digests are of the pictures the painter drew before axes could grow and
// labels be thinned, with the contact line kept out of the gap between the
// plots: a run that fits must still give exactly that picture.
void TestGraphPainter::classicRunsDrawAsBefore()
{
    QFETCH(ClassicRecords::Kind, kind);
    QFETCH(QSize, size);
    QFETCH(bool, page);
    QFETCH(QString, digest);

    CImpactRecord record;
    record.m_bDataPresent = ClassicRecords::Fill(record, kind);
    const QImage image = page ? RenderPage(record, size) : Render(record, size);
    const QByteArray pixels(reinterpret_cast<const char*>(image.constBits()),
                            qsizetype(image.sizeInBytes()));
    QCOMPARE(QString(QCryptographicHash::hash(pixels, QCryptographicHash::Sha1).toHex()), digest);
}

void TestGraphPainter::wholeStrokeFitsTheGrownAxes_data()
{
    QTest::addColumn<int>("force");
    QTest::addColumn<int>("velocity");
    QTest::addColumn<int>("timeMs");
    QTest::addColumn<int>("dispStep");
    QTest::addColumn<int>("forceStep");

    QTest::newRow("100 K dynes, 1 mm/s") << 100 << 1 << 720 << 100 << 0;
    QTest::newRow("500 K dynes, 1 mm/s") << 500 << 1 << 720 << 100 << 3;
    QTest::newRow("1000 K dynes, 1 mm/s") << 1000 << 1 << 720 << 100 << 6;
    QTest::newRow("100 K dynes, 100 mm/s") << 100 << 100 << 60 << 100 << 0;
    QTest::newRow("500 K dynes, 100 mm/s") << 500 << 100 << 90 << 200 << 3;
    QTest::newRow("1000 K dynes, 100 mm/s") << 1000 << 100 << 90 << 200 << 6;
}

// A trace that would leave its plot grows the axis it leaves, by as little
// as holds the whole stroke; no trace pixel lies outside its plot.
void TestGraphPainter::wholeStrokeFitsTheGrownAxes()
{
    QFETCH(int, force);
    QFETCH(int, velocity);

    CImpactRecord record;
    FillModelledImpact(record, force, velocity);
    record.m_bDataPresent = true;
    const CGraphAxes axes = CGraphAxes::ForRecord(record, true, 0);
    QTEST(int(axes.TimeFullScaleMs()), "timeMs");
    QTEST(axes.DispStepMicrons(), "dispStep");
    QTEST(axes.ForceScaleStep(), "forceStep");

    const QRect upper(QPoint(70, 50), QPoint(520, 440));
    const QRect lower(QPoint(70, 520), QPoint(520, 910));
    const QList<SamplePoint> points = SamplePoints(record, axes);
    for (const SamplePoint& point : points) {
        QVERIFY(upper.contains(point.disp));
        QVERIFY(lower.contains(point.force));
    }
    // One step less on any grown axis would not hold the stroke.
    if (axes.TimeFullScaleMs() > 30)
        QVERIFY(points.constLast().timeMs > axes.TimeFullScaleMs() - 30);
    const int multiple = axes.DispStepMicrons() / 100;
    if (multiple > 1)
        QVERIFY(2.6 / (multiple - 1) * (record.m_nDispMax - record.m_nDispMin) > 390);
    if (axes.ForceScaleStep() > CGraphAxes::ForceScaleStep(record.m_nActualForce))
        QVERIFY(record.m_nForceMax / 10 > 100 * quint32(axes.ForceScaleStep() - 1) + 260);

    const auto topmost = [](const SamplePoint& a, const SamplePoint& b) {
        return a.disp.y() < b.disp.y();
    };
    const auto peak = [](const SamplePoint& a, const SamplePoint& b) {
        return a.force.y() < b.force.y();
    };
    const QList<QPoint> ends = {
        points.constFirst().disp,
        points.constLast().disp,
        std::min_element(points.cbegin(), points.cend(), topmost)->disp,
        std::max_element(points.cbegin(), points.cend(), topmost)->disp,
        points.constLast().force,
        std::min_element(points.cbegin(), points.cend(), peak)->force,
    };
    for (const QSize size : {kLogicalSize, QSize(530, 530)}) {
        const QImage image = Render(record, size);
        const int inside = CountColour(image, kTrace, PlotOnImage(upper, size)) +
                           CountColour(image, kTrace, PlotOnImage(lower, size));
        QCOMPARE(CountColour(image, kTrace), inside);
        for (const QPoint end : ends)
            QVERIFY2(ColourNear(image, OnImage(end, size).x(), OnImage(end, size).y(), kTrace),
                     qPrintable(QStringLiteral("%1, %2").arg(end.x()).arg(end.y())));
    }
}

void TestGraphPainter::labelsNeverOverlap_data()
{
    QTest::addColumn<int>("force");  // 0: the short classic impact
    QTest::addColumn<int>("velocity");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("timeLabels");

    const QSize pane(530, 530);
    const QSize wide(1920, 1080);
    QTest::newRow("classic impact, pane") << 0 << 0 << pane << 16;
    QTest::newRow("classic impact, 1920 x 1080") << 0 << 0 << wide << 31;
    for (const int force : {100, 500, 1000}) {
        for (const int velocity : {1, 100}) {
            const QString run = QStringLiteral("%1 K dynes, %2 mm/s").arg(force).arg(velocity);
            QTest::newRow(qPrintable(run + ", pane")) << force << velocity << pane << 16;
            QTest::newRow(qPrintable(run + ", 1920 x 1080")) << force << velocity << wide << 31;
        }
    }
}

void TestGraphPainter::labelsNeverOverlap()
{
    QFETCH(int, force);
    QFETCH(int, velocity);
    QFETCH(QSize, size);

    CImpactRecord record;
    if (force == 0)
        FillImpact(record);
    else
        FillModelledImpact(record, force, velocity);
    record.m_bDataPresent = true;
    QList<DrawnText> texts;
    Render(record, size, &texts);

    const QList<DrawnText> labels = TickLabels(texts);
    QCOMPARE(FirstOverlap(labels), QString());
    QTEST(CountAtTop(labels, 450), "timeLabels");
    QCOMPARE(CountAtTop(labels, 920), CountAtTop(labels, 450));
    QCOMPARE(Strings(TextsAt(labels, 71)), (QStringList{"0", "0"}));
}

void TestGraphPainter::everyLabelThatFitsIsPrinted_data()
{
    QTest::addColumn<int>("force");  // 0: the short classic impact
    QTest::addColumn<int>("velocity");
    QTest::addColumn<int>("timeLabels");

    QTest::newRow("classic impact") << 0 << 0 << 31;
    QTest::newRow("100 K dynes, 100 mm/s") << 100 << 100 << 31;
    QTest::newRow("500 K dynes, 100 mm/s") << 500 << 100 << 31;
    QTest::newRow("1000 K dynes, 100 mm/s") << 1000 << 100 << 31;
    QTest::newRow("100 K dynes, 1 mm/s: three digits in 1 ms of grid") << 100 << 1 << 16;
}

// On an A4 page at the printer's resolution every label stays where its
// neighbours leave room for it.
void TestGraphPainter::everyLabelThatFitsIsPrinted()
{
    QFETCH(int, force);
    QFETCH(int, velocity);

    CImpactRecord record;
    if (force == 0)
        FillImpact(record);
    else
        FillModelledImpact(record, force, velocity);
    record.m_bDataPresent = true;

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QList<DrawnText> texts;
    {
        QPainter painter(&printer);
        CGraphPainter graph(record, forceScaleStep);
        graph.SetScreenDpiY(96);
        graph.SetTextLog(&texts);
        graph.PaintPage(painter, QSize(printer.width(), printer.height()), 600);
    }

    const QList<DrawnText> labels = TickLabels(texts);
    QCOMPARE(FirstOverlap(labels), QString());
    QTEST(CountAtTop(labels, 450), "timeLabels");
    QCOMPARE(CountAtTop(labels, 920), CountAtTop(labels, 450));
    QCOMPARE(TextsAt(labels, 45, 0).size() - TextsAt(labels, 45, 513).size(), 27);
    const qint64 step = forceScaleStep;
    QCOMPARE(TextsAt(labels, 45, 513).size(), (100 * step + 260) / (5 * step + 10) + 1);
}

void TestGraphPainter::printoutHoldsEveryRowOnce_data()
{
    // A page of 1016 x 1481 units at one unit a pixel: 65 rows under the
    // header and the picture, then two blocks of 68 rows a page.
    QTest::addColumn<int>("downRows");
    QTest::addColumn<int>("pages");
    QTest::newRow("within the first page") << 40 << 1;
    QTest::newRow("the first page full") << 65 << 1;
    QTest::newRow("one row more") << 66 << 2;
    QTest::newRow("the second page full") << 65 + 136 << 2;
    QTest::newRow("one row into a third") << 65 + 137 << 3;
    QTest::newRow("a 1 mm/s run") << 1000 << 8;
}

// Every sample's row is printed on exactly one page, in order.
void TestGraphPainter::printoutHoldsEveryRowOnce()
{
    QFETCH(int, downRows);
    CImpactRecord record = CleanRecord(downRows);
    const QSize page(1016, 1481);
    QList<DrawnText> texts;
    CRunPrintout printout(record, forceScaleStep, CQualityThresholds(), QString());
    printout.SetScreen(600, 96);
    printout.SetTextLog(&texts);
    QTEST(printout.PageCount(page), "pages");
    for (int i = 0; i < printout.PageCount(page); ++i) {
        QImage image(page, QImage::Format_RGB32);
        QPainter painter(&image);
        printout.PaintPage(painter, page, i);
    }
    const CImpactSamples samples = CImpactSamples::Of(record);
    for (const auto& [stroke, timeX] : {std::pair(CImpactSamples::Stroke::Down, 765),
                                        std::pair(CImpactSamples::Stroke::Up, 979)}) {
        QStringList expected, printed;
        for (qsizetype row = 0; const CImpactSamples::Sample* sample = samples.At(stroke, row);
             ++row)
            expected << QString::asprintf("%.2f", sample->timeMs);
        for (const DrawnText& text : std::as_const(texts))
            if (text.pos.x() == timeX && text.pos.y() >= 75)
                printed << text.text;
        QCOMPARE(printed, expected);
    }
}

void TestGraphPainter::nearestSampleByTime_data()
{
    // FillImpact: 20 down-stroke samples 0.36 ms apart, the up stroke's 10 from 7.20 ms.
    QTest::addColumn<double>("timeMs");
    QTest::addColumn<int>("index");
    QTest::newRow("before the first") << -5.0 << 0;
    QTest::newRow("half way: the earlier") << 0.18 << 0;
    QTest::newRow("past half way") << 0.19 << 1;
    QTest::newRow("the up stroke's first") << 7.21 << 20;
    QTest::newRow("after the last") << 100.0 << 29;
}

void TestGraphPainter::nearestSampleByTime()
{
    QFETCH(double, timeMs);
    CImpactRecord record;
    FillImpact(record);
    record.m_bDataPresent = true;
    QTEST(int(CImpactSamples::Of(record).NearestTo(timeMs)), "index");
    record.m_nDesiredDwell = 2;  // a dwell: the up stroke is neither drawn nor listed
    QCOMPARE(CImpactSamples::Of(record).UpCount(), 0);
}

QTEST_MAIN(TestGraphPainter)
#include "tst_graph_painter.moc"

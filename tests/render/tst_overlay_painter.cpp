#include "ImpactRecord.h"
#include "PixelCount.h"
#include "render/CGraphPainter.h"
#include "render/COverlayPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using Trace = COverlayPainter::Trace;

namespace {

Trace MakeTrace(QList<double> times, QList<double> disp, QList<double> force, bool flagged = false)
{
    Trace trace;
    trace.timeMs = times;
    trace.dispMicrons = disp;
    trace.forceKdyn = force;
    trace.bFlagged = flagged;
    return trace;
}

bool Near(const QList<double>& actual, const QList<double>& expected)
{
    if (actual.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (qAbs(actual[i] - expected[i]) > 1e-9)
            return false;
    }
    return true;
}

QImage Paint(const QList<COverlayPainter::Group>& groups)
{
    QImage image(620, 877, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    COverlayPainter(groups).Paint(painter, QRectF(image.rect()));
    return image;
}

// The mean traces and the legend are drawn in the group's pure colour.
int CountMeanInk(const QImage& image, const QColor& colour)
{
    return CountColour(image, colour);
}

}  // namespace

class TestOverlayPainter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void traceFollowsTheGraphsTime_data();
    void traceFollowsTheGraphsTime();
    void meanOfTheUnflaggedOverTheCommonSpan();
    void eachGroupHasItsColourAndDash();
};

void TestOverlayPainter::initTestCase()
{
    CGraphPainter::SubstituteArial();
}

void TestOverlayPainter::traceFollowsTheGraphsTime_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<CUIntArray>("stepsDown");
    QTest::addColumn<CUIntArray>("stepsUp");
    QTest::addColumn<QList<double>>("times");
    // Down: positions 100, 110, 120 (forces 0, 50, 300 tenths); up: 120, 105.
    QTest::newRow("release 4: 0.36 ms a sample, the up stroke going on")
        << 4 << CUIntArray{} << CUIntArray{} << QList<double>{0, 0.36, 0.72, 1.08, 1.44};
    // 5000 counts of 60 ns are 0.3 ms, 10000 are 0.6 ms.
    QTest::newRow("release 5: each sample's step")
        << 5 << CUIntArray{5000, 10000, 5000} << CUIntArray{10000, 5000}
        << QList<double>{0, 0.3, 0.9, 1.2, 1.8};
    QTest::newRow("release 5: up to the first sample without a step")
        << 5 << CUIntArray{5000, 10000, 5000} << CUIntArray{10000}
        << QList<double>{0, 0.3, 0.9, 1.2};
}

void TestOverlayPainter::traceFollowsTheGraphsTime()
{
    QFETCH(int, release);
    QFETCH(CUIntArray, stepsDown);
    QFETCH(CUIntArray, stepsUp);
    QFETCH(QList<double>, times);
    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    record.m_arrDispDown = {100, 110, 120};
    record.m_arrForceDown = {0, 50, 300};
    record.m_arrDispUp = {120, 105};
    record.m_arrForceUp = {200, 10};
    record.m_arrStepTimeDown = stepsDown;
    record.m_arrStepTimeUp = stepsUp;
    const Trace trace = COverlayPainter::TraceOf(record);
    QVERIFY(Near(trace.timeMs, times));
    // Travel from the start, 17.63889 microns a count; K dynes to a tenth.
    const QList<double> travel = {0, 176.3889, 352.7778, 352.7778, 88.19445};
    const QList<double> force = {0, 5, 30, 20, 1};
    QVERIFY(Near(trace.dispMicrons, travel.mid(0, times.size())));
    QVERIFY(Near(trace.forceKdyn, force.mid(0, times.size())));
}

// Worked by hand: traces A (0, 0.2 ms: 0, 10) and B (0, 0.15, 0.3 ms: 2, 8,
// 14), C flagged. Over 0 to 0.2 ms (A ends first), every 0.1 ms:
//   t 0   : A 0, B 2            -> 1
//   t 0.1 : A 5, B 2 + 6 x 2/3 = 6 -> 5.5
//   t 0.2 : A 10, B 8 + 6 x 1/3 = 10 -> 10
void TestOverlayPainter::meanOfTheUnflaggedOverTheCommonSpan()
{
    const Trace a = MakeTrace({0, 0.2}, {0, 10}, {0, 100});
    const Trace b = MakeTrace({0, 0.15, 0.3}, {2, 8, 14}, {20, 80, 140});
    const Trace c = MakeTrace({0, 5}, {500, 500}, {900, 900}, true);
    const Trace mean = COverlayPainter::MeanOf({a, b, c});
    QVERIFY(Near(mean.timeMs, {0, 0.1, 0.2}));
    QVERIFY(Near(mean.dispMicrons, {1, 5.5, 10}));
    QVERIFY(Near(mean.forceKdyn, {10, 55, 100}));
    QVERIFY(COverlayPainter::MeanOf({c}).timeMs.isEmpty());
}

// Colours and dashes tell five groups apart; each group drawn is in the
// picture in its colour, and a colour no group has is not.
void TestOverlayPainter::eachGroupHasItsColourAndDash()
{
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            QVERIFY(COverlayPainter::GroupColour(i) != COverlayPainter::GroupColour(j));
            QVERIFY(COverlayPainter::GroupDash(i) != COverlayPainter::GroupDash(j));
        }
    }
    CImpactRecord low = CleanRecord(40);
    CImpactRecord high = CleanRecord(60);
    const QList<COverlayPainter::Group> two = {
        {QStringLiteral("sham"), {COverlayPainter::TraceOf(low), COverlayPainter::TraceOf(low)}},
        {QStringLiteral("injured"), {COverlayPainter::TraceOf(high)}}};
    const QImage both = Paint(two);
    QVERIFY(CountMeanInk(both, COverlayPainter::GroupColour(0)) > 200);
    QVERIFY(CountMeanInk(both, COverlayPainter::GroupColour(1)) > 200);
    QCOMPARE(CountMeanInk(both, COverlayPainter::GroupColour(2)), 0);
    const QImage one = Paint(two.mid(0, 1));
    QCOMPARE(CountMeanInk(one, COverlayPainter::GroupColour(1)), 0);
}

QTEST_MAIN(TestOverlayPainter)
#include "tst_overlay_painter.moc"

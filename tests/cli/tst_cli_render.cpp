#include "CliProcess.h"
#include "ImpactRecord.h"
#include "PixelCount.h"
#include "core/CZentakDoc.h"
#include "core/record/CRunStamp.h"
#include "render/COverlayPainter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor kTrace(0, 0, 192);
const QColor kMarker(255, 0, 0);

// Pixels of the grey table values (smoothed glyph edges included), not of
// the lighter grid or the black rules.
int CountValueInk(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            const bool grey = colour.red() == colour.green() && colour.green() == colour.blue();
            count += grey && colour.red() >= 60 && colour.red() < 180;
        }
    }
    return count;
}

// A logical rectangle of the 1016 x 946 drawing on an image of another size.
QRect Scaled(const QImage& image, int left, int top, int right, int bottom)
{
    const double sx = image.width() / 1016.0;
    const double sy = image.height() / 946.0;
    return QRect(QPoint(int(left * sx), int(top * sy)), QPoint(int(right * sx), int(bottom * sy)));
}

}  // namespace

class TestCliRender : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString savedRun;

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase();
    void drawsASavedRunAsPng();
    void sizeSetsThePane();
    void drawsARelease4File();
    void drawsOnePdfPage();
    void badArguments_data();
    void badArguments();
    void missingFileFails();
    void loadMessageGivesFailure();
    void unwritableOutputFails();
    void overlayDrawsEachGroup();
    void overlayListsWhatItCannotDraw_data();
    void overlayListsWhatItCannotDraw();
};

// A release-5 run of 40 samples a stroke, saved as the window saves it.
void TestCliRender::initTestCase()
{
    QVERIFY(dir.isValid());
    CZentakDoc doc;
    CImpactRecord& record = doc.EditRecord();
    record.m_nFirmwareRelease = 5;
    record.m_strFirmwareVersion = QStringLiteral("R5.1");
    for (quint32 i = 0; i < 40; ++i) {
        record.m_arrDispDown.append(2000 + 2 * i);
        record.m_arrForceDown.append(i < 8 ? 60 : 250 + 50 * (i - 8));
        record.m_arrStepTimeDown.append(6000);
        record.m_arrDispUp.append(2078 - 2 * i);
        record.m_arrForceUp.append(1800 - 45 * i);
        record.m_arrStepTimeUp.append(6000);
    }
    record.DeriveActualValues();
    doc.SetDataPresent(true);
    savedRun = Path("run.exp");
    QVERIFY(doc.Save(savedRun));
}

void TestCliRender::drawsASavedRunAsPng()
{
    const QString png = Path("run.png");
    const CliOutcome result =
        RunCli({QStringLiteral("render"), savedRun, QStringLiteral("-o"), png});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));

    const QImage image(png);
    QCOMPARE(image.size(), QSize(529, 527));  // the graph pane of the 800 x 600 window
    QVERIFY(CountColour(image, kTrace, Scaled(image, 70, 50, 520, 440)) > 50);
    QVERIFY(CountColour(image, kTrace, Scaled(image, 70, 520, 520, 910)) > 50);
    QVERIFY(CountColour(image, kMarker, image.rect()) > 0);
    // 40 rows of values in both halves of the table.
    QVERIFY(CountValueInk(image, Scaled(image, 588, 75, 793, 900)) > 500);
    QVERIFY(CountValueInk(image, Scaled(image, 797, 75, 1006, 900)) > 500);
}

void TestCliRender::sizeSetsThePane()
{
    const QString png = Path("small.png");
    const CliOutcome result = RunCli({QStringLiteral("render"), savedRun, QStringLiteral("--size"),
                                      QStringLiteral("400x300"), QStringLiteral("-o"), png});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QImage(png).size(), QSize(400, 300));
}

void TestCliRender::drawsARelease4File()
{
    const QString png = Path("release4.png");
    const CliOutcome result =
        RunCli({QStringLiteral("render"), QStringLiteral(ZENTAK_TEST_DATA "/release4.exp"),
                QStringLiteral("-o"), png});
    QCOMPARE(result.exitCode, 0);
    const QImage image(png);
    QVERIFY(CountColour(image, kTrace, Scaled(image, 70, 50, 520, 440)) > 0);
    QVERIFY(CountColour(image, kTrace, Scaled(image, 70, 520, 520, 910)) > 0);
}

void TestCliRender::drawsOnePdfPage()
{
    const QString pdf = Path("run.pdf");
    const CliOutcome result =
        RunCli({QStringLiteral("render"), savedRun, QStringLiteral("-o"), pdf});
    QCOMPARE(result.exitCode, 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    QVERIFY(contents.startsWith("%PDF-"));
    QCOMPARE(QString::fromLatin1(contents).count(
                 QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
             1);
}

void TestCliRender::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{"render"};
    QTest::newRow("no output") << QStringList{"render", "run.exp"};
    QTest::newRow("no input") << QStringList{"render", "-o", "out.png"};
    QTest::newRow("output without value") << QStringList{"render", "run.exp", "-o"};
    QTest::newRow("unknown option") << QStringList{"render", "run.exp", "-o", "out.png", "--dpi"};
    QTest::newRow("two inputs") << QStringList{"render", "a.exp", "b.exp", "-o", "out.png"};
    QTest::newRow("other picture type") << QStringList{"render", "run.exp", "-o", "out.jpg"};
    QTest::newRow("size without height")
        << QStringList{"render", "run.exp", "-o", "out.png", "--size", "751"};
    QTest::newRow("zero size") << QStringList{"render",  "run.exp", "-o",
                                              "out.png", "--size",  "0x5"};
    QTest::newRow("huge size") << QStringList{"render",  "run.exp", "-o",
                                              "out.png", "--size",  "99999x99999"};
}

void TestCliRender::badArguments()
{
    QFETCH(QStringList, args);
    const CliOutcome result = RunCli(args);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.contains(QLatin1String("usage: zentak-cli render")));
    QVERIFY(!QFile::exists(QStringLiteral("out.png")));
}

void TestCliRender::missingFileFails()
{
    const CliOutcome result = RunCli(
        {QStringLiteral("render"), Path("absent.exp"), QStringLiteral("-o"), Path("absent.png")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains(QLatin1String("absent.exp")));
    QVERIFY(!QFile::exists(Path("absent.png")));
}

void TestCliRender::loadMessageGivesFailure()
{
    const QString notes = Path("notes.exp");
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("shopping list\r\n");
    file.close();
    const CliOutcome result =
        RunCli({QStringLiteral("render"), notes, QStringLiteral("-o"), Path("notes.png")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QLatin1String("Not a Valid Experiment File.")),
             qPrintable(result.err));
}

void TestCliRender::unwritableOutputFails()
{
    const CliOutcome result = RunCli({QStringLiteral("render"), savedRun, QStringLiteral("-o"),
                                      QStringLiteral("/nonexistent-directory/run.png")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(
                 QLatin1String("The folder of /nonexistent-directory/run.png was not found.")),
             qPrintable(result.err));
}

// Two groups by subject, a third impact with no subject grouped by its
// file's name: a picture of an A4 page at 150 dpi and a one-page PDF.
void TestCliRender::overlayDrawsEachGroup()
{
    const QString study = Path("study");
    QDir().mkpath(study);
    const QList<std::pair<QString, QString>> impacts = {
        {"a.exp", "sham-1"}, {"b.exp", "injured-1"}, {"sham-2.exp", ""}};
    for (const auto& [name, subject] : impacts) {
        CZentakDoc doc;
        doc.EditRecord() = CleanRecord(subject.startsWith(u'i') ? 60 : 40);
        doc.EditRecord().m_strFirmwareVersion = QStringLiteral("R4.x");
        doc.EditRecord().m_strComments = CRunStamp::Comments(QDateTime::currentDateTime(), subject);
        QVERIFY(doc.Save(study + u'/' + name));
    }
    const QString png = Path("overlay.png");
    CliOutcome result = RunCli({"overlay", study, "-o", png, "--group-by", "^(sham|injured)"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    const QImage image(png);
    QCOMPARE(image.size(), QSize(1240, 1754));
    QVERIFY(CountColour(image, COverlayPainter::GroupColour(0)) > 500);
    QVERIFY(CountColour(image, COverlayPainter::GroupColour(1)) > 500);
    QCOMPARE(CountColour(image, COverlayPainter::GroupColour(2)), 0);

    const QString pdf = Path("overlay.pdf");
    result = RunCli({"overlay", study, "-o", pdf});
    QCOMPARE(result.exitCode, 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    QVERIFY(contents.startsWith("%PDF-"));
    QCOMPARE(QString::fromLatin1(contents).count(
                 QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
             1);
}

void TestCliRender::overlayListsWhatItCannotDraw_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    const QString usage = QStringLiteral(
        "\nusage: zentak-cli overlay FILES... -o OUT.png|OUT.pdf [--group-by REGEX]\n");
    QTest::newRow("no output") << QStringList{"overlay", "a.exp"} << 2
                               << "zentak-cli overlay: no output file given (-o OUT.png or -o "
                                  "OUT.pdf)" +
                                      usage;
    QTest::newRow("not a picture")
        << QStringList{"overlay", "a.exp", "-o", "a.svg"} << 2
        << "zentak-cli overlay: the output file must end in .png or .pdf" + usage;
    QTest::newRow("no capture group")
        << QStringList{"overlay", "a.exp", "-o", "a.png", "--group-by", "x"} << 2
        << "zentak-cli overlay: --group-by: 'x' has no capture group to name the group by, "
           "e.g. '^(sham|injured)'" +
               usage;
    // untimed.exp: the samples of run.exp without their step counts or a
    // release, so without times.
    QTest::newRow("nothing readable")
        << QStringList{"overlay", "missing.exp", "untimed.exp", "-o", "never.png"} << 1
        << "These gave no impact to draw:\nmissing.exp: missing.exp was not found.\n"
           "untimed.exp: Its samples carry no times (no step counts), so it has no place on a "
           "time axis.\nNo impact to draw; nothing was written.\n";
}

void TestCliRender::overlayListsWhatItCannotDraw()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    CZentakDoc doc;
    QVERIFY(doc.Load(savedRun));
    doc.EditRecord().m_strFirmwareVersion.clear();
    doc.EditRecord().m_nFirmwareRelease = 0;
    doc.EditRecord().m_arrStepTimeDown.clear();
    doc.EditRecord().m_arrStepTimeUp.clear();
    QVERIFY(doc.Save(Path("untimed.exp")));
    const CliOutcome result = RunCli(arguments, {}, {dir.path(), {}});
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err, err);
    QVERIFY(!QFile::exists(Path("never.png")));
}

QTEST_MAIN(TestCliRender)
#include "tst_cli_render.moc"

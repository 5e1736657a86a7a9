#include "core/protocol/CExperimentDialogue.h"
#include "core/protocol/CRunDataParser.h"
#include "core/record/CImpactRecord.h"
#include "core/simulator/CImpactModel.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QTest>

#include <algorithm>
#include <limits>

namespace {

// Talks to the box byte for byte, with time moving only as the test says.
struct Terminal {
    explicit Terminal(const ControlBoxSimulator::Options& options = {}) : box(options) {}

    QByteArray Say(const QByteArray& bytes, qint64 waitMs = 100)
    {
        box.Deliver(bytes, now);
        now += waitMs;
        return box.TakeOutput(now, std::numeric_limits<int>::max());
    }

    // One impact from the mode prompt; returns what the download printed.
    QStringList Impact(int forceTenths, int velocity, int dwell)
    {
        Say(box.Settings().release == 5 ? "54\n" : "12\n");
        Say(QByteArray::number(forceTenths) + '\n');
        Say("1\n");
        Say(QByteArray::number(velocity) + '\n');
        Say(QByteArray::number(dwell) + '\n');
        QStringList chunks{QString::fromLatin1(Say("y", 100000))};
        while (!box.AtMainPrompt())
            chunks.append(QString::fromLatin1(Say("w")));
        return chunks;
    }

    ControlBoxSimulator box;
    qint64 now = 0;
};

ControlBoxSimulator::Options WithFault(const QString& fault, int release = 5)
{
    ControlBoxSimulator::Options options;
    options.release = release;
    if (!fault.isEmpty() && !options.AddFault(fault))
        qFatal("bad fault %s", qPrintable(fault));
    return options;
}

}  // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyLinesReprintTheModePrompt();
    void release5IdentifiesItself();
    void release4TakesAnyModeNumberAsAnImpact_data();
    void release4TakesAnyModeNumberAsAnImpact();
    void parameterPromptsFollowInTurn();
    void storesANewSensitivity_data();
    void storesANewSensitivity();
    void reprogramsFromTheModePrompt();
    void modePromptEchoesALoneR();
    void impactIsPhysicallyPlausible_data();
    void impactIsPhysicallyPlausible();
    void sameSeedGivesTheSameImpact();
    void mishapsArePhysicallyPlausible_data();
    void mishapsArePhysicallyPlausible();
    void boxIgnoresTheLineWhileTheProbeMoves();
    void parsesFaultNames_data();
    void parsesFaultNames();
    void silentAfterAnswersOnlyNTimes();
    void noiseAfterAndUnplugAfterNReplies();
    void silentDownloadHangsAtTheImpact();
    void wakeAfterAnswersLineFeedsWithLineEnds();
    void returningBoxWaitsForFirmware();
    void noPromptAndRepeatPrompt();
    void garbageIsLineNoiseOnly();
    void splitReplyCutsLinesAndThePrompt();
};

void TestSimulator::emptyLinesReprintTheModePrompt()
{
    Terminal t;
    QCOMPARE(t.Say("\n\n\n"), QByteArray("\r\nEnter Mode: \r\nEnter Mode: \r\nEnter Mode: "));
    QCOMPARE(t.box.Writes(), (QByteArrayList{"\n\n\n"}));
}

void TestSimulator::release5IdentifiesItself()
{
    Terminal t;
    const QString reply = QString::fromLatin1(t.Say("57\n"));
    QCOMPARE(reply, QStringLiteral("57\r\nR5.04 - Force Sensitivity (5431)\r\nEnter Mode: "));
    QCOMPARE(CExperimentDialogue::ReleaseText(reply), QStringLiteral("R5.04"));
    QCOMPARE(CExperimentDialogue::SensitivityValue(reply), 5431);
    QVERIFY(reply.size() <= 128);
}

void TestSimulator::release4TakesAnyModeNumberAsAnImpact_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::newRow("identification") << QByteArray("57\n");
    QTest::newRow("sensitivity") << QByteArray("86\n");
    QTest::newRow("impact") << QByteArray("54\n");
}

void TestSimulator::release4TakesAnyModeNumberAsAnImpact()
{
    QFETCH(QByteArray, mode);
    Terminal t(WithFault({}, 4));
    QVERIFY(t.Say(mode).endsWith("Enter Force (K dynes x 10): "));
    // The empty answer keeps it at the force prompt.
    const QByteArray again = t.Say("\n");
    QVERIFY(again.contains("Enter Force"));
    QVERIFY(!again.contains("Enter Mode"));
    QVERIFY(t.Say("R\n").contains("Enter Force"));
}

void TestSimulator::parameterPromptsFollowInTurn()
{
    Terminal t;
    QCOMPARE(t.Say("54\n"), QByteArray("54\r\nEnter Force (K dynes x 10): "));
    QCOMPARE(t.Say("5\n"), QByteArray("5\r\nOut of range\r\nEnter Force (K dynes x 10): "));
    QCOMPARE(t.Say("1000\n"), QByteArray("1000\r\nEnter Displacement (microns): "));
    QCOMPARE(t.Say("-5\n"), QByteArray("-5\r\nEnter Velocity (mm/s): "));
    QCOMPARE(t.Say("abc\n"), QByteArray("abc\r\nEnter Velocity (mm/s): "));
    QCOMPARE(t.Say("100\n"), QByteArray("100\r\nEnter Dwell (s): "));
    QCOMPARE(t.Say("61\n"), QByteArray("61\r\nOut of range\r\nEnter Dwell (s): "));
    QCOMPARE(t.Say("0\n"), QByteArray("0\r\nPress y to impact, any other key to cancel: "));
    QCOMPARE(t.Say("\n\n\n"), QByteArray("\r\nImpact cancelled\r\nEnter Mode: \r\nEnter Mode: "
                                         "\r\nEnter Mode: "));
    QCOMPARE(t.box.ImpactCount(), 0);
    QVERIFY(t.box.AtMainPrompt());
}

void TestSimulator::storesANewSensitivity_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("stored");
    QTest::newRow("Y") << QByteArray("Y") << 4800;
    QTest::newRow("y") << QByteArray("y") << 4800;
    QTest::newRow("N") << QByteArray("N") << 5431;
    QTest::newRow("line feed") << QByteArray("\n") << 5431;
}

void TestSimulator::storesANewSensitivity()
{
    QFETCH(QByteArray, key);
    QFETCH(int, stored);
    Terminal t;
    QVERIFY(t.Say("86\n").contains("force sensor reprogram"));
    QVERIFY(t.Say("4800\n").contains("Confirm"));
    QVERIFY(t.Say(key).endsWith("Enter Mode: "));
    QCOMPARE(t.box.Sensitivity(), stored);
    QVERIFY(t.Say("57\n").contains(QByteArray("(") + QByteArray::number(stored) + ")"));
}

void TestSimulator::reprogramsFromTheModePrompt()
{
    Terminal t;
    QVERIFY(t.Say("68\n").contains("reprogram state"));
    const QString ready = QString::fromLatin1(t.Say("R")).trimmed();
    QVERIFY(ready.indexOf(QLatin1String("Send Data Now"), 1) >= 1);
    QCOMPARE(t.Say(":10000000FF\n"), QByteArray("OK\r\n"));
    QCOMPARE(t.Say(":00000001FF\n"), QByteArray("OK\r\n"));
    const QByteArray done = t.Say("24\n");
    QVERIFY(done.contains("Programming complete"));
    QVERIFY(done.endsWith("Enter Mode: "));
    QCOMPARE(t.box.ProgrammedLines(), (QStringList{":10000000FF", ":00000001FF"}));
    QVERIFY(t.box.AtMainPrompt());
}

void TestSimulator::modePromptEchoesALoneR()
{
    Terminal t;
    QCOMPARE(t.Say("R"), QByteArray("R"));
    QCOMPARE(t.Say("\n"), QByteArray("\r\nUnknown mode\r\nEnter Mode: "));
}

void TestSimulator::impactIsPhysicallyPlausible_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("force");
    QTest::addColumn<int>("velocity");
    for (int release : {4, 5}) {
        for (int force : {50, 100, 300}) {
            for (int velocity : {50, 100}) {
                QTest::addRow("release %d, %d K dynes, %d mm/s", release, force, velocity)
                    << release << force << velocity;
            }
        }
    }
}

void TestSimulator::impactIsPhysicallyPlausible()
{
    QFETCH(int, release);
    QFETCH(int, force);
    QFETCH(int, velocity);
    ControlBoxSimulator::Options options;
    options.release = release;
    options.seed = quint32(force * 7 + velocity);
    Terminal t(options);
    const QStringList chunks = t.Impact(force * 10, velocity, 0);
    QVERIFY(chunks.last().endsWith(QLatin1String("Enter Mode: ")));
    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    CRunDataParser::ParseRunData(chunks, record.m_nFirmwareRelease, record);
    const CImpactModel::Result& model = t.box.LastImpactResult();
    QCOMPARE(record.m_arrDispDown.size(), model.down.size());
    QCOMPARE(record.m_arrDispUp.size(), model.up.size());
    QVERIFY(record.m_arrForceDown.first() <
            CImpactRecord::kContactForce);  // starts clear of the cord
    QVERIFY(std::is_sorted(record.m_arrDispDown.begin(), record.m_arrDispDown.end()));
    QVERIFY(std::is_sorted(record.m_arrDispUp.rbegin(), record.m_arrDispUp.rend()));
    QCOMPARE(record.m_arrDispUp.last(), CImpactModel::kRestCount);  // back at the start
    if (release == 5) {
        QCOMPARE(record.m_arrStepTimeDown.size(), record.m_arrDispDown.size());
        for (quint32 step : record.m_arrStepTimeDown + record.m_arrStepTimeUp)
            QVERIFY(step >= 5988 && step <= 6012);
    } else {
        QVERIFY(record.m_arrStepTimeDown.isEmpty());
        QVERIFY(record.m_arrStepTimeUp.isEmpty());
    }

    record.DeriveActualValues();
    QVERIFY2(record.m_nActualForce >= force && record.m_nActualForce <= force * 11 / 10,
             qPrintable(QString::number(record.m_nActualForce)));
    QVERIFY2(qAbs(record.m_nActualVelocity - velocity) <= velocity / 10,
             qPrintable(QString::number(record.m_nActualVelocity)));
    QVERIFY(record.m_nContactIndex > 10);
    QVERIFY(record.m_nActualDisp > 100);
}

void TestSimulator::sameSeedGivesTheSameImpact()
{
    ControlBoxSimulator::Options options;
    options.seed = 42;
    Terminal first(options);
    Terminal second(options);
    options.seed = 43;
    Terminal other(options);
    const QStringList run = first.Impact(1000, 100, 0);
    QCOMPARE(second.Impact(1000, 100, 0), run);
    QVERIFY(other.Impact(1000, 100, 0) != run);
}

void TestSimulator::mishapsArePhysicallyPlausible_data()
{
    QTest::addColumn<int>("velocity");
    QTest::newRow("100 mm/s") << 100;
    QTest::newRow("20 mm/s") << 20;
    QTest::newRow("1 mm/s") << 1;
}

// Each mishap changes the impact the way the mechanics would, and only that.
void TestSimulator::mishapsArePhysicallyPlausible()
{
    QFETCH(int, velocity);
    using Model = CImpactModel;
    Model::Settings clean;
    clean.forceTenths = 1000;
    clean.velocityMmPerS = velocity;
    const auto run = [](const Model::Settings& settings) {
        QRandomGenerator rng(3);
        return Model::Run(settings, rng);
    };
    const auto micronsOf = [](quint32 count) {
        return (count - Model::kRestCount) * Model::kMicronsPerCount;
    };
    const Model::Result normal = run(clean);
    const double deepest = micronsOf(normal.down.last().position);

    // Second hit: the probe withdraws, goes down again short of its deepest
    // point, then withdraws to its start; the force follows the position.
    Model::Settings settings = clean;
    settings.secondHit = true;
    const Model::Result bounce = run(settings);
    QCOMPARE(bounce.down, normal.down);
    qsizetype turn = 1;
    while (turn < bounce.up.size() && bounce.up[turn].position <= bounce.up[turn - 1].position)
        ++turn;
    QVERIFY2(turn < bounce.up.size(), "the probe never went down again");
    const quint32 top = bounce.up[turn - 1].position;
    QVERIFY(qAbs(deepest - Model::kBounceMicrons - micronsOf(top)) < 2 * Model::kMicronsPerCount);
    quint32 bottom = top;
    for (qsizetype i = turn; i < bounce.up.size(); ++i)
        bottom = qMax(bottom, bounce.up[i].position);
    QVERIFY(bottom < normal.down.last().position);
    QVERIFY(deepest - micronsOf(bottom) < Model::kBounceShortfallMicrons + Model::kMicronsPerCount);
    QVERIFY(bounce.durationMs > normal.durationMs);

    // Bone: past its depth the force climbs at least 2 K dynes a micron, so
    // the set peak is reached within a few tens of microns of contact.
    settings = clean;
    settings.bone = true;
    const Model::Result bone = run(settings);
    const auto contact = std::find_if(bone.down.cbegin(), bone.down.cend(), [](const auto& s) {
        return s.force >= CImpactRecord::kContactForce;
    });
    QVERIFY(contact != bone.down.cend());
    QVERIFY(micronsOf(bone.down.last().position) - micronsOf(contact->position) < 60);
    const double step = velocity * Model::kSampleMs;
    QVERIFY(micronsOf(bone.down.last().position) < 1000 + Model::kBoneDepthMicrons + 50 + step);

    // Early contact: at rest the probe already presses about 30 K dynes (a
    // slow stroke outlasts the box's memory, which keeps its later samples).
    settings = clean;
    settings.earlyContact = true;
    const Model::Result early = run(settings);
    QVERIFY(early.down.first().force >= 10 * Model::CordForceKdyn(Model::kPreloadMicrons) - 3);
    if (early.down.size() < Model::kMaxSamplesPerStroke)
        QCOMPARE(early.down.first().position, Model::kRestCount);

    // Overshoot: the probe runs on some 250 microns past the set peak.
    settings = clean;
    settings.overshoot = true;
    const Model::Result late = run(settings);
    const double runOn = micronsOf(late.down.last().position) - deepest;
    QVERIFY2(runOn > Model::kOvershootMicrons - 2 * Model::kMicronsPerCount &&
                 runOn < Model::kOvershootMicrons + velocity * Model::kSampleMs + 18,
             qPrintable(QString::number(runOn)));
    QVERIFY(late.down.last().force > 1000 + 100);

    // Slow drive: 80 % of the set velocity, and so a longer stroke in time.
    settings = clean;
    settings.slowDrive = true;
    const Model::Result slow = run(settings);
    QCOMPARE(slow.down.size() > normal.down.size(), velocity > 1 || slow.down.size() < 1000);
    QVERIFY(slow.durationMs > normal.durationMs * 5 / 4 - 2);
}

void TestSimulator::boxIgnoresTheLineWhileTheProbeMoves()
{
    Terminal t;
    t.Say("54\n");
    t.Say("1000\n");
    t.Say("1\n");
    t.Say("100\n");
    t.Say("2\n");
    const qint64 go = t.now;
    QCOMPARE(t.Say("y", 500), QByteArray());
    QCOMPARE(t.Say("w", 500), QByteArray());
    const qint64 duration = t.box.LastImpactResult().durationMs;
    QVERIFY(duration > 2000);
    QCOMPARE(t.box.NextOutputMs(), go + duration);
    t.now = go + duration;
    QCOMPARE(t.box.TakeOutput(t.now, 128), QByteArray("\r\nImpact complete\r\n"));
    QVERIFY(t.Say("w").startsWith("#"));
}

void TestSimulator::parsesFaultNames_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("count");
    QTest::newRow("silent") << "silent" << true << 0;
    QTest::newRow("silent-after=3") << "silent-after=3" << true << 3;
    QTest::newRow("silent-download") << "silent-download" << true << 0;
    QTest::newRow("silent-download=2") << "silent-download=2" << true << 2;
    QTest::newRow("wake-after=7") << "wake-after=7" << true << 7;
    QTest::newRow("noise-after=4") << "noise-after=4" << true << 4;
    QTest::newRow("unplug-after=9") << "unplug-after=9" << true << 9;
    QTest::newRow("unplug-after without a count") << "unplug-after" << false << 0;
    QTest::newRow("silent-after without a count") << "silent-after" << false << 0;
    QTest::newRow("silent with a count") << "silent=1" << false << 0;
    QTest::newRow("count not a number") << "wake-after=x" << false << 0;
    QTest::newRow("negative count") << "silent-after=-1" << false << 0;
    QTest::newRow("unknown") << "sulky" << false << 0;
    for (const char* mishap : {"second-hit", "bone", "early-contact", "overshoot", "slow-drive"})
        QTest::newRow(mishap) << mishap << true << 0;
    QTest::newRow("bone with a count") << "bone=2" << false << 0;
}

void TestSimulator::parsesFaultNames()
{
    QFETCH(QString, spec);
    QFETCH(bool, valid);
    QFETCH(int, count);
    ControlBoxSimulator::Options options;
    QString error;
    QCOMPARE(options.AddFault(spec, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    QCOMPARE(options.faults != 0, valid);
    QCOMPARE(options.silentAfterReplies + options.silentDownloadAfter + options.wakeAfterLineFeeds +
                 options.noiseAfterReplies + options.unplugAfterReplies,
             count);
}

void TestSimulator::silentAfterAnswersOnlyNTimes()
{
    Terminal t(WithFault("silent-after=2"));
    QVERIFY(!t.Say("\n").isEmpty());
    QVERIFY(!t.Say("\n").isEmpty());
    QCOMPARE(t.Say("\n"), QByteArray());
    QCOMPARE(t.Say("57\n"), QByteArray());
    QCOMPARE(t.box.Writes().size(), 4);
}

void TestSimulator::noiseAfterAndUnplugAfterNReplies()
{
    Terminal noisy(WithFault("noise-after=1"));
    QCOMPARE(noisy.Say("\n"), QByteArray("\r\nEnter Mode: "));
    for (int i = 0; i < 20; ++i) {
        const QByteArray noise = noisy.Say(i % 2 ? "57\n" : "w");
        QVERIFY2(noise.size() >= 2 && noise.size() <= 5, noise.toHex().constData());
        QCOMPARE(noise.trimmed(), noise);
    }

    Terminal unplugged(WithFault("unplug-after=1"));
    QVERIFY(!unplugged.box.LineGone());
    QCOMPARE(unplugged.Say("\n"), QByteArray("\r\nEnter Mode: "));
    QVERIFY(!unplugged.box.LineGone());
    QCOMPARE(unplugged.Say("57\n"), QByteArray());
    QVERIFY(unplugged.box.LineGone());
}

void TestSimulator::silentDownloadHangsAtTheImpact()
{
    Terminal t(WithFault("silent-download"));
    const QStringList chunks = t.Impact(1000, 100, 0);
    QCOMPARE(t.box.ImpactCount(), 1);
    QCOMPARE(chunks.join(QString()), QString());
    QCOMPARE(t.Say("\n\n\n"), QByteArray());
}

void TestSimulator::wakeAfterAnswersLineFeedsWithLineEnds()
{
    Terminal t(WithFault("wake-after=5"));
    QCOMPARE(t.Say("\n\n\n"), QByteArray("\r\n\r\n\r\n"));
    QCOMPARE(t.Say("57"), QByteArray());
    QCOMPARE(t.Say("\n"), QByteArray("\r\n"));
    QCOMPARE(t.Say("\n"), QByteArray("\r\nEnter Mode: "));
}

void TestSimulator::returningBoxWaitsForFirmware()
{
    Terminal t(WithFault("returning"));
    QCOMPARE(t.Say("\n"), QByteArray("\r\nreturning to normal operation\r\n"));
    QVERIFY(QString::fromLatin1(t.Say("R")).trimmed().indexOf(QLatin1String("Send Data Now"), 1) >
            0);
    QCOMPARE(t.Say(":00000001FF\n"), QByteArray("OK\r\n"));
    QVERIFY(t.Say("24\n").endsWith("Enter Mode: "));
    QCOMPARE(t.Say("\n"), QByteArray("\r\nEnter Mode: "));
}

void TestSimulator::noPromptAndRepeatPrompt()
{
    Terminal broken(WithFault("no-prompt"));
    QCOMPARE(broken.Say("54\n"), QByteArray("54\r\nMotor driver fault 12\r\n"));
    Terminal stubborn(WithFault("repeat-prompt"));
    stubborn.Say("54\n");
    QCOMPARE(stubborn.Say("1000\n"), QByteArray("1000\r\nEnter Force (K dynes x 10): "));
    QCOMPARE(stubborn.Say("1000\n"), QByteArray("1000\r\nEnter Force (K dynes x 10): "));
}

void TestSimulator::garbageIsLineNoiseOnly()
{
    Terminal t(WithFault("garbage"));
    for (int i = 0; i < 50; ++i) {
        const QByteArray reply = t.Say("\n");
        QVERIFY(reply.startsWith("\r\nEnter Mode: "));
        const QByteArray noise = reply.mid(14);
        QVERIFY2(noise.size() >= 2 && noise.size() <= 5, noise.toHex().constData());
        for (char c : noise) {
            QVERIFY(c != '\0' && c != '#' && c != '-');
            QVERIFY(c < '\t' || c > '\r');
            QVERIFY(c != ' ' && (uchar(c) < 0x20 || uchar(c) >= 0x80));
        }
    }
}

void TestSimulator::splitReplyCutsLinesAndThePrompt()
{
    Terminal t(WithFault("split-reply"));
    const QStringList chunks = t.Impact(1000, 100, 0);
    const QStringList blocks = chunks.mid(1);
    QVERIFY(blocks.size() > 3);
    QVERIFY(!blocks.first().endsWith(QLatin1String("\r\n")));
    QVERIFY(blocks[blocks.size() - 2].endsWith(QLatin1String("Enter")));
    QCOMPARE(blocks.last(), QStringLiteral(" Mode: "));
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"

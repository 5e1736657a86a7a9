#include "CManualClock.h"
#include "CScriptedBox.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/device/CRunProgress.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/CExperimentDialogue.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QTest>

using Answer = COperatorPrompt::Answer;
using Icon = COperatorPrompt::Icon;
using Kind = CRunOutcome::Kind;
using Shown = CScriptedPrompt::Shown;

Q_DECLARE_METATYPE(CRunOutcome::Kind)

namespace {

// "Impact Now?" with what the bench's record will do.
const QString kImpactNowAtTheBench =
    CExperimentDialogue::kImpactNow + "\nForce 100 K dynes, velocity 100 mm/s, dwell 0 s.";

// One record wired to a box through the simulated port, with free waits;
// the desired values are those of a new record but a velocity of 100 mm/s.
struct Bench {
    explicit Bench(CSimulatedBox& box) : factory(box) { record.m_nDesiredVelocity = 100; }

    bool Run(int mode = CExperimentDialogue::kModeForce)
    {
        result = impactRun.Run(CSerialSettings{CPortFactory::kSimulatorPort}, mode, record);
        outcome = result.outcome;
        return CRunOutcome::ImpactMade(outcome);
    }

    CManualClock clock;
    CPortFactory factory;
    CScriptedPrompt prompt;
    CImpactRun impactRun{factory, clock, prompt};
    CImpactRecord record;
    CExperimentDialogue::Result result;
    Kind outcome = Kind::NotResponding;
};

ControlBoxSimulator::Options Options(int release, const QStringList& faults = {})
{
    ControlBoxSimulator::Options options;
    options.release = release;
    options.seed = 5;
    for (const QString& fault : faults) {
        if (!options.AddFault(fault))
            qFatal("bad fault %s", qPrintable(fault));
    }
    return options;
}

QByteArrayList Polls(qsizetype count)
{
    return QByteArrayList(count, "w");
}

// The box's mode prompt after a scripted identification reply.
void ScriptIdentification(CScriptedBox& box, const QByteArray& reply)
{
    box.QueueReply("\r\nEnter Mode: ");
    box.QueueReply("57\r\n" + reply + "\r\nEnter Mode: ");
    box.QueueReply("54\r\nMotor driver fault\r\n");
}

// Every status a run reports, in order.
class CRecordedProgress : public CRunProgress
{
public:
    void ShowRunStatus(const QString& text) override { texts.append(text); }
    QStringList texts;
};

}  // namespace

class TestDialogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void release5ImpactFillsTheRecord();
    void release4ImpactFillsTheRecord();
    void failureOutcomes_data();
    void failureOutcomes();
    void wakeUpProbes_data();
    void wakeUpProbes();
    void answersAreFormattedAsDecimalLines_data();
    void answersAreFormattedAsDecimalLines();
    void modePromptWinsOverForcePrompt();
    void releaseTextAndSensitivity_data();
    void releaseTextAndSensitivity();
    void onlyTheDwellAnswerUsesTheSlowExchange_data();
    void onlyTheDwellAnswerUsesTheSlowExchange();
    void dwellReplyMayDawdle();
    void goAheadWithoutModePromptIsNeverIdentified();
    void repeatedPromptEndsTheRun_data();
    void repeatedPromptEndsTheRun();
    void boxFallingSilentEndsTheRun();
    void silentDownloadIsNotResponding();
    void cutShortDownloadKeepsWhatArrived_data();
    void cutShortDownloadKeepsWhatArrived();
    void boxThatEchoesYAndFallsSilent();
    void promptCutByTwoReadsEndsTheDownload();
    void lineNoiseLeavesTheSamplesAlone();
    void runReportsWhatItIsDoing_data();
    void runReportsWhatItIsDoing();
};

void TestDialogue::release5ImpactFillsTheRecord()
{
    ControlBoxSimulator box(Options(5));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});
    QVERIFY(bench.Run());

    QCOMPARE(bench.outcome, Kind::Completed);
    QCOMPARE(bench.record.m_nFirmwareRelease, 5);
    QCOMPARE(bench.record.m_strFirmwareVersion, QStringLiteral("R5.04"));
    QCOMPARE(bench.result.sensitivity, 5431);
    QCOMPARE(bench.prompt.questions, QStringList{kImpactNowAtTheBench});
    QVERIFY(bench.prompt.messages.isEmpty());

    const QByteArrayList writes = box.Writes();
    const QByteArrayList dialogue{"\n\n\n", "57\n", "54\n", "1000\n", "1\n", "100\n", "0\n", "y"};
    QCOMPARE(writes.first(dialogue.size()), dialogue);
    QCOMPARE(writes.mid(dialogue.size()), Polls(writes.size() - dialogue.size()));
    QVERIFY(box.AtMainPrompt());
    QCOMPARE(box.LastImpact().forceTenths, 1000);

    const CImpactModel::Result& impact = box.LastImpactResult();
    QCOMPARE(bench.record.m_arrDispDown.size(), impact.down.size());
    QCOMPARE(bench.record.m_arrDispUp.size(), impact.up.size());
    for (qsizetype i = 0; i < impact.down.size(); ++i) {
        QCOMPARE(bench.record.m_arrDispDown[i], impact.down[i].position);
        QCOMPARE(bench.record.m_arrForceDown[i], impact.down[i].force);
        QCOMPARE(bench.record.m_arrStepTimeDown[i], impact.down[i].stepTime);
    }
    QCOMPARE(bench.record.m_arrStepTimeUp.size(), impact.up.size());
    QCOMPARE(bench.record.m_arrForceUp.last(), impact.up.last().force);
}

void TestDialogue::release4ImpactFillsTheRecord()
{
    ControlBoxSimulator box(Options(4));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes, Answer::Yes});
    QVERIFY(bench.Run());

    QCOMPARE(bench.record.m_nFirmwareRelease, 4);
    QCOMPARE(bench.record.m_strFirmwareVersion, QStringLiteral("R4.x"));
    QCOMPARE(bench.prompt.questions,
             (QStringList{CExperimentDialogue::kRelease4Question, kImpactNowAtTheBench}));
    const QByteArrayList dialogue{"\n\n\n", "57\n", "\n", "1000\n", "1\n", "100\n", "0\n", "y"};
    QCOMPARE(box.Writes().first(dialogue.size()), dialogue);
    const CImpactModel::Result& impact = box.LastImpactResult();
    QCOMPARE(bench.record.m_arrDispDown.size(), impact.down.size());
    QCOMPARE(bench.record.m_arrForceUp.size(), impact.up.size());
    QCOMPARE(bench.record.m_arrForceDown.last(), impact.down.last().force);
    QVERIFY(bench.record.m_arrStepTimeDown.isEmpty());
    QVERIFY(bench.record.m_arrStepTimeUp.isEmpty());
}

void TestDialogue::failureOutcomes_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<Kind>("outcome");
    QTest::addColumn<QList<Shown>>("messages");
    QTest::addColumn<QByteArrayList>("writes");

    const QList<Shown> none;
    const QList<Shown> aborted{{CExperimentDialogue::kImpactAborted, Icon::Exclamation}};
    const QByteArrayList toGoAhead{"\n\n\n", "57\n", "54\n", "1000\n", "1\n", "100\n", "0\n"};

    QTest::newRow("silent box: not responding")
        << 5 << QStringList{"silent"} << 0 << QList<Answer>{} << Kind::NotResponding << none
        << QByteArrayList{"\n\n\n"};
    QTest::newRow("reply without a known prompt: not responding")
        << 5 << QStringList{"no-prompt"} << 0 << QList<Answer>{} << Kind::NotResponding << none
        << QByteArrayList{"\n\n\n", "57\n", "54\n"};
    QTest::newRow("returning to normal operation: firmware unusable")
        << 5 << QStringList{"returning"} << 0 << QList<Answer>{} << Kind::FirmwareUnusable << none
        << QByteArrayList{"\n\n\n"};
    QTest::newRow("displacement mode: refused, nothing sent")
        << 5 << QStringList{} << 1 << QList<Answer>{} << Kind::ModeRefused
        << QList<Shown>{{CExperimentDialogue::kDisplacementUnavailable, Icon::Exclamation}}
        << QByteArrayList{};
    QTest::newRow("Impact Now? No: aborted")
        << 5 << QStringList{} << 0 << QList<Answer>{Answer::No} << Kind::Aborted << aborted
        << toGoAhead + QByteArrayList{"\n\n\n"};
    QTest::newRow("release 4 question No: aborted")
        << 4 << QStringList{} << 0 << QList<Answer>{Answer::No} << Kind::Aborted << aborted
        << QByteArrayList{"\n\n\n", "57\n", "\n", "1000\n", "1\n", "100\n", "0\n", "\n\n\n"};
}

void TestDialogue::failureOutcomes()
{
    QFETCH(int, release);
    QFETCH(QStringList, faults);
    QFETCH(int, mode);
    QFETCH(QList<Answer>, answers);
    QFETCH(Kind, outcome);
    QFETCH(QList<Shown>, messages);
    QFETCH(QByteArrayList, writes);
    ControlBoxSimulator box(Options(release, faults));
    Bench bench(box);
    for (Answer answer : answers)
        bench.prompt.QueueAnswers({answer});

    QVERIFY(!bench.Run(mode));
    QCOMPARE(bench.outcome, outcome);
    QCOMPARE(bench.prompt.messages, messages);
    QCOMPARE(box.Writes(), writes);
    QVERIFY(bench.result.chunks.isEmpty());
    QVERIFY(bench.record.m_arrDispDown.isEmpty());
    QCOMPARE(box.ImpactCount(), 0);
    if (outcome == Kind::Aborted)
        QVERIFY(box.AtMainPrompt());  // left at rest
}

void TestDialogue::wakeUpProbes_data()
{
    QTest::addColumn<int>("firstReplyToProbe");
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<int>("probesSent");
    QTest::newRow("probe 1") << 1 << true << 1;
    QTest::newRow("probe 4 goes on") << 4 << true << 4;
    QTest::newRow("probe 5 ends the run, no sixth probe") << 5 << false << 5;
    QTest::newRow("probe 6 is too late") << 6 << false << 6;
    QTest::newRow("never") << 50 << false << 6;
}

void TestDialogue::wakeUpProbes()
{
    QFETCH(int, firstReplyToProbe);
    QFETCH(bool, goesOn);
    QFETCH(int, probesSent);
    // The wake-up's three line feeds and each probe's one: the box comes to
    // life at the line feed of the given probe.
    ControlBoxSimulator box(
        Options(5, {QStringLiteral("wake-after=%1").arg(3 + firstReplyToProbe)}));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QCOMPARE(bench.Run(), goesOn);
    QCOMPARE(bench.outcome, goesOn ? Kind::Completed : Kind::NotResponding);
    QCOMPARE(box.Writes().first(1 + probesSent),
             QByteArrayList{"\n\n\n"} + QByteArrayList(probesSent, "\n"));
    if (!goesOn)
        QCOMPARE(box.Writes().size(), 1 + probesSent);
    else
        QCOMPARE(box.Writes()[1 + probesSent], QByteArray("57\n"));
}

void TestDialogue::answersAreFormattedAsDecimalLines_data()
{
    QTest::addColumn<int>("force");
    QTest::addColumn<int>("displacement");
    QTest::addColumn<int>("velocity");
    QTest::addColumn<int>("dwell");
    QTest::addColumn<QByteArrayList>("answers");
    QTest::newRow("100 K dynes sent as 1000")
        << 100 << 1 << 100 << 0 << QByteArrayList{"1000\n", "1\n", "100\n", "0\n"};
    QTest::newRow("negative displacement")
        << 1 << -5 << 50 << 0 << QByteArrayList{"10\n", "-5\n", "50\n", "0\n"};
    QTest::newRow("longest dwell, slowest velocity")
        << 1000 << 2000 << 0 << 60 << QByteArrayList{"10000\n", "2000\n", "0\n", "60\n"};
}

void TestDialogue::answersAreFormattedAsDecimalLines()
{
    QFETCH(int, force);
    QFETCH(int, displacement);
    QFETCH(int, velocity);
    QFETCH(int, dwell);
    QFETCH(QByteArrayList, answers);
    ControlBoxSimulator box(Options(5));
    Bench bench(box);
    bench.record.m_nDesiredForce = force;
    bench.record.m_nDesiredDisp = displacement;
    bench.record.m_nDesiredVelocity = velocity;
    bench.record.m_nDesiredDwell = dwell;
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(bench.Run());
    QCOMPARE(box.Writes().mid(3, 4), answers);
    QCOMPARE(box.LastImpact().displacementMicrons, displacement);
    QVERIFY(!bench.record.m_arrDispDown.isEmpty());
}

void TestDialogue::modePromptWinsOverForcePrompt()
{
    CScriptedBox box;
    box.QueueReply("\r\nEnter Mode: ");
    box.QueueReply("57\r\nR5.1 - (5000)\r\nEnter Force Enter Mode: ");
    box.QueueReply("\r\nEnter Force Enter Mode: ");
    box.QueueReply("54\r\nSystem halted\r\n");
    Bench bench(box);
    QVERIFY(!bench.Run());
    // "Enter Force" still gets release 4's empty answer before "R5" overrides it.
    QCOMPARE(box.Writes(), (QByteArrayList{"\n\n\n", "57\n", "\n", "54\n"}));
    QCOMPARE(bench.record.m_nFirmwareRelease, 5);
}

void TestDialogue::releaseTextAndSensitivity_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("release");
    QTest::addColumn<bool>("warned");
    QTest::newRow("R5 and two characters before ' -'")
        << QByteArray("R5ab - (5431)") << "R5ab" << false;
    QTest::newRow("2999 warns") << QByteArray("R5.04 - (2999)") << "R5.04" << true;
    QTest::newRow("3000 passes") << QByteArray("R5.04 - (3000)") << "R5.04" << false;
    QTest::newRow("7000 passes") << QByteArray("R5.04 - ( 7000)") << "R5.04" << false;
    QTest::newRow("7001 warns") << QByteArray("R5.04 - (7001)") << "R5.04" << true;
    QTest::newRow("no dash: no release text") << QByteArray("R5.04 (5000)") << "" << false;
    QTest::newRow("dash before R5") << QByteArray("Box - R5.04 (5000)") << "" << false;
    QTest::newRow("line break before the dash")
        << QByteArray("R5.04\r\nEnter Mode - (5000)") << "R5.04" << false;
    QTest::newRow("dash right after R5: one character less")
        << QByteArray("R5- (5000)") << "R" << false;
    QTest::newRow("no parentheses: 0 warns") << QByteArray("R5.04 - 5000") << "R5.04" << true;
}

void TestDialogue::releaseTextAndSensitivity()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, release);
    QFETCH(bool, warned);
    CScriptedBox box;
    ScriptIdentification(box, reply);
    Bench bench(box);
    QVERIFY(!bench.Run());
    QCOMPARE(bench.record.m_nFirmwareRelease, 5);
    QCOMPARE(bench.record.m_strFirmwareVersion, release);
    const QList<Shown> warning{{CExperimentDialogue::kSensitivityOutOfRange, Icon::Exclamation}};
    QCOMPARE(bench.prompt.messages, warned ? warning : QList<Shown>{});
    QCOMPARE(box.Writes().size(), 3);  // the dialogue went on to the next prompt
}

void TestDialogue::onlyTheDwellAnswerUsesTheSlowExchange_data()
{
    QTest::addColumn<int>("silentAnswer");
    QTest::addColumn<qint64>("readTotalMs");
    QTest::newRow("force") << 0 << qint64(1330);
    QTest::newRow("displacement") << 1 << qint64(1330);
    QTest::newRow("velocity") << 2 << qint64(1330);
    QTest::newRow("dwell") << 3 << qint64(6500);
}

void TestDialogue::onlyTheDwellAnswerUsesTheSlowExchange()
{
    QFETCH(int, silentAnswer);
    QFETCH(qint64, readTotalMs);
    CScriptedBox box;
    box.QueueReply("\r\nEnter Mode: ");
    box.QueueReply("57\r\nR5.04 - (5431)\r\nEnter Mode: ");
    box.QueueReply("Enter Force: ");
    const QByteArrayList nextPrompts{"Enter Displacement: ", "Enter Velocity: ", "Enter Dwell: "};
    for (int answer = 0; answer < silentAnswer; ++answer)
        box.QueueReply(nextPrompts[answer]);
    Bench bench(box);

    QVERIFY(!bench.Run());
    // The prompt was answered twice without a reply, each time waiting the
    // whole read of its time-out set.
    QCOMPARE(box.Writes().size(), 3 + silentAnswer + 2);
    QCOMPARE(bench.clock.NowMs(), (3 + silentAnswer) * 50 + 2 * readTotalMs);
}

void TestDialogue::dwellReplyMayDawdle()
{
    CScriptedBox box;
    box.QueueReply("\r\nEnter Mode: ");
    box.QueueReply("57\r\nR5.04 - (5431)\r\nEnter Mode: ");
    box.QueueReply("Enter Force: ");
    box.QueueReply("Enter Displacement: ");
    box.QueueReply("Enter Velocity: ");
    box.QueueReply("Enter Dwell: ");
    // Longer than the short read interval between its two pieces.
    box.QueueReply(CScriptedBox::Reply{{0, "Pre"}, {300, "ss y"}});
    box.SetFallback("Enter Mode: ");
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::No});

    QVERIFY(!bench.Run());
    QCOMPARE(bench.prompt.questions, QStringList{kImpactNowAtTheBench});
    QCOMPARE(bench.outcome, Kind::Aborted);
}

void TestDialogue::goAheadWithoutModePromptIsNeverIdentified()
{
    CScriptedBox box;
    box.QueueReply("Press y: ");
    box.QueueReply("\r\nImpact complete\r\n");
    box.QueueReply("#300#40#6000\r\n\r\nEnter Mode: ");
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(bench.Run());
    QCOMPARE(bench.record.m_nFirmwareRelease, 0);
    QVERIFY(bench.record.m_arrDispDown.isEmpty());
    QCOMPARE(box.Writes(), (QByteArrayList{"\n\n\n", "y", "w"}));
}

void TestDialogue::repeatedPromptEndsTheRun_data()
{
    QTest::addColumn<QByteArray>("endlessReply");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("force prompt repeated") << QByteArray("Enter Force: ") << QByteArray("1000\n");
    QTest::newRow("mode prompt without identification")
        << QByteArray("Enter Mode: ") << QByteArray("57\n");
}

void TestDialogue::repeatedPromptEndsTheRun()
{
    QFETCH(QByteArray, endlessReply);
    QFETCH(QByteArray, answer);
    CScriptedBox box;
    box.SetFallback(endlessReply);
    Bench bench(box);

    QVERIFY(!bench.Run());
    QCOMPARE(bench.outcome, Kind::NotResponding);
    QCOMPARE(box.Writes().size(), 1 + CExperimentDialogue::kMaxPromptPasses);
    QCOMPARE(box.Writes().last(), answer);
}

void TestDialogue::boxFallingSilentEndsTheRun()
{
    // Answers the wake-up, the identification and the mode, then nothing.
    ControlBoxSimulator box(Options(5, {"silent-after=3"}));
    Bench bench(box);

    QVERIFY(!bench.Run());
    QCOMPARE(bench.outcome, Kind::NotResponding);
    QCOMPARE(box.Writes(), (QByteArrayList{"\n\n\n", "57\n", "54\n", "1000\n", "1000\n"}));
    QCOMPARE(bench.clock.NowMs(), 3 * 50 + 2 * 1330);
}

void TestDialogue::silentDownloadIsNotResponding()
{
    ControlBoxSimulator box(Options(5, {"silent-download"}));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(!bench.Run());
    QCOMPARE(bench.outcome, Kind::NotResponding);
    QCOMPARE(box.ImpactCount(), 1);
    QCOMPARE(box.Writes().mid(8), Polls(CSerialLink::kMaxEmptyPolls));
    QVERIFY(bench.record.m_arrDispDown.isEmpty());
    QVERIFY(bench.result.chunks.isEmpty());
}

void TestDialogue::cutShortDownloadKeepsWhatArrived_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("someSamples");
    QTest::newRow("silent after two blocks")
        << QStringList{"silent-download=3"} << 2 + CSerialLink::kMaxEmptyPolls << true;
    // The dialogue takes seven replies, "Impact complete" the eighth.
    QTest::newRow("cable pulled after three blocks") << QStringList{"unplug-after=11"} << 4 << true;
    QTest::newRow("line noise instead of samples")
        << QStringList{"noise-after=8"} << CSerialLink::kMaxDownloadPolls << false;
}

// The impact was made: what arrived is the record, and the outcome says it
// is not all there was.
void TestDialogue::cutShortDownloadKeepsWhatArrived()
{
    QFETCH(QStringList, faults);
    QFETCH(int, polls);
    QFETCH(bool, someSamples);
    ControlBoxSimulator box(Options(5, faults));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(bench.Run());
    QCOMPARE(bench.outcome, Kind::CutShort);
    QVERIFY(!bench.result.chunks.isEmpty());
    QCOMPARE(box.Writes().mid(8), Polls(polls));
    const CImpactModel::Result& impact = box.LastImpactResult();
    const qsizetype down = bench.record.m_arrDispDown.size();
    QCOMPARE(down > 0, someSamples);
    QVERIFY(down < impact.down.size());
    QCOMPARE(bench.record.m_arrForceDown.size(), down);
    QCOMPARE(bench.record.m_arrStepTimeDown.size(), down);
    for (qsizetype i = 0; i < down; ++i)
        QCOMPARE(bench.record.m_arrDispDown[i], impact.down[i].position);
    QVERIFY(bench.record.m_arrDispUp.isEmpty());
    QVERIFY(bench.prompt.messages.isEmpty());
    QVERIFY(bench.clock.NowMs() < 20000 + CSerialLink::MaxDownloadMs(9600));
}

void TestDialogue::boxThatEchoesYAndFallsSilent()
{
    CScriptedBox box;
    box.QueueReply("\r\nEnter Mode: ");
    box.QueueReply("57\r\nR5.04 - (5431)\r\nEnter Mode: ");
    for (const char* prompt : {"Enter Force: ", "Enter Displacement: ", "Enter Velocity: ",
                               "Enter Dwell: ", "Press y: "})
        box.QueueReply(prompt);
    box.QueueReply("y");
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(bench.Run());
    QCOMPARE(bench.outcome, Kind::CutShort);
    QCOMPARE(box.Writes().mid(8), Polls(CSerialLink::kMaxEmptyPolls));
    QCOMPARE(CRunOutcome::CutShortMessage(bench.record),
             QStringLiteral("Impact Data Download Was Cut Short!\r\n"
                            "Samples Received: 0 (0 Down, 0 Up).\r\n"
                            "Please Check Serial Cable and Machine Power."));
    bench.record.m_arrDispDown = {1, 2, 3};
    bench.record.m_arrDispUp = {4};
    QCOMPARE(CRunOutcome::CutShortMessage(bench.record),
             QStringLiteral("Impact Data Download Was Cut Short!\r\n"
                            "Samples Received: 4 (3 Down, 1 Up).\r\n"
                            "Please Check Serial Cable and Machine Power."));
}

void TestDialogue::promptCutByTwoReadsEndsTheDownload()
{
    ControlBoxSimulator box(Options(5, {"split-reply"}));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});

    QVERIFY(bench.Run());
    QCOMPARE(bench.outcome, Kind::Completed);
    QVERIFY(box.AtMainPrompt());
    // Every poll got a block; none was wasted on a silent box.
    const qsizetype polls = box.Writes().size() - 8;
    QCOMPARE(box.Writes().mid(8), Polls(polls));
    QVERIFY(polls > 5);
    QVERIFY(bench.clock.NowMs() < 20000);
    QVERIFY(!bench.record.m_arrDispDown.isEmpty());
}

void TestDialogue::lineNoiseLeavesTheSamplesAlone()
{
    ControlBoxSimulator clean(Options(5));
    Bench cleanBench(clean);
    cleanBench.prompt.QueueAnswers({Answer::Yes});
    QVERIFY(cleanBench.Run());

    ControlBoxSimulator noisy(Options(5, {"garbage"}));
    Bench noisyBench(noisy);
    noisyBench.prompt.QueueAnswers({Answer::Yes});
    QVERIFY(noisyBench.Run());
    QCOMPARE(noisyBench.record.m_strFirmwareVersion, QStringLiteral("R5.04"));
    QCOMPARE(noisyBench.record.m_arrDispDown, cleanBench.record.m_arrDispDown);
    QCOMPARE(noisyBench.record.m_arrForceUp, cleanBench.record.m_arrForceUp);
    QCOMPARE(noisyBench.record.m_arrStepTimeDown, cleanBench.record.m_arrStepTimeDown);
}

void TestDialogue::runReportsWhatItIsDoing_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("faults");

    QTest::newRow("release 5") << 5 << QStringList{};
    QTest::newRow("release 4") << 4 << QStringList{};
    QTest::newRow("lines cut by the reads") << 5 << QStringList{"split-reply"};
}

// Waiting for the box, then for the operator, the impact, then the sample lines counted as they
// arrive, up to every sample line the box printed.
void TestDialogue::runReportsWhatItIsDoing()
{
    QFETCH(int, release);
    QFETCH(QStringList, faults);
    ControlBoxSimulator box(Options(release, faults));
    Bench bench(box);
    CRecordedProgress progress;
    bench.impactRun.SetProgress(&progress);
    bench.prompt.QueueAnswers({Answer::Yes, Answer::Yes});
    QVERIFY(bench.Run());

    const QStringList& texts = progress.texts;
    QVERIFY(texts.size() > 3);
    const int asked = release == 4 ? 2 : 1;  // release 4 is asked about first
    QCOMPARE(texts.mid(0, asked + 2), QStringList{CRunProgress::kWaitingForBox} +
                                          QStringList(asked, CRunProgress::kWaitingForOperator) +
                                          QStringList{CRunProgress::kImpactInProgress});
    int lines = 0;
    for (const QString& text : texts.mid(asked + 2)) {
        const QString prefix = QStringLiteral("Receiving samples: ");
        QVERIFY2(text.startsWith(prefix) && text.endsWith(QLatin1String(" lines")),
                 qPrintable(text));
        const int count = text.mid(prefix.size()).section(u' ', 0, 0).toInt();
        QVERIFY(count > lines);
        lines = count;
    }
    const CImpactModel::Result& impact = box.LastImpactResult();
    QCOMPARE(lines, int(impact.down.size() + impact.up.size()));
}

QTEST_GUILESS_MAIN(TestDialogue)
#include "tst_dialogue.moc"

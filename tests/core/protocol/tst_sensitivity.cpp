#include "CManualClock.h"
#include "CScriptedBox.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/protocol/CForceSensitivity.h"
#include "core/protocol/CLineFeedProbe.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"

#include <QTest>

using Answer = COperatorPrompt::Answer;
using Icon = COperatorPrompt::Icon;
using ReadOutcome = CForceSensitivity::ReadOutcome;
using WriteOutcome = CForceSensitivity::WriteOutcome;
using Shown = CScriptedPrompt::Shown;

Q_DECLARE_METATYPE(CForceSensitivity::ReadOutcome)
Q_DECLARE_METATYPE(CForceSensitivity::WriteOutcome)

namespace {

struct Bench {
    explicit Bench(CSimulatedBox& box) : factory(box), sensitivity(factory, clock, prompt) {}

    CManualClock clock;
    CPortFactory factory;
    CScriptedPrompt prompt;
    CSerialSettings settings{CPortFactory::kSimulatorPort};
    CForceSensitivity sensitivity;
};

void Script(CScriptedBox& box, const QByteArrayList& replies)
{
    for (const QByteArray& reply : replies) {
        if (reply.isEmpty())
            box.QueueSilence();
        else
            box.QueueReply(reply);
    }
}

ControlBoxSimulator::Options Release(int release, const QStringList& faults = {})
{
    ControlBoxSimulator::Options options;
    options.release = release;
    for (const QString& fault : faults)
        options.AddFault(fault);
    return options;
}

const QList<Shown> kNone;
const QList<Shown> kNotResponding{{CRunOutcome::kNotResponding, Icon::Exclamation}};
const QList<Shown> kOutOfRange{{CForceSensitivity::kOutOfRange, Icon::Exclamation}};
const QList<Shown> kUnsupported{{CForceSensitivity::kUnsupported, Icon::Exclamation}};
const QByteArray kMainPrompt = "\r\nEnter Mode: ";

}  // namespace

class TestSensitivity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messagesAreTheBoxOperatorsWords();
    void reading_data();
    void reading();
    void readingFromTheSimulator_data();
    void readingFromTheSimulator();
    void writeTakesThreeExchangesAfterTheWakeUp();
    void declinedConfirmationLeavesTheBoxAtRest();
    void writeFailures_data();
    void writeFailures();
    void boxAwayFromItsMainPromptIsLeftAlone();
};

void TestSensitivity::messagesAreTheBoxOperatorsWords()
{
    QCOMPARE(CForceSensitivity::kUnsupported,
             QStringLiteral("The current firmware version does not support this feature. Please "
                            "update to the latest firmware release."));
    QCOMPARE(CForceSensitivity::kOutOfRange,
             QStringLiteral("The sensitivity value in the impactor control box is out of range. "
                            "Please set a new value."));
    QCOMPARE(CForceSensitivity::kConfirmSetting, QStringLiteral("Confirm Setting?"));
}

// Scripted replies from the first "\n" on.
void TestSensitivity::reading_data()
{
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<ReadOutcome>("outcome");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<Shown>>("messages");
    QTest::addColumn<QByteArrayList>("writes");

    const QByteArrayList identify{"\n", "57\n"};
    QTest::newRow("5431 between the parentheses")
        << QByteArrayList{kMainPrompt, "57\r\nR5.04 - Force Sensitivity (5431)\r\n" + kMainPrompt}
        << ReadOutcome::Reported << 5 << 5431 << true << kNone << identify;
    QTest::newRow("limits are in range: 3000")
        << QByteArrayList{kMainPrompt, "R5 (3000)"} << ReadOutcome::Reported << 5 << 3000 << true
        << kNone << identify;
    QTest::newRow("limits are in range: 7000")
        << QByteArrayList{kMainPrompt, "R5 (7000)"} << ReadOutcome::Reported << 5 << 7000 << true
        << kNone << identify;
    QTest::newRow("2500 is out of range")
        << QByteArrayList{kMainPrompt, "R5.04 - Force Sensitivity (2500)"} << ReadOutcome::Reported
        << 5 << 2900 << true << kOutOfRange << identify;
    QTest::newRow("7001 is out of range")
        << QByteArrayList{kMainPrompt, "R5 (7001)"} << ReadOutcome::Reported << 5 << 2900 << true
        << kOutOfRange << identify;
    QTest::newRow("no parentheses read as 0")
        << QByteArrayList{kMainPrompt, "R5.04 - Force Sensitivity 5431"} << ReadOutcome::Reported
        << 5 << 2900 << true << kOutOfRange << identify;
    QTest::newRow("no opening parenthesis: read from the start")
        << QByteArrayList{kMainPrompt, "4321 R5)"} << ReadOutcome::Reported << 5 << 4321 << true
        << kNone << identify;
    QTest::newRow("release 4 starts a force prompt")
        << QByteArrayList{kMainPrompt, "57\r\nEnter Force (K dynes x 10): ", "\r\nEnter Force"}
        << ReadOutcome::Unsupported << 4 << 3000 << false << kUnsupported
        << identify + QByteArrayList{"\n"};
    QTest::newRow("neither release")
        << QByteArrayList{kMainPrompt, "57\r\nUnknown mode\r\n"} << ReadOutcome::NotResponding << 0
        << 3000 << false << kNotResponding << identify;
    QTest::newRow("57 unanswered") << QByteArrayList{kMainPrompt, ""} << ReadOutcome::NotResponding
                                   << 0 << 3000 << false << kNotResponding << identify;
    QTest::newRow("silent box: two line feeds")
        << QByteArrayList{"", ""} << ReadOutcome::NotResponding << 0 << 3000 << false
        << kNotResponding << QByteArrayList{"\n", "\n"};
    QTest::newRow("one silent line feed is forgiven")
        << QByteArrayList{"", kMainPrompt, "R5 (5000)"} << ReadOutcome::Reported << 5 << 5000
        << true << kNone << QByteArrayList{"\n", "\n", "57\n"};
    QTest::newRow("blank replies before the prompt")
        << QByteArrayList{"\r\n", " \t\r\n", kMainPrompt, "R5 (5000)"} << ReadOutcome::Reported << 5
        << 5000 << true << kNone << QByteArrayList{"\n", "\n", "\n", "57\n"};
    QTest::newRow("not at the main prompt: left alone")
        << QByteArrayList{"\r\nEnter Velocity (mm/s): "} << ReadOutcome::LeftAlone << 0 << 3000
        << true << kNone << QByteArrayList{"\n"};
}

void TestSensitivity::reading()
{
    QFETCH(QByteArrayList, replies);
    QFETCH(ReadOutcome, outcome);
    QFETCH(int, state);
    QFETCH(int, shown);
    QFETCH(bool, enabled);
    QFETCH(QList<Shown>, messages);
    QFETCH(QByteArrayList, writes);

    CScriptedBox box;
    Script(box, replies);
    Bench bench(box);
    const CForceSensitivity::Reading reading = bench.sensitivity.Read(bench.settings);
    QCOMPARE(reading.outcome, outcome);
    QCOMPARE(reading.state, state);
    QCOMPARE(reading.sensitivity, shown);
    QCOMPARE(reading.fieldEnabled, enabled);
    QCOMPARE(bench.prompt.messages, messages);
    QCOMPARE(box.Writes(), writes);
    QVERIFY(bench.prompt.questions.isEmpty());
}

void TestSensitivity::readingFromTheSimulator_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("reported");
    QTest::addColumn<QList<Shown>>("messages");

    QTest::newRow("release 5") << 5 << QStringList{} << 5431 << 5431 << kNone;
    QTest::newRow("release 5, bad sensitivity")
        << 5 << QStringList{"bad-sensitivity"} << 2900 << 2500 << kOutOfRange;
    QTest::newRow("release 4") << 4 << QStringList{} << 3000 << 0 << kUnsupported;
    QTest::newRow("starting up for three line feeds")
        << 5 << QStringList{"wake-after=3"} << 5431 << 5431 << kNone;
    QTest::newRow("silent") << 5 << QStringList{"silent"} << 3000 << 0 << kNotResponding;
}

void TestSensitivity::readingFromTheSimulator()
{
    QFETCH(int, release);
    QFETCH(QStringList, faults);
    QFETCH(int, shown);
    QFETCH(int, reported);
    QFETCH(QList<Shown>, messages);

    ControlBoxSimulator box(Release(release, faults));
    Bench bench(box);
    const CForceSensitivity::Reading reading = bench.sensitivity.Read(bench.settings);
    QCOMPARE(reading.sensitivity, shown);
    QCOMPARE(reading.reported, reported);
    QCOMPARE(bench.prompt.messages, messages);
    // A release 5 box that answered is back at its main prompt.
    if (release == 5 && messages != kNotResponding)
        QVERIFY(box.AtMainPrompt());
}

void TestSensitivity::writeTakesThreeExchangesAfterTheWakeUp()
{
    ControlBoxSimulator box(Release(5, {"wake-after=2"}));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::Yes});
    QCOMPARE(bench.sensitivity.Write(bench.settings, 4800), WriteOutcome::Stored);

    QCOMPARE(box.Writes(), (QByteArrayList{"\n", "\n", "86\n", "4800\n", "Y"}));
    QCOMPARE(box.Sensitivity(), 4800);
    QVERIFY(box.AtMainPrompt());
    QCOMPARE(bench.prompt.questions, QStringList{CForceSensitivity::kConfirmSetting});
    QVERIFY(bench.prompt.messages.isEmpty());

    // The next read finds the new value.
    QCOMPARE(bench.sensitivity.Read(bench.settings).sensitivity, 4800);
}

// No to "Confirm Setting?" is the operator's choice, not a dead box.
void TestSensitivity::declinedConfirmationLeavesTheBoxAtRest()
{
    ControlBoxSimulator box(Release(5));
    Bench bench(box);
    bench.prompt.QueueAnswers({Answer::No});
    QCOMPARE(bench.sensitivity.Write(bench.settings, 4800), WriteOutcome::Declined);

    QCOMPARE(box.Writes(), (QByteArrayList{"\n", "86\n", "4800\n", "\n\n\n"}));
    QCOMPARE(box.Sensitivity(), 5431);
    QVERIFY(box.AtMainPrompt());
    QVERIFY(bench.prompt.messages.isEmpty());
}

void TestSensitivity::writeFailures_data()
{
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QByteArrayList>("writes");

    QTest::newRow("silent box") << QByteArrayList{"", ""} << QList<Answer>{}
                                << QByteArrayList{"\n", "\n"};
    QTest::newRow("86 unanswered")
        << QByteArrayList{kMainPrompt, ""} << QList<Answer>{} << QByteArrayList{"\n", "86\n"};
    QTest::newRow("86 refused (release 4 starts an impact)")
        << QByteArrayList{kMainPrompt, "86\r\nEnter Force (K dynes x 10): "} << QList<Answer>{}
        << QByteArrayList{"\n", "86\n"};
    QTest::newRow("value unanswered")
        << QByteArrayList{kMainPrompt, "force sensor reprogram\r\n", ""} << QList<Answer>{}
        << QByteArrayList{"\n", "86\n", "5000\n"};
    QTest::newRow("value without Confirm")
        << QByteArrayList{kMainPrompt, "force sensor reprogram\r\n", "Out of range\r\n"}
        << QList<Answer>{} << QByteArrayList{"\n", "86\n", "5000\n"};
    QTest::newRow("Y unanswered") << QByteArrayList{kMainPrompt, "force sensor reprogram\r\n",
                                                    "Confirm (Y/N): ", ""}
                                  << QList<Answer>{Answer::Yes}
                                  << QByteArrayList{"\n", "86\n", "5000\n", "Y"};
}

void TestSensitivity::writeFailures()
{
    QFETCH(QByteArrayList, replies);
    QFETCH(QList<Answer>, answers);
    QFETCH(QByteArrayList, writes);

    CScriptedBox box;
    Script(box, replies);
    Bench bench(box);
    for (Answer answer : answers)
        bench.prompt.QueueAnswers({answer});
    QCOMPARE(bench.sensitivity.Write(bench.settings, 5000), WriteOutcome::NotResponding);
    QCOMPARE(bench.prompt.messages, kNotResponding);
    QCOMPARE(box.Writes(), writes);
}

void TestSensitivity::boxAwayFromItsMainPromptIsLeftAlone()
{
    CScriptedBox box;
    box.QueueReply("\r\nEnter Dwell (s): ");
    Bench bench(box);
    QCOMPARE(bench.sensitivity.Write(bench.settings, 5000), WriteOutcome::LeftAlone);
    QCOMPARE(box.Writes(), QByteArrayList{"\n"});
    QVERIFY(bench.prompt.messages.isEmpty());
    QVERIFY(bench.prompt.questions.isEmpty());

    // A line that only answers with line ends ends the wake-up.
    CScriptedBox blank;
    blank.SetFallback("\r\n");
    Bench blankBench(blank);
    QCOMPARE(blankBench.sensitivity.Write(blankBench.settings, 5000), WriteOutcome::NotResponding);
    QCOMPARE(blank.Writes(), QByteArrayList(CLineFeedProbe::kMaxBlankReplies, "\n"));
    QCOMPARE(blankBench.prompt.messages, kNotResponding);
}

QTEST_GUILESS_MAIN(TestSensitivity)
#include "tst_sensitivity.moc"

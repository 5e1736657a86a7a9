#include "CBoxSimProcess.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSerialLink.h"
#include "core/device/CSystemClock.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CSerialSettings.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>

namespace {

struct Run {
    bool Impact(const QString& device)
    {
        record = CImpactRecord();
        record.m_nDesiredVelocity = 100;
        outcome = CImpactRun(factory, clock, prompt)
                      .Run(CSerialSettings{device, 115200, "None", "1", 8}, 0, record)
                      .outcome;
        return CRunOutcome::ImpactMade(outcome);
    }

    CSystemClock clock;
    CPortFactory factory;
    CScriptedPrompt prompt;
    CImpactRecord record;
    CRunOutcome::Kind outcome = CRunOutcome::Kind::NotResponding;
};

}  // namespace

class TestLinkPty : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void release5ImpactOverAPseudoTerminal();
    void silentBoxIsNotRespondingWithinTheTimeOut();
    void portHeldElsewhereFailsAtOnce();
};

void TestLinkPty::release5ImpactOverAPseudoTerminal()
{
    CBoxSimProcess box({QStringLiteral("--seed"), QStringLiteral("11")});
    QVERIFY(box.Device().startsWith(QLatin1String("/dev/")));
    Run run;
    int hookCalls = 0;
    run.clock.SetWaitHook([&hookCalls] { ++hookCalls; });
    run.prompt.QueueAnswers({COperatorPrompt::Answer::Yes});

    QVERIFY(run.Impact(box.Device()));
    QCOMPARE(run.record.m_nFirmwareRelease, 5);
    QCOMPARE(run.record.m_strFirmwareVersion, QStringLiteral("R5.04"));
    QVERIFY(run.record.m_arrDispDown.size() > 30);
    QCOMPARE(run.record.m_arrForceDown.size(), run.record.m_arrDispDown.size());
    QCOMPARE(run.record.m_arrStepTimeUp.size(), run.record.m_arrDispUp.size());
    QVERIFY(!run.record.m_arrDispUp.isEmpty());
    run.record.DeriveActualValues();
    QVERIFY2(run.record.m_nActualForce >= 100 && run.record.m_nActualForce <= 110,
             qPrintable(QString::number(run.record.m_nActualForce)));
    QVERIFY(hookCalls > 0);  // the window could have painted meanwhile
}

void TestLinkPty::silentBoxIsNotRespondingWithinTheTimeOut()
{
    CBoxSimProcess box({QStringLiteral("--fault"), QStringLiteral("silent")});
    QVERIFY(!box.Device().isEmpty());
    Run run;
    QElapsedTimer timer;
    timer.start();

    QVERIFY(!run.Impact(box.Device()));
    const qint64 elapsedMs = timer.elapsed();
    QCOMPARE(run.outcome, CRunOutcome::Kind::NotResponding);
    // One wake-up exchange: its write, then the whole short read.
    QVERIFY2(elapsedMs >= 1330 - 5 && elapsedMs < 1330 + 1500,
             qPrintable(QString::number(elapsedMs)));
}

void TestLinkPty::portHeldElsewhereFailsAtOnce()
{
    CBoxSimProcess box({});
    QVERIFY(!box.Device().isEmpty());
    CSystemClock clock;
    CPortFactory factory;
    CSerialLink link(factory, clock);
    link.Configure(115200, 8, box.Device(), "None", "1");
    QVERIFY(link.Exchange("\n"));
    QVERIFY(link.ReplyText().contains(QLatin1String("Enter Mode")));

    QSerialPort other(box.Device());
    QVERIFY(other.open(QIODevice::ReadWrite));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!link.Exchange("57\n"));
    QVERIFY(timer.elapsed() < 500);
    QVERIFY(link.ReplyText().contains(QLatin1String("Enter Mode")));
}

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_link_pty.moc"

#include "ImpactRecord.h"
#include "SimulatedImpact.h"
#include "TestSettings.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/record/CImpactMeasures.h"
#include "core/record/CImpactRecord.h"

#include <QSettings>
#include <QTest>

using Flag = CQualityVerdict::Flag;

Q_DECLARE_METATYPE(QList<CQualityVerdict::Flag>)

namespace {

QList<Flag> FlagsOf(const CImpactRecord& record, const CQualityThresholds& thresholds = {})
{
    const std::optional<CQualityVerdict> verdict = CQualityCheck::Judge(record, thresholds);
    return verdict ? verdict->Flags() : QList<Flag>{Flag::TooFewSamples, Flag::TooFewSamples};
}

}  // namespace

class TestQualityCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanRecordPassesAndNoDataIsNotJudged();
    void forceOffTargetAtItsTolerance_data();
    void forceOffTargetAtItsTolerance();
    void velocityOffTargetAtItsTolerance_data();
    void velocityOffTargetAtItsTolerance();
    void earlyContactAtItsForce_data();
    void earlyContactAtItsForce();
    void secondHitAtItsRise_data();
    void secondHitAtItsRise();
    void boneContactAtItsDisplacement_data();
    void boneContactAtItsDisplacement();
    void tooFewSamplesAtItsMinimum_data();
    void tooFewSamplesAtItsMinimum();
    void simulatorFaultRaisesItsFlag_data();
    void simulatorFaultRaisesItsFlag();
    void measuresWorkedByHand_data();
    void measuresWorkedByHand();
    void thresholdsRoundTripThroughTheSettings();
    void verdictTexts();
};

void TestQualityCheck::initTestCase()
{
    UseTestSettings();
}

void TestQualityCheck::cleanRecordPassesAndNoDataIsNotJudged()
{
    CImpactRecord record = CleanRecord();
    QCOMPARE(FlagsOf(record), QList<Flag>{});
    QCOMPARE(CQualityCheck::Judge(record, {})->Text(), QStringLiteral("QC pass"));
    record.m_bDataPresent = false;
    QVERIFY(!CQualityCheck::Judge(record, {}));
}

void TestQualityCheck::forceOffTargetAtItsTolerance_data()
{
    QTest::addColumn<int>("difference");
    QTest::addColumn<bool>("flagged");
    // Default tolerance: 10 K dynes either way.
    QTest::newRow("9 over") << 9 << false;
    QTest::newRow("10 over") << 10 << false;
    QTest::newRow("11 over") << 11 << true;
    QTest::newRow("10 under") << -10 << false;
    QTest::newRow("11 under") << -11 << true;
}

void TestQualityCheck::forceOffTargetAtItsTolerance()
{
    QFETCH(int, difference);
    QFETCH(bool, flagged);
    CImpactRecord record = CleanRecord();
    record.m_nDesiredForce = record.m_nActualForce - difference;
    QCOMPARE(FlagsOf(record), flagged ? QList<Flag>{Flag::ForceOffTarget} : QList<Flag>{});
}

void TestQualityCheck::velocityOffTargetAtItsTolerance_data()
{
    QTest::addColumn<int>("desired");
    QTest::addColumn<int>("actual");
    QTest::addColumn<int>("downCount");
    QTest::addColumn<bool>("flagged");
    // Default tolerance: 10 % of the desired velocity.
    QTest::newRow("9 % over") << 100 << 109 << 40 << false;
    QTest::newRow("10 % over") << 100 << 110 << 40 << false;
    QTest::newRow("11 % over") << 100 << 111 << 40 << true;
    QTest::newRow("11 % under") << 100 << 89 << 40 << true;
    // One count over samples 10 to 30 is 2.45 mm/s: 1 mm/s asked, 0 or 3
    // measured, is the measurement's grain; 4 is not.
    QTest::newRow("slow, within a count") << 1 << 3 << 40 << false;
    QTest::newRow("slow, beyond a count") << 1 << 4 << 40 << true;
    // A short stroke's span is coarser: 26 samples over 21 x 0.36 ms make
    // one count 2.33 mm/s, so 2 off at 10 mm/s stays, 3 off is flagged.
    QTest::newRow("short stroke, within a count") << 10 << 12 << 26 << false;
    QTest::newRow("short stroke, beyond a count") << 10 << 13 << 26 << true;
    // No velocity derived from 5 samples, none asked for: nothing to judge.
    QTest::newRow("not measured") << 100 << 0 << 5 << false;
    QTest::newRow("none asked for") << 0 << 50 << 40 << false;
}

void TestQualityCheck::velocityOffTargetAtItsTolerance()
{
    QFETCH(int, desired);
    QFETCH(int, actual);
    QFETCH(int, downCount);
    QFETCH(bool, flagged);
    CImpactRecord record = CleanRecord(downCount);
    record.m_nDesiredVelocity = desired;
    record.m_nActualVelocity = actual;
    QCOMPARE(FlagsOf(record).contains(Flag::VelocityOffTarget), flagged);
}

void TestQualityCheck::earlyContactAtItsForce_data()
{
    QTest::addColumn<quint32>("firstForce");
    QTest::addColumn<bool>("flagged");
    // Default: 20 K dynes, 200 in tenths, at or above.
    QTest::newRow("199") << quint32(199) << false;
    QTest::newRow("200") << quint32(200) << true;
    QTest::newRow("201") << quint32(201) << true;
}

void TestQualityCheck::earlyContactAtItsForce()
{
    QFETCH(quint32, firstForce);
    QFETCH(bool, flagged);
    CImpactRecord record = CleanRecord();
    record.m_arrForceDown[0] = firstForce;
    record.ComputeTraceStats();
    QCOMPARE(FlagsOf(record), flagged ? QList<Flag>{Flag::EarlyContact} : QList<Flag>{});
}

void TestQualityCheck::secondHitAtItsRise_data()
{
    QTest::addColumn<quint32>("rise");
    QTest::addColumn<bool>("flagged");
    // Default: more than 5 K dynes, 50 in tenths, above the lowest force before.
    QTest::newRow("49") << quint32(49) << false;
    QTest::newRow("50") << quint32(50) << false;
    QTest::newRow("51") << quint32(51) << true;
}

void TestQualityCheck::secondHitAtItsRise()
{
    QFETCH(quint32, rise);
    QFETCH(bool, flagged);
    CImpactRecord record = CleanRecord();
    // The force falls to its lowest so far at sample 9, then rises again.
    record.m_arrForceUp[10] = record.m_arrForceUp[9] + rise;
    QCOMPARE(FlagsOf(record), flagged ? QList<Flag>{Flag::SecondHit} : QList<Flag>{});
}

void TestQualityCheck::boneContactAtItsDisplacement_data()
{
    QTest::addColumn<int>("thresholdOffset");
    QTest::addColumn<bool>("flagged");
    QTest::newRow("one below the travel") << -1 << false;
    QTest::newRow("at the travel") << 0 << false;
    QTest::newRow("one above the travel") << 1 << true;
}

// From the last sample before contact (index 4, position 1008) to the peak
// (index 39, position 1078): 70 counts, 1234.7 microns, 1234 truncated.
void TestQualityCheck::boneContactAtItsDisplacement()
{
    QFETCH(int, thresholdOffset);
    QFETCH(bool, flagged);
    const CImpactRecord record = CleanRecord();
    QCOMPARE(CImpactMeasures::Of(record).m_nDispAtPeakMicrons, 1234);
    CQualityThresholds thresholds;
    thresholds.m_nBoneDisplacementMicrons = 1234 + thresholdOffset;
    QCOMPARE(FlagsOf(record, thresholds), flagged ? QList<Flag>{Flag::BoneContact} : QList<Flag>{});
}

void TestQualityCheck::tooFewSamplesAtItsMinimum_data()
{
    QTest::addColumn<int>("downCount");
    QTest::addColumn<bool>("flagged");
    // Default: 32, the samples the velocity's span of samples 10 to 30 needs.
    QTest::newRow("31") << 31 << true;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("33") << 33 << false;
}

void TestQualityCheck::tooFewSamplesAtItsMinimum()
{
    QFETCH(int, downCount);
    QFETCH(bool, flagged);
    QCOMPARE(FlagsOf(CleanRecord(downCount)),
             flagged ? QList<Flag>{Flag::TooFewSamples} : QList<Flag>{});
}

void TestQualityCheck::simulatorFaultRaisesItsFlag_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("force");
    QTest::addColumn<int>("velocity");
    QTest::addColumn<QList<Flag>>("flags");
    const QList<std::pair<int, int>> impacts = {{100, 100}, {50, 50}, {150, 20}};
    for (const auto& [force, velocity] : impacts) {
        const QByteArray at =
            QStringLiteral(" %1 K dynes %2 mm/s").arg(force).arg(velocity).toLatin1();
        QTest::newRow("none" + at) << QString() << force << velocity << QList<Flag>{};
        QTest::newRow("second-hit" + at)
            << QStringLiteral("second-hit") << force << velocity << QList<Flag>{Flag::SecondHit};
        // A stiff load climbs tens of K dynes between samples at speed, so
        // the box stops past the set peak.
        const QList<Flag> bone = velocity > 20
                                     ? QList<Flag>{Flag::ForceOffTarget, Flag::BoneContact}
                                     : QList<Flag>{Flag::BoneContact};
        QTest::newRow("bone" + at) << QStringLiteral("bone") << force << velocity << bone;
        QTest::newRow("overshoot" + at) << QStringLiteral("overshoot") << force << velocity
                                        << QList<Flag>{Flag::ForceOffTarget};
        QTest::newRow("slow-drive" + at) << QStringLiteral("slow-drive") << force << velocity
                                         << QList<Flag>{Flag::VelocityOffTarget};
    }
    // Started 500 microns into the cord, a stroke to 100 K dynes at 100 mm/s
    // is 14 samples long; at 20 mm/s it has samples enough.
    QTest::newRow("early-contact 100 K dynes 100 mm/s")
        << QStringLiteral("early-contact") << 100 << 100
        << QList<Flag>{Flag::EarlyContact, Flag::TooFewSamples};
    QTest::newRow("early-contact 150 K dynes 20 mm/s")
        << QStringLiteral("early-contact") << 150 << 20 << QList<Flag>{Flag::EarlyContact};
}

void TestQualityCheck::simulatorFaultRaisesItsFlag()
{
    QFETCH(QString, fault);
    QFETCH(int, force);
    QFETCH(int, velocity);
    QFETCH(QList<Flag>, flags);
    QCOMPARE(FlagsOf(SimulatedImpact(fault, force, velocity)), flags);
}

void TestQualityCheck::measuresWorkedByHand_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<CUIntArray>("stepTimes");
    QTest::addColumn<CUIntArray>("dispUp");
    QTest::addColumn<CUIntArray>("forceUp");
    // In the order of CImpactMeasures::Fields(): peak force, peak time, time
    // to peak, displacement at peak, travel to peak, force-time integral,
    // work to peak, mean velocity to peak.
    QTest::addColumn<QList<double>>("expected");
    // Down: positions 100, 110, 120, 125; forces 50, 150, 400, 900 (tenths).
    // Up: positions 125, 115; forces 600, 100. Contact at index 2 (400),
    // measured from index 1 (position 110); the peak is index 3 (900).
    // Displacement at the peak: 15 counts x 17.63889 = 264.58 -> 264 microns,
    // travelled the same. Forces in K dynes: 5, 15, 40, 90, 60, 10, sum 220.
    // Work: (15 + 40) / 2 x 10 + (40 + 90) / 2 x 5 = 275 + 325 = 600 K dyne
    // counts x 17.63889 = 10583.33 K dyne microns x 0.01 = 105.833 uJ.
    // Release 4: peak at 3 x 0.36 = 1.08 ms, time to peak 2 x 0.36 = 0.72 ms;
    // integral 220 x 0.36 = 79.2; velocity 264.583 / 0.72 = 367.477 mm/s.
    QTest::newRow("release 4") << 4 << CUIntArray{} << CUIntArray{125, 115} << CUIntArray{600, 100}
                               << QList<double>{90,      1.08, 0.72,    264,
                                                264.583, 79.2, 105.833, 367.477};
    // Release 5, steps 5000, 6000, 7000, 8000 | 9000, 10000 counts of 60 ns:
    // 0.30, 0.36, 0.42, 0.48 | 0.54, 0.60 ms. Peak at 0.30 + 0.36 + 0.42 =
    // 1.08 ms; time to peak 0.36 + 0.42 = 0.78; velocity 264.583 / 0.78 =
    // 339.209 mm/s; integral 5x0.30 + 15x0.36 + 40x0.42 + 90x0.48 + 60x0.54 +
    // 10x0.60 = 1.5 + 5.4 + 16.8 + 43.2 + 32.4 + 6.0 = 105.3.
    QTest::newRow("release 5") << 5 << CUIntArray{5000, 6000, 7000, 8000, 9000, 10000}
                               << CUIntArray{125, 115} << CUIntArray{600, 100}
                               << QList<double>{90,      1.08,  0.78,    264,
                                                264.583, 105.3, 105.833, 339.209};
    // The peak on the up stroke: up positions 120, 115, forces 950, 100.
    // Peak index 4 at 4 x 0.36 = 1.44 ms, 3 x 0.36 = 1.08 ms from contact.
    // Net 120 - 110 = 10 counts = 176.39 -> 176 microns; travelled 10 + 5 +
    // 5 = 20 counts = 352.778 microns. Work 600 + (90 + 95) / 2 x (-5) =
    // 137.5 K dyne counts = 24.253 uJ. Integral (5 + 15 + 40 + 90 + 95 + 10)
    // x 0.36 = 91.8; velocity 176.389 / 1.08 = 163.323 mm/s.
    QTest::newRow("peak withdrawing")
        << 4 << CUIntArray{} << CUIntArray{120, 115} << CUIntArray{950, 100}
        << QList<double>{95, 1.44, 1.08, 176, 352.778, 91.8, 24.253, 163.323};
}

void TestQualityCheck::measuresWorkedByHand()
{
    QFETCH(int, release);
    QFETCH(CUIntArray, stepTimes);
    QFETCH(CUIntArray, dispUp);
    QFETCH(CUIntArray, forceUp);
    QFETCH(QList<double>, expected);
    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    record.m_arrDispDown = {100, 110, 120, 125};
    record.m_arrForceDown = {50, 150, 400, 900};
    record.m_arrDispUp = dispUp;
    record.m_arrForceUp = forceUp;
    record.m_arrStepTimeDown = stepTimes.mid(0, 4);
    record.m_arrStepTimeUp = stepTimes.mid(4);
    record.ComputeTraceStats();

    CImpactMeasures measures = CImpactMeasures::Of(record);
    const QList<CImpactMeasures::Field>& fields = CImpactMeasures::Fields();
    QCOMPARE(fields.size(), expected.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const std::optional<double> value = fields[i].value(measures);
        QVERIFY2(value && qAbs(*value - expected[i]) < 1e-3, fields[i].key);
    }

    // A probe that started on the tissue has no contact to measure from.
    record.m_arrForceDown[0] = 250;
    record.ComputeTraceStats();
    measures = CImpactMeasures::Of(record);
    QVERIFY(!measures.m_nTimeToPeakMs && !measures.m_nDispAtPeakMicrons &&
            !measures.m_nWorkMicroJ && !measures.m_nMeanVelocityMmPerS);
    QVERIFY(measures.m_nForceTimeIntegralKdynMs);
    // A release-5 sample without its step count has no time.
    if (release == 5) {
        record.m_arrStepTimeUp.removeLast();
        QVERIFY(!CImpactMeasures::Of(record).m_nForceTimeIntegralKdynMs);
    }
}

void TestQualityCheck::thresholdsRoundTripThroughTheSettings()
{
    QCOMPARE(CQualitySettings::Load(), CQualityThresholds{});
    CQualityThresholds changed;
    changed.m_nForceToleranceKdyn = 15;
    changed.m_nMinDownSamples = 6;
    CQualitySettings::Save(changed);
    QCOMPARE(CQualitySettings::Load(), changed);

    // Out of range or not a number: the default again.
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Zentak"));
    settings.setValue(QStringLiteral("Quality Check/minDownSamples"), 5);
    settings.setValue(QStringLiteral("Quality Check/forceToleranceKdyn"), QStringLiteral("ten"));
    settings.sync();
    QCOMPARE(CQualitySettings::Load(), CQualityThresholds{});
    CQualitySettings::Save(CQualityThresholds{});
}

void TestQualityCheck::verdictTexts()
{
    CQualityVerdict verdict;
    QCOMPARE(verdict.Text(), QStringLiteral("QC pass"));
    verdict.Add(Flag::BoneContact);
    verdict.Add(Flag::ForceOffTarget);
    QCOMPARE(verdict.Text(), QStringLiteral("QC flags: force off target, bone contact"));
    QCOMPARE(verdict.Keys(), (QStringList{"force-off-target", "bone-contact"}));
}

QTEST_GUILESS_MAIN(TestQualityCheck)
#include "tst_quality_check.moc"

#include "CManualClock.h"
#include "CRecordingFactory.h"
#include "CScriptedBox.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSerialLink.h"
#include "core/record/CSerialSettings.h"

#include <QTest>

class TestSerialSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithDefaults();
    void applyStoresValuesUnchanged();
};

void TestSerialSettings::startsWithDefaults()
{
    QCOMPARE(CSerialSettings(), (CSerialSettings{QStringLiteral("Com1"), 9600,
                                                 QStringLiteral("None"), QStringLiteral("1"), 8}));
}

// The settings reach the port exactly as the five-value form gives them:
// names and numbers, nothing checked or corrected on the way.
void TestSerialSettings::applyStoresValuesUnchanged()
{
    CScriptedBox box;
    box.SetFallback("Enter Mode: ");
    CRecordingFactory factory(box);
    CManualClock clock;
    CSerialLink link(factory, clock);
    link.Configure(CSerialSettings{CPortFactory::kSimulatorPort, 0, QStringLiteral("Even"),
                                   QStringLiteral("2"), 7});
    QVERIFY(link.Exchange(QStringLiteral("\n")));
    link.Configure(0, 7, CPortFactory::kSimulatorPort, QStringLiteral("Even"), QStringLiteral("2"));
    QVERIFY(link.Exchange(QStringLiteral("\n")));

    QCOMPARE(factory.setups.size(), 2);
    for (const CRecordingFactory::Setup& setup : factory.setups) {
        QCOMPARE(setup.settings.baudRate, 0);
        QCOMPARE(int(setup.settings.dataBits), 7);
        QCOMPARE(int(setup.settings.parity), int(CLineSettings::EvenParity));
        QCOMPARE(int(setup.settings.stopBits), int(CLineSettings::TwoStop));
    }
}

QTEST_GUILESS_MAIN(TestSerialSettings)
#include "tst_serial_settings.moc"

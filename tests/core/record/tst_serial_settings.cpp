#include "CManualClock.h"
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
    const CSerialSettings settings;
    QCOMPARE(settings.m_strPort, QStringLiteral("Com1"));
    QCOMPARE(settings.m_nBaudRate, 9600);
    QCOMPARE(settings.m_strParity, QStringLiteral("None"));
    QCOMPARE(settings.m_strStopBits, QStringLiteral("1"));
    QCOMPARE(settings.m_nByteSize, 8);
}

// The settings reach the link exactly as the five-value form gives them:
// names and numbers, nothing checked or corrected on the way.
void TestSerialSettings::applyStoresValuesUnchanged()
{
    const CSerialSettings settings{QStringLiteral("Com12"), 0, QStringLiteral("even"),
                                   QStringLiteral("3"), 7};
    CPortFactory factory;
    CManualClock clock;
    CSerialLink link(factory, clock);
    link.Configure(settings);
    CSerialLink byValues(factory, clock);
    byValues.Configure(0, 7, QStringLiteral("Com12"), QStringLiteral("even"), QStringLiteral("3"));
    QCOMPARE(link.m_strPort, QStringLiteral("Com12"));
    QCOMPARE(link.m_nBaudRate, 0);
    QCOMPARE(link.m_nByteSize, 7);
    QCOMPARE(link.m_nParity, byValues.m_nParity);
    QCOMPARE(link.m_nStopBits, byValues.m_nStopBits);
}

QTEST_GUILESS_MAIN(TestSerialSettings)
#include "tst_serial_settings.moc"

#include "core/record/CSharedWindowState.h"
#include "core/record/CTextRules.h"

#include <QSignalSpy>
#include <QTest>

class TestSharedState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithDefaults();
    void applyStoresValuesUnchanged();
    void busyPaneAnnouncesChanges();
    void dataPresentAnnouncesChanges();
    void leadingInteger_data();
    void leadingInteger();
    void trimsOnlyCSpace();
};

void TestSharedState::startsWithDefaults()
{
    const CSharedWindowState state;
    QCOMPARE(state.m_strPort, QStringLiteral("Com1"));
    QCOMPARE(state.m_nBaudRate, 9600);
    QCOMPARE(state.m_strParity, QStringLiteral("None"));
    QCOMPARE(state.m_strStopBits, QStringLiteral("1"));
    QCOMPARE(state.m_nByteSize, 8);
    QVERIFY(!state.DataPresent());
    QCOMPARE(state.BusyText(), QString());
}

void TestSharedState::applyStoresValuesUnchanged()
{
    CSharedWindowState state;
    state.ApplySerialSettings(QStringLiteral("Com12"), 0, QStringLiteral("even"),
                              QStringLiteral("3"), 0);
    QCOMPARE(state.m_strPort, QStringLiteral("Com12"));
    QCOMPARE(state.m_nBaudRate, 0);
    QCOMPARE(state.m_strParity, QStringLiteral("even"));
    QCOMPARE(state.m_strStopBits, QStringLiteral("3"));
    QCOMPARE(state.m_nByteSize, 0);
}

void TestSharedState::busyPaneAnnouncesChanges()
{
    CSharedWindowState state;
    QSignalSpy spy(&state, &CSharedWindowState::busyTextChanged);
    state.SetBusyText(QStringLiteral("BUSY"));
    state.SetBusyText(QStringLiteral("BUSY"));
    state.SetBusyText(QString());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("BUSY"));
    QCOMPARE(state.BusyText(), QString());
}

void TestSharedState::dataPresentAnnouncesChanges()
{
    CSharedWindowState state;
    QSignalSpy spy(&state, &CSharedWindowState::dataPresentChanged);
    state.SetDataPresent(true);
    state.SetDataPresent(true);
    QVERIFY(state.DataPresent());
    QCOMPARE(spy.count(), 1);
}

void TestSharedState::leadingInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<quint32>("sample");
    QTest::addColumn<int>("asInt");
    QTest::newRow("plain") << "5431" << qint64(5431) << 5431u << 5431;
    QTest::newRow("space and sign") << " \t+12)" << qint64(12) << 12u << 12;
    QTest::newRow("negative") << "-35#" << qint64(-35) << 0u << -35;
    QTest::newRow("no digits") << "abc" << qint64(0) << 0u << 0;
    QTest::newRow("empty") << "" << qint64(0) << 0u << 0;
    QTest::newRow("sign only") << "-" << qint64(0) << 0u << 0;
    QTest::newRow("no-break space is not space")
        << QStringLiteral("\u00a05") << qint64(0) << 0u << 0;
    QTest::newRow("stops at carriage return") << "77\r" << qint64(77) << 77u << 77;
    QTest::newRow("beyond int") << "3000000000" << qint64(3000000000) << 3000000000u << 2147483647;
    QTest::newRow("far beyond 32 bits")
        << "-99999999999" << qint64(-99999999999) << 0u << int(-2147483647 - 1);
}

void TestSharedState::leadingInteger()
{
    QFETCH(QString, text);
    QTEST(CTextRules::LeadingInteger(text), "value");
    QTEST(CTextRules::LeadingSample(text), "sample");
    QTEST(CTextRules::LeadingInt(text), "asInt");
}

void TestSharedState::trimsOnlyCSpace()
{
    QCOMPARE(CTextRules::Trimmed(u" \t\r\n\v\fR5 1.2 -\r\n"), QStringLiteral("R5 1.2 -"));
    QCOMPARE(CTextRules::Trimmed(u"\u00a0x\u00a0"), QStringLiteral("\u00a0x\u00a0"));
    QCOMPARE(CTextRules::TrimmedLeft(u"\r\n Enter Mode \r\n"), QStringLiteral("Enter Mode \r\n"));
    QCOMPARE(CTextRules::Trimmed(u" \r\n "), QString());
}

QTEST_GUILESS_MAIN(TestSharedState)
#include "tst_shared_state.moc"

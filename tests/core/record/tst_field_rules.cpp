#include "core/record/CFieldRules.h"

#include <QTest>

class TestFieldRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesIntegerFields_data();
    void parsesIntegerFields();
    void messagesNameTheirBounds();
    void itemIntegerGivesZeroForText_data();
    void itemIntegerGivesZeroForText();
};

void TestFieldRules::parsesIntegerFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "100" << true << 100;
    QTest::newRow("blanks and tabs around") << " \t-5\t " << true << -5;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("trailing letter") << "12a" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("line break is not a blank") << "12\n" << false << 0;
    QTest::newRow("beyond int") << "99999999999" << false << 0;
    QTest::newRow("31 characters read") << QString(29, u'0') + "12" << true << 12;
    QTest::newRow("digits past 31 characters ignored") << QString(31, u' ') + "5" << false << 0;
}

void TestFieldRules::parsesIntegerFields()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const std::optional<int> parsed = CFieldRules::ParseInteger(text);
    QCOMPARE(parsed.has_value(), accepted);
    if (accepted)
        QTEST(*parsed, "value");
}

void TestFieldRules::messagesNameTheirBounds()
{
    QCOMPARE(CFieldRules::kIntegerMessage, QStringLiteral("Please enter an integer."));
    QCOMPARE(CFieldRules::RangeMessage(1, 1000),
             QStringLiteral("Please enter an integer between 1 and 1000."));
    QCOMPARE(CFieldRules::RangeMessage(3000, 7000),
             QStringLiteral("Please enter an integer between 3000 and 7000."));
    QCOMPARE(CFieldRules::LengthMessage(128),
             QStringLiteral("Please enter no more than 128 characters."));
}

void TestFieldRules::itemIntegerGivesZeroForText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("baud rate") << "19200" << 19200;
    QTest::newRow("leading blanks") << "  8" << 8;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("letters") << "fast" << 0;
    QTest::newRow("digits then letters") << "96k" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestFieldRules::itemIntegerGivesZeroForText()
{
    QFETCH(QString, text);
    QTEST(CFieldRules::ItemInteger(text), "value");
}

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_field_rules.moc"

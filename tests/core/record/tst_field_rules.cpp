#include "core/record/CFieldRules.h"
#include "core/record/CRunSubject.h"
#include "core/record/CTextRules.h"

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
    void leadingInteger_data();
    void leadingInteger();
    void trimsOnlyCSpace();
    void subjectRules_data();
    void subjectRules();
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

void TestFieldRules::leadingInteger_data()
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

void TestFieldRules::leadingInteger()
{
    QFETCH(QString, text);
    QTEST(CTextRules::LeadingInteger(text), "value");
    QTEST(CTextRules::LeadingSample(text), "sample");
    QTEST(CTextRules::LeadingInt(text), "asInt");
}

void TestFieldRules::trimsOnlyCSpace()
{
    QCOMPARE(CTextRules::Trimmed(u" \t\r\n\v\fR5 1.2 -\r\n"), QStringLiteral("R5 1.2 -"));
    QCOMPARE(CTextRules::Trimmed(u"\u00a0x\u00a0"), QStringLiteral("\u00a0x\u00a0"));
    QCOMPARE(CTextRules::TrimmedLeft(u"\r\n Enter Mode \r\n"), QStringLiteral("Enter Mode \r\n"));
    QCOMPARE(CTextRules::Trimmed(u" \r\n "), QString());
}

void TestFieldRules::subjectRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("refusal");
    const QString longest(64, u'x');
    QTest::newRow("none") << ""
                          << ""
                          << "";
    QTest::newRow("blanks only") << " \t "
                                 << ""
                                 << "";
    QTest::newRow("plain") << "rat 17"
                           << "rat 17"
                           << "";
    QTest::newRow("blanks around dropped") << "  rat 17\t "
                                           << "rat 17"
                                           << "";
    QTest::newRow("latin-1 letters")
        << QStringLiteral("Maus é-3 (links)") << QStringLiteral("Maus é-3 (links)") << "";
    QTest::newRow("64 characters") << longest << longest << "";
    QTest::newRow("64 after the blanks go") << "  " + longest + "  " << longest << "";
    QTest::newRow("65 characters") << longest + "y" << longest + "y"
                                   << "The subject is 65 characters long; it may hold at most 64.";
    const QString oneLine = QStringLiteral(
        "The subject must be one line of text, without tabs or other control characters.");
    QTest::newRow("line break") << "rat\r\n17"
                                << "rat\r\n17" << oneLine;
    QTest::newRow("tab inside") << "rat\t17"
                                << "rat\t17" << oneLine;
    QTest::newRow("C1 control") << QStringLiteral("rat\u008517") << QStringLiteral("rat\u008517")
                                << oneLine;
    QTest::newRow("beyond latin-1")
        << QStringLiteral("rat Ω") << QStringLiteral("rat Ω")
        << QStringLiteral("The subject holds \"Ω\", which an experiment file cannot store: it "
                          "keeps 8-bit (Latin-1) text only.");
    QTest::newRow("end marker")
        << "rat -----End of File-----"
        << "rat -----End of File-----"
        << "The subject may not hold \"End of File\": experiment files and the run log are "
           "divided at that text.";
    QTest::newRow("header")
        << "ZR Spinal Cord Impactor Experiment File v5.0"
        << "ZR Spinal Cord Impactor Experiment File v5.0"
        << "The subject may not hold \"Impactor Experiment File\": experiment files and the run "
           "log are divided at that text.";
}

void TestFieldRules::subjectRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, subject);
    QCOMPARE(CRunSubject::Normalized(typed), subject);
    QTEST(CRunSubject::Refusal(subject), "refusal");
}

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_field_rules.moc"

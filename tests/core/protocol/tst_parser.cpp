#include "core/protocol/CRunDataParser.h"
#include "core/record/CImpactRecord.h"

#include <QTest>

class TestParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinsLinesCutBetweenReads();
    void parsesSampleLines_data();
    void parsesSampleLines();
};

void TestParser::joinsLinesCutBetweenReads()
{
    const QStringList lines =
        CRunDataParser::SplitIntoLines({"a\r\nb", "  \t", "c\n\n d", "#12#3", "4\r\n"});
    QCOMPARE(lines, (QStringList{"a", "b  \tc", "d#12#34"}));
}

void TestParser::parsesSampleLines_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<CUIntArray>("dispDown");
    QTest::addColumn<CUIntArray>("forceDown");
    QTest::addColumn<CUIntArray>("stepDown");
    QTest::addColumn<CUIntArray>("dispUp");
    QTest::addColumn<CUIntArray>("forceUp");
    QTest::addColumn<CUIntArray>("stepUp");
    using A = CUIntArray;

    QTest::newRow("r4 down with separators around")
        << 4 << QStringList{"#120#35#\r\n"} << A{120} << A{35} << A{} << A{} << A{} << A{};
    QTest::newRow("r4 down bare") << 4 << QStringList{"120#35"} << A{120} << A{35} << A{} << A{}
                                  << A{} << A{};
    QTest::newRow("r4 down many trailing")
        << 4 << QStringList{"  #7#8###  "} << A{7} << A{8} << A{} << A{} << A{} << A{};
    QTest::newRow("r4 up with separators around")
        << 4 << QStringList{"-120-35-"} << A{} << A{} << A{} << A{120} << A{35} << A{};
    QTest::newRow("r4 up bare") << 4 << QStringList{"121-36\r"} << A{} << A{} << A{} << A{121}
                                << A{36} << A{};
    QTest::newRow("r4 run line adds nothing")
        << 4 << QStringList{"Impact run - done"} << A{} << A{} << A{} << A{} << A{} << A{};
    QTest::newRow("r4 both separators feed both strokes")
        << 4 << QStringList{"12#34-56"} << A{12} << A{34} << A{} << A{12} << A{56} << A{};
    QTest::newRow("r4 prompts add nothing")
        << 4 << QStringList{"Enter Mode\r\n", "Press y"} << A{} << A{} << A{} << A{} << A{} << A{};
    QTest::newRow("r4 line cut after the first force digit")
        << 4 << QStringList{"#120#3", "5\r\n#130#40#\r\n"} << A{120, 130} << A{35, 40} << A{} << A{}
        << A{} << A{};
    QTest::newRow("r4 line cut between CR and LF, then inside the displacement")
        << 4 << QStringList{"#120#35#\r", "\n#1", "30#40#\r\n-9", "-8-"} << A{120, 130} << A{35, 40}
        << A{} << A{9} << A{8} << A{};
    QTest::newRow("r4 white space chunk")
        << 4 << QStringList{" \r\n "} << A{} << A{} << A{} << A{} << A{} << A{};
    QTest::newRow("r4 negative field is 0, both rules still append one each")
        << 4 << QStringList{"#-5#30"} << A{0} << A{30} << A{} << A{0} << A{5} << A{};

    QTest::newRow("r5 down with leading separator")
        << 5 << QStringList{"#120#35#4000"} << A{120} << A{35} << A{4000} << A{} << A{} << A{};
    QTest::newRow("r5 down bare") << 5 << QStringList{"120#35#4000\r"} << A{120} << A{35} << A{4000}
                                  << A{} << A{} << A{};
    QTest::newRow("r5 up with leading separator")
        << 5 << QStringList{"-120-35-4000"} << A{} << A{} << A{} << A{120} << A{35} << A{4000};
    QTest::newRow("r5 up bare") << 5 << QStringList{"120-35-4000"} << A{} << A{} << A{} << A{120}
                                << A{35} << A{4000};
    QTest::newRow("r5 download with prompt and both strokes")
        << 5 << QStringList{"y\r\n#1#2#3\r\n#4#5#6\r\n", "-7-8-9\r\nEnter Mode"} << A{1, 4}
        << A{2, 5} << A{3, 6} << A{7} << A{8} << A{9};
    QTest::newRow("r5 run line adds nothing")
        << 5 << QStringList{"run-1-2-3"} << A{} << A{} << A{} << A{} << A{} << A{};
    QTest::newRow("r5 missing step field is 0")
        << 5 << QStringList{"#120#35"} << A{120} << A{35} << A{0} << A{} << A{} << A{};
    QTest::newRow("r5 only one field")
        << 5 << QStringList{"#120"} << A{120} << A{0} << A{0} << A{} << A{} << A{};
    QTest::newRow("r5 line cut across reads") << 5 << QStringList{"#120#35#40", "00\r\n"} << A{120}
                                              << A{35} << A{4000} << A{} << A{} << A{};
    QTest::newRow("r5 line cut at its separators")
        << 5 << QStringList{"-7", "-", "8", "-9\r\n#1#", "2#3"} << A{1} << A{2} << A{3} << A{7}
        << A{8} << A{9};
    QTest::newRow("r5 noise after a reply is no part of the next line")
        << 5 << QStringList{"#1#2#3\r\n\x01\xfe", "#4#5#6\r\n"} << A{1, 4} << A{2, 5} << A{3, 6}
        << A{} << A{} << A{};
    QTest::newRow("r5 negative field is 0")
        << 5 << QStringList{"#-5#30#100"} << A{0} << A{30} << A{100} << A{0} << A{5} << A{0};
    QTest::newRow("r5 number beyond 32 bits saturates")
        << 5 << QStringList{"#99999999999#1#1"} << A{4294967295u} << A{1} << A{1} << A{} << A{}
        << A{};

    QTest::newRow("release 0 parses nothing")
        << 0 << QStringList{"#1#2#3", "-4-5-6"} << A{} << A{} << A{} << A{} << A{} << A{};
    QTest::newRow("release 6 parses nothing")
        << 6 << QStringList{"#1#2#3"} << A{} << A{} << A{} << A{} << A{} << A{};
}

void TestParser::parsesSampleLines()
{
    QFETCH(int, release);
    QFETCH(QStringList, chunks);
    CImpactRecord record;
    record.m_nFirmwareRelease = release;

    CRunDataParser::ParseRunData(chunks, record.m_nFirmwareRelease, record);

    QTEST(record.m_arrDispDown, "dispDown");
    QTEST(record.m_arrForceDown, "forceDown");
    QTEST(record.m_arrStepTimeDown, "stepDown");
    QTEST(record.m_arrDispUp, "dispUp");
    QTEST(record.m_arrForceUp, "forceUp");
    QTEST(record.m_arrStepTimeUp, "stepUp");
}

QTEST_GUILESS_MAIN(TestParser)
#include "tst_parser.moc"

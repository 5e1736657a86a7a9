#include "experiment/CTextLineReader.h"

#include <QBuffer>
#include <QTest>

namespace {

QStringList ReadAll(QByteArray bytes, int extraReads = 0)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CTextLineReader reader(buffer);
    QStringList lines;
    while (!reader.AtEnd())
        lines.append(reader.ReadLine());
    for (int i = 0; i < extraReads; ++i)
        lines.append(reader.ReadLine());
    return lines;
}

}  // namespace

class TestTextLineReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineEnds_data();
    void lineEnds();
    void linesAcrossReadChunks_data();
    void linesAcrossReadChunks();
    void overlongLineIsCut();
};

void TestTextLineReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("LF") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("no final break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
    QTest::newRow("lone CR is text") << QByteArray("a\rb\r\r\n") << QStringList{"a\rb\r"};
    QTest::newRow("Latin-1") << QByteArray("\xe9t\xe9 \xb5m\r\n")
                             << QStringList{QStringLiteral("\u00e9t\u00e9 \u00b5m")};
    QTest::newRow("empty input") << QByteArray() << QStringList{};
}

void TestTextLineReader::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    // Past the end every read gives an empty line.
    QCOMPARE(ReadAll(bytes, 2), (lines + QStringList{QString(), QString()}));
}

void TestTextLineReader::linesAcrossReadChunks_data()
{
    QTest::addColumn<int>("padding");
    // The reader takes 64 KiB at a time: put the CR, the LF and a digit on
    // either side of that boundary.
    QTest::newRow("CR and LF in two chunks") << 65535;
    QTest::newRow("LF last in chunk") << 65534;
    QTest::newRow("value split") << 65532;
}

void TestTextLineReader::linesAcrossReadChunks()
{
    QFETCH(int, padding);
    const QByteArray bytes = QByteArray(padding, 'p') + "\r\n12345\r\n-----End of File-----";
    const QStringList lines = ReadAll(bytes);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].size(), padding);
    QCOMPARE(lines[1], QStringLiteral("12345"));
    QCOMPARE(lines[2], QStringLiteral("-----End of File-----"));
}

// A file without line breaks cannot take all the memory: the line keeps its
// first MiB, and the lines after it are read as usual.
void TestTextLineReader::overlongLineIsCut()
{
    const qsizetype size = 3 * CTextLineReader::kMaxLineBytes;
    const QStringList lines = ReadAll(QByteArray(size, 'x') + "\r\nnext");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].size(), CTextLineReader::kMaxLineBytes);
    QCOMPARE(lines[1], QStringLiteral("next"));
}

QTEST_GUILESS_MAIN(TestTextLineReader)
#include "tst_text_line_reader.moc"

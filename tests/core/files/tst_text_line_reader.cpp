#include "core/files/CTextLineReader.h"

#include <QBuffer>
#include <QTest>

namespace {

constexpr qint64 kNoBound = qint64(1) << 40;

QStringList ReadAll(QByteArray bytes, int extraReads = 0, qint64 maxInputBytes = kNoBound,
                    CTextLineReader::Stop* stop = nullptr, qint64* lineNumber = nullptr)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CTextLineReader reader(buffer, maxInputBytes);
    QStringList lines;
    while (!reader.AtEnd())
        lines.append(reader.ReadLine());
    for (int i = 0; i < extraReads; ++i)
        lines.append(reader.ReadLine());
    if (stop)
        *stop = reader.StoppedBy();
    if (lineNumber)
        *lineNumber = reader.LineNumber();
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
    void boundsEndTheInput_data();
    void boundsEndTheInput();
};

using Stop = CTextLineReader::Stop;
Q_DECLARE_METATYPE(Stop)

void TestTextLineReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("LF") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("no final break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
    QTest::newRow("lone CR is text") << QByteArray("a\rb\r\r\n") << QStringList{"a\rb\r"};
    QTest::newRow("CR at the very end is text")
        << QByteArray("a\r\nz\r") << QStringList{"a", "z\r"};
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

// A line beyond the bound never passes for a whole one, cut or not: the
// input ends there (empty lines), and so it does beyond the input's bound.
void TestTextLineReader::boundsEndTheInput_data()
{
    const qsizetype maxLine = CTextLineReader::kMaxLineBytes;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("maxInputBytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<Stop>("stop");
    QTest::addColumn<qint64>("lineNumber");
    const QByteArray longest(maxLine, 'x');
    QTest::newRow("longest line, CR LF")
        << "a\r\n" + longest + "\r\nb" << kNoBound << QStringList{"a", longest, "b"} << Stop::None
        << qint64(3);
    QTest::newRow("longest line, last")
        << "a\n" + longest << kNoBound << QStringList{"a", longest} << Stop::None << qint64(2);
    QTest::newRow("one byte longer")
        << "a\r\n" + longest + "y\r\nb\r\n"
        << kNoBound << QStringList{"a", ""} << Stop::LineTooLong << qint64(2);
    QTest::newRow("one byte longer, last")
        << "a\n" + longest + "y" << kNoBound << QStringList{"a", ""} << Stop::LineTooLong
        << qint64(2);
    QTest::newRow("no line breaks at all") << QByteArray(3 * maxLine, 'x') << kNoBound
                                           << QStringList{""} << Stop::LineTooLong << qint64(1);
    QTest::newRow("input at its bound")
        << QByteArray("ab\ncd") << qint64(5) << QStringList{"ab", "cd"} << Stop::None << qint64(2);
    QTest::newRow("input beyond its bound")
        << QByteArray("ab\ncde") << qint64(5) << QStringList{} << Stop::InputTooLarge << qint64(0);
}

void TestTextLineReader::boundsEndTheInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, maxInputBytes);
    QFETCH(QStringList, lines);
    QFETCH(Stop, stop);
    QFETCH(qint64, lineNumber);
    Stop stoppedBy = Stop::None;
    qint64 lineAt = -1;
    QCOMPARE(ReadAll(bytes, 1, maxInputBytes, &stoppedBy, &lineAt), lines + QStringList{""});
    QCOMPARE(stoppedBy, stop);
    QCOMPARE(lineAt, lineNumber);
}

QTEST_GUILESS_MAIN(TestTextLineReader)
#include "tst_text_line_reader.moc"

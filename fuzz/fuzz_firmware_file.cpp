// The firmware file reader over any bytes. The first byte sets the input
// bound just below, at or just above the size of the rest, which is the
// file. A file within its bound gives exactly its lines (a line ends only at
// LF or CR LF, nothing else is taken from it); one beyond gives none.

#include "FuzzCheck.h"
#include "core/files/CFirmwareFile.h"
#include "core/files/CTextLineReader.h"

#include <QBuffer>

#include <cstdint>

namespace {

// The rule in its plainest form, to hold the reader against.
QStringList ExpectedLines(const QByteArray& file)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype end = file.indexOf('\n'); end >= 0; end = file.indexOf('\n', start)) {
        QByteArray line = file.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromLatin1(line));
        start = end + 1;
    }
    if (start < file.size())
        lines.append(QString::fromLatin1(file.mid(start)));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray file(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qint64 bound = qMax<qint64>(0, file.size() - 1 + data[0] % 3);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CTextLineReader reader(buffer, bound);
    QStringList lines{QStringLiteral("stale")};
    const bool read = CFirmwareFile::ReadLines(reader, lines);
    if (file.size() > bound) {
        FUZZ_CHECK(!read && lines.isEmpty());
        FUZZ_CHECK(reader.StoppedBy() == CTextLineReader::Stop::InputTooLarge);
        return 0;
    }
    FUZZ_CHECK(read);
    FUZZ_CHECK(reader.StoppedBy() == CTextLineReader::Stop::None);
    FUZZ_CHECK(lines == ExpectedLines(file));
    FUZZ_CHECK(reader.LineNumber() == lines.size());
    return 0;
}

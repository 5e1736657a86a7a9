#include "experiment/CTextLineReader.h"

#include <QIODevice>

namespace {
constexpr qint64 kChunkBytes = 64 * 1024;

QString LineText(const char* data, qsizetype size)
{
    if (size > 0 && data[size - 1] == '\r')
        --size;
    return QString::fromLatin1(data, size);
}
}  // namespace

CTextLineReader::CTextLineReader(QIODevice& device) : m_rDevice(device)
{
}

bool CTextLineReader::FillBuffer()
{
    if (m_bInputDone)
        return false;
    m_buffer.resize(kChunkBytes);
    const qint64 got = m_rDevice.read(m_buffer.data(), kChunkBytes);
    if (got <= 0) {
        m_bReadFailed = got < 0;
        m_bInputDone = true;
        m_buffer.clear();
        m_nPos = 0;
        return false;
    }
    m_buffer.resize(got);
    m_nPos = 0;
    return true;
}

bool CTextLineReader::AtEnd()
{
    return m_nPos >= m_buffer.size() && !FillBuffer();
}

QString CTextLineReader::ReadLine()
{
    if (AtEnd())
        return QString();
    // Most lines lie whole inside the buffer: no copy before the conversion.
    qsizetype newline = m_buffer.indexOf('\n', m_nPos);
    if (newline >= 0 && newline - m_nPos <= kMaxLineBytes) {
        const QString line = LineText(m_buffer.constData() + m_nPos, newline - m_nPos);
        m_nPos = newline + 1;
        return line;
    }
    QByteArray line;
    while (!AtEnd()) {
        newline = m_buffer.indexOf('\n', m_nPos);
        const qsizetype end = newline < 0 ? m_buffer.size() : newline;
        const qsizetype room = kMaxLineBytes - line.size();
        line.append(m_buffer.constData() + m_nPos, qMin(end - m_nPos, qMax<qsizetype>(room, 0)));
        m_nPos = newline < 0 ? m_buffer.size() : newline + 1;
        if (newline >= 0)
            break;
    }
    return LineText(line.constData(), line.size());
}

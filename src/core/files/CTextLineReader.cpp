#include "core/files/CTextLineReader.h"

#include "core/files/CNumberLine.h"

#include <QIODevice>

namespace {
constexpr qint64 kChunkBytes = 64 * 1024;
}  // namespace

CTextLineReader::CTextLineReader(QIODevice& device, qint64 maxInputBytes)
    : m_rDevice(device), m_nMaxInputBytes(maxInputBytes)
{
}

bool CTextLineReader::FillBuffer()
{
    if (m_bInputDone)
        return false;
    // One byte beyond the bound tells an input that is too large from one
    // that ends exactly at it.
    const qint64 room = m_nMaxInputBytes - m_nBytesRead;
    const qint64 wanted = room < kChunkBytes ? room + 1 : kChunkBytes;
    m_buffer.resize(wanted);
    const qint64 got = m_rDevice.read(m_buffer.data(), wanted);
    if (got <= 0) {
        m_bInputDone = true;
        m_buffer.clear();
        m_nPos = 0;
        if (got < 0)
            StopAt(Stop::ReadFailed);
        return false;
    }
    m_nBytesRead += got;
    if (m_nBytesRead > m_nMaxInputBytes) {
        StopAt(Stop::InputTooLarge);
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

QString CTextLineReader::StopAt(Stop reason)
{
    if (reason == Stop::LineTooLong)
        ++m_nLineNumber;
    m_eStop = reason;
    m_bInputDone = true;
    m_buffer.clear();
    m_nPos = 0;
    return QString();
}

// Only a CR in front of the LF belongs to the line end; a CR at the very end
// of the input is text.
QString CTextLineReader::TakeLine(const char* data, qsizetype size, bool endedByLineFeed)
{
    if (endedByLineFeed && size > 0 && data[size - 1] == '\r')
        --size;
    if (size > kMaxLineBytes)
        return StopAt(Stop::LineTooLong);
    ++m_nLineNumber;
    return QString::fromLatin1(data, size);
}

QString CTextLineReader::ReadLine()
{
    if (AtEnd())
        return QString();
    // Most lines lie whole inside the buffer: no copy before the conversion.
    qsizetype newline = m_buffer.indexOf('\n', m_nPos);
    if (newline >= 0) {
        const qsizetype start = m_nPos;
        m_nPos = newline + 1;
        return TakeLine(m_buffer.constData() + start, newline - start, true);
    }
    QByteArray line;
    while (!AtEnd()) {
        newline = m_buffer.indexOf('\n', m_nPos);
        const qsizetype end = newline < 0 ? m_buffer.size() : newline;
        // The bound allows for the CR of a CR LF end.
        if (line.size() + (end - m_nPos) > kMaxLineBytes + 1)
            return StopAt(Stop::LineTooLong);
        line.append(m_buffer.constData() + m_nPos, end - m_nPos);
        m_nPos = end;
        if (newline >= 0) {
            m_nPos = newline + 1;
            return TakeLine(line.constData(), line.size(), true);
        }
    }
    // The input ended inside the line: a whole last line, unless the input
    // was stopped, and then no line at all.
    if (m_eStop != Stop::None)
        return QString();
    return TakeLine(line.constData(), line.size(), false);
}

bool CTextLineReader::ReadNumberLines(QList<quint32>& values)
{
    const qsizetype first = m_nPos;
    quint32 value = 0;
    for (qsizetype next; (next = CNumberLine::End(m_buffer, m_nPos, value)) >= 0; m_nPos = next) {
        values.append(value);
        ++m_nLineNumber;
    }
    return m_nPos > first;
}

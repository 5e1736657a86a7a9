#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// Reads 8-bit text line by line, as the experiment files have always been
// read: a line ends at LF or CR LF and comes without that end, bytes are
// Latin-1 characters, and reading past the end gives empty lines. The input
// is streamed, and both a line and the whole input are bounded: what goes
// beyond a bound ends the input there and says so, so a part of a line never
// passes for a whole one and no input can take all the memory.
class CTextLineReader
{
public:
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;

    // Why the input ended before its last byte was read.
    enum class Stop { None, ReadFailed, LineTooLong, InputTooLarge };

    // Reads at most maxInputBytes bytes of the device.
    CTextLineReader(QIODevice& device, qint64 maxInputBytes);

    QString ReadLine();
    // Reads on while the next line lies whole in the buffer and is a plain
    // number (CNumberLine), appending each value: no string is made of it.
    // False when not one line was read so.
    bool ReadNumberLines(QList<quint32>& values);

    // True once every byte has been read, or the input was stopped: further
    // lines are all empty.
    bool AtEnd();

    Stop StoppedBy() const { return m_eStop; }
    bool ReadFailed() const { return m_eStop == Stop::ReadFailed; }
    // Lines returned so far; after a stop, the number of the line it stopped at.
    qint64 LineNumber() const { return m_nLineNumber; }
    qint64 MaxInputBytes() const { return m_nMaxInputBytes; }

private:
    bool FillBuffer();
    QString TakeLine(const char* data, qsizetype size, bool endedByLineFeed);
    QString StopAt(Stop reason);

    QIODevice& m_rDevice;
    const qint64 m_nMaxInputBytes;
    qint64 m_nBytesRead = 0;
    qint64 m_nLineNumber = 0;
    QByteArray m_buffer;
    qsizetype m_nPos = 0;
    bool m_bInputDone = false;
    Stop m_eStop = Stop::None;
};

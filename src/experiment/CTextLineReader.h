#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Reads 8-bit text line by line, as the experiment files have always been
// read: a line comes without its LF or CR LF, bytes are Latin-1 characters,
// and reading past the end gives empty lines. The input is streamed, so a
// large file costs no more memory than its longest line.
class CTextLineReader
{
public:
    // Longer lines keep their first bytes; the rest of the line is dropped
    // rather than letting a file with no line breaks exhaust the memory.
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;

    explicit CTextLineReader(QIODevice& device);

    QString ReadLine();

    // True once every byte has been read: further lines are all empty.
    bool AtEnd();

    // The device reported an error; the input ends there.
    bool ReadFailed() const { return m_bReadFailed; }

private:
    bool FillBuffer();

    QIODevice& m_rDevice;
    QByteArray m_buffer;
    qsizetype m_nPos = 0;
    bool m_bInputDone = false;
    bool m_bReadFailed = false;
};

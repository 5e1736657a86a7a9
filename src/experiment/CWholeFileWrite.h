#pragma once

class QByteArray;
class QIODevice;

// Writes that either complete or leave the device's error string saying why.
class CWholeFileWrite
{
public:
    // A disk that fills part-way makes a write return a short count with no
    // error; writing the rest then fails with the system's reason.
    static bool Write(QIODevice& device, const QByteArray& bytes);
};

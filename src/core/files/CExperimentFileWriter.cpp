#include "core/files/CExperimentFileWriter.h"

#include "core/CZentakDoc.h"

#include <charconv>

namespace {

constexpr char kHeader[] = "ZR Spinal Cord Impactor Experiment File v5.0\r\n";
constexpr char kVersionLabel[] = "Firmware Release Version: ";
constexpr char kAfterVersion[] = "\r\n\r\n";
constexpr char kDisplacementStart[] =
    "\r\n-------------------------------\r\nDisplacement Data:\r\n*Down*\r\n";
constexpr char kDownToUp[] = "*End*\r\n\r\n*Up*\r\n";
constexpr char kForceStart[] =
    "*End*\r\n\r\n-------------------------------\r\nForce Data:\r\n*Down*\r\n";
constexpr char kStepTimeStart[] =
    "*End*\r\n\r\n-------------------------------\r\nTime per Step Data:\r\n*Down*\r\n";
constexpr char kCommentsStart[] =
    "*End*\r\n\r\n-------------------------------\r\nExperiment Comments:\r\n";
constexpr char kEndOfFile[] = "\r\n\r\n-----End of File-----";

constexpr qsizetype kBytesPerValueLine = 8;

void AppendNumber(QByteArray& out, qint64 value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// label is the whole printf piece up to its "%d": "Desired Force: ".
void AppendValueLine(QByteArray& out, const char* label, int value)
{
    out += label;
    AppendNumber(out, value);
    out += "\r\n";
}

void AppendValues(QByteArray& out, const CUIntArray& values, bool dataValid)
{
    if (!dataValid)
        return;
    for (quint32 value : values) {
        AppendNumber(out, value);
        out += "\r\n";
    }
}

qsizetype EstimatedSize(const CZentakDoc& doc)
{
    const qsizetype samples = doc.m_arrDispDown.size() + doc.m_arrDispUp.size();
    return 1024 + 3 * samples * kBytesPerValueLine + doc.m_strComments.size();
}

}  // namespace

QByteArray CExperimentFileWriter::Text(const CZentakDoc& doc,
                                       const std::function<void()>& storeViews)
{
    const bool valid = doc.m_bDataValid;
    QByteArray out;
    out.reserve(EstimatedSize(doc));
    out += kHeader;
    out += kVersionLabel;
    out += doc.m_strFirmwareVersion.toLatin1();
    out += kAfterVersion;
    AppendValueLine(out, "Desired Force: ", doc.m_nDesiredForce);
    AppendValueLine(out, "Desired Displacement: ", doc.m_nDesiredDisp);
    AppendValueLine(out, "Desired Velocity: ", doc.m_nDesiredVelocity);
    AppendValueLine(out, "Desired Dwell: ", doc.m_nDesiredDwell);
    AppendValueLine(out, "\r\nActual Force: ", doc.m_nActualForce);
    AppendValueLine(out, "Actual Displacement: ", doc.m_nActualDisp);
    AppendValueLine(out, "Actual Velocity: ", doc.m_nActualVelocity);
    AppendValueLine(out, "Actual Dwell: ", doc.m_nActualDwell);
    out += kDisplacementStart;
    AppendValues(out, doc.m_arrDispDown, valid);
    out += kDownToUp;
    AppendValues(out, doc.m_arrDispUp, valid);
    out += kForceStart;
    AppendValues(out, doc.m_arrForceDown, valid);
    out += kDownToUp;
    AppendValues(out, doc.m_arrForceUp, valid);
    if (doc.m_nFirmwareRelease == 5) {
        out += kStepTimeStart;
        AppendValues(out, doc.m_arrStepTimeDown, valid);
        out += kDownToUp;
        AppendValues(out, doc.m_arrStepTimeUp, valid);
    }
    if (storeViews)
        storeViews();
    out += kCommentsStart;
    out += doc.m_strComments.toLatin1();
    out += kEndOfFile;
    return out;
}

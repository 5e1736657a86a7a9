#include "core/files/CExperimentFileWriter.h"

#include "core/record/CImpactRecord.h"

#include <charconv>

namespace {

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

qsizetype EstimatedSize(const CImpactRecord& record)
{
    const qsizetype samples = record.m_arrDispDown.size() + record.m_arrDispUp.size();
    return 1024 + 3 * samples * kBytesPerValueLine + record.m_strComments.size();
}

}  // namespace

QByteArray CExperimentFileWriter::ValuesAndTraces(const CImpactRecord& record)
{
    const bool valid = record.m_bDataPresent;
    QByteArray out;
    out.reserve(EstimatedSize(record));
    out += kTitle;
    out += " v5.0\r\n";
    out += kVersionLabel;
    out += record.m_strFirmwareVersion.toLatin1();
    out += kAfterVersion;
    AppendValueLine(out, "Desired Force: ", record.m_nDesiredForce);
    AppendValueLine(out, "Desired Displacement: ", record.m_nDesiredDisp);
    AppendValueLine(out, "Desired Velocity: ", record.m_nDesiredVelocity);
    AppendValueLine(out, "Desired Dwell: ", record.m_nDesiredDwell);
    AppendValueLine(out, "\r\nActual Force: ", record.m_nActualForce);
    AppendValueLine(out, "Actual Displacement: ", record.m_nActualDisp);
    AppendValueLine(out, "Actual Velocity: ", record.m_nActualVelocity);
    AppendValueLine(out, "Actual Dwell: ", record.m_nActualDwell);
    out += kDisplacementStart;
    AppendValues(out, record.m_arrDispDown, valid);
    out += kDownToUp;
    AppendValues(out, record.m_arrDispUp, valid);
    out += kForceStart;
    AppendValues(out, record.m_arrForceDown, valid);
    out += kDownToUp;
    AppendValues(out, record.m_arrForceUp, valid);
    if (record.m_nFirmwareRelease == 5) {
        out += kStepTimeStart;
        AppendValues(out, record.m_arrStepTimeDown, valid);
        out += kDownToUp;
        AppendValues(out, record.m_arrStepTimeUp, valid);
    }
    return out;
}

QByteArray CExperimentFileWriter::Comments(const CImpactRecord& record)
{
    QByteArray out = kCommentsStart;
    out += record.m_strComments.toLatin1();
    out += "\r\n\r\n";
    out += kEndMarker;
    return out;
}

QByteArray CExperimentFileWriter::Text(const CImpactRecord& record)
{
    return ValuesAndTraces(record) + Comments(record);
}

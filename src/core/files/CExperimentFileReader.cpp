#include "core/files/CExperimentFileReader.h"

#include "core/files/CExperimentFileWriter.h"
#include "core/record/CBoxWords.h"
#include "core/record/CTextRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using LoadOutcome = CExperimentFileReader::LoadOutcome;

namespace {

constexpr int kFormatLinesExamined = 30;
constexpr int kVersionLineReads = 3;
constexpr int kHeaderLineReads = 30;
constexpr int kSectionGapReads = 10;
constexpr int kTranscriptRemarkLines = 100;

struct HeaderLabel {
    QLatin1StringView text;
    int CImpactRecord::*member;
};

const HeaderLabel kHeaderLabels[] = {
    {"Desired Force:"_L1, &CImpactRecord::m_nDesiredForce},
    {"Desired Displacement:"_L1, &CImpactRecord::m_nDesiredDisp},
    {"Desired Velocity:"_L1, &CImpactRecord::m_nDesiredVelocity},
    {"Desired Dwell:"_L1, &CImpactRecord::m_nDesiredDwell},
    {"Actual Force:"_L1, &CImpactRecord::m_nActualForce},
    {"Actual Displacement:"_L1, &CImpactRecord::m_nActualDisp},
    {"Actual Velocity:"_L1, &CImpactRecord::m_nActualVelocity},
    {"Actual Dwell:"_L1, &CImpactRecord::m_nActualDwell},
};

bool HoldsOnlyDigitsAndBlanks(QStringView text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || CTextRules::IsSpace(c); });
}

// The leading number skips the blanks before it itself: no trimmed copy of
// every sample line.
quint32 SampleValue(QStringView text)
{
    return CTextRules::LeadingSample(text);
}

}  // namespace

CExperimentFileReader::CExperimentFileReader(QIODevice& device, CImpactRecord& record)
    : m_lines(device, kMaxFileBytes), m_rRecord(record)
{
}

bool CExperimentFileReader::Has(QLatin1StringView text) const
{
    return m_strLine.contains(text);
}

void CExperimentFileReader::NextLine()
{
    m_strLine = m_lines.ReadLine();
}

void CExperimentFileReader::SkipUntil(QLatin1StringView text, int maxReads)
{
    for (int reads = 0; reads < maxReads && !Has(text); ++reads)
        NextLine();
}

QString CExperimentFileReader::LineTooLongMessage(qint64 lineNumber)
{
    return QStringLiteral("Line %1 of the file is longer than %2 characters and cannot be read "
                          "whole; the file was not read past it.")
        .arg(lineNumber)
        .arg(CTextLineReader::kMaxLineBytes);
}

QString CExperimentFileReader::TooLargeMessage()
{
    return QStringLiteral("The file is larger than any experiment file can be (more than %1 "
                          "bytes); it was not read whole.")
        .arg(kMaxFileBytes);
}

// A line or an input beyond its bound ends the input early, and then the
// load is that, whatever the layout made of the lines before.
CExperimentFileReader::Result CExperimentFileReader::Read()
{
    LoadOutcome outcome = ReadLayout();
    switch (m_lines.StoppedBy()) {
    case CTextLineReader::Stop::None:
        break;
    case CTextLineReader::Stop::ReadFailed:
        outcome = LoadOutcome::ReadFailed;
        break;
    case CTextLineReader::Stop::LineTooLong:
        outcome = LoadOutcome::LineTooLong;
        break;
    case CTextLineReader::Stop::InputTooLarge:
        outcome = LoadOutcome::TooLarge;
        break;
    }
    return {outcome, Conclude(outcome)};
}

LoadOutcome CExperimentFileReader::ReadLayout()
{
    m_rRecord.m_nFileFormat = DetectFormat();
    switch (m_rRecord.m_nFileFormat) {
    case 5:
        ReadFirmwareVersion();
        return ReadRecordLayout();
    case 4:
        return ReadRecordLayout();
    case 3:
        return ReadTranscript();
    default:
        return LoadOutcome::NotValid;
    }
}

// The message for the operator, if the outcome has one.
QString CExperimentFileReader::Conclude(LoadOutcome outcome)
{
    switch (outcome) {
    case LoadOutcome::Complete:
        if (m_rRecord.m_nFileFormat == 3)
            m_rRecord.DeriveActualValues();
        else
            m_rRecord.ComputeTraceStats();
        FinishLoad();
        return QString();
    case LoadOutcome::NotValid:
        return kNotValidMessage;
    case LoadOutcome::OldFormatFailed:
        return kOldLoadFailedMessage;
    case LoadOutcome::LineTooLong:
        return LineTooLongMessage(m_lines.LineNumber());
    case LoadOutcome::TooLarge:
        return TooLargeMessage();
    case LoadOutcome::NoEndMarker:
    case LoadOutcome::ReadFailed:
        break;
    }
    return QString();
}

int CExperimentFileReader::DetectFormat()
{
    for (int examined = 0; examined < kFormatLinesExamined; ++examined) {
        NextLine();
        if (Has("v5.0"_L1))
            return 5;
        if (Has("Impactor Experiment File"_L1)) {
            m_rRecord.m_nFirmwareRelease = 4;
            return 4;
        }
        if (Has("Mode"_L1)) {
            m_rRecord.m_nFirmwareRelease = 4;
            return 3;
        }
    }
    return 0;
}

void CExperimentFileReader::ReadFirmwareVersion()
{
    SkipUntil("Firmware Release"_L1, kVersionLineReads);
    const qsizetype label = m_strLine.indexOf("Version:"_L1);
    const QStringView text =
        label < 0 ? QStringView(m_strLine) : QStringView(m_strLine).sliced(label + 8);
    m_rRecord.m_strFirmwareVersion = CTextRules::Trimmed(text);
    m_rRecord.m_nFirmwareRelease =
        CBoxWords::Release(m_rRecord.m_strFirmwareVersion, m_rRecord.m_nFirmwareRelease);
}

LoadOutcome CExperimentFileReader::ReadRecordLayout()
{
    ReadHeaderValues();
    ReadStroke(m_rRecord.m_arrDispDown, m_rRecord.m_arrDispUp);
    SkipUntil("Down"_L1, kSectionGapReads);
    ReadStroke(m_rRecord.m_arrForceDown, m_rRecord.m_arrForceUp);
    if (HasStepTimeSections()) {
        SkipUntil("Down"_L1, kSectionGapReads);
        ReadStroke(m_rRecord.m_arrStepTimeDown, m_rRecord.m_arrStepTimeUp);
    }
    SkipUntil("Experiment Comments"_L1, kSectionGapReads);
    return ReadComments() ? LoadOutcome::Complete : LoadOutcome::NoEndMarker;
}

// Step times are written for release 5 data only. A box that reported no
// release text leaves the version line empty; its step times are still in
// the file, and skipping them would turn them into comments.
bool CExperimentFileReader::HasStepTimeSections()
{
    if (m_rRecord.m_nFirmwareRelease == 5)
        return true;
    if (m_rRecord.m_nFileFormat != 5 || m_rRecord.m_nFirmwareRelease != 0)
        return false;
    for (int reads = 0; reads < kSectionGapReads && !Has("Time per Step Data"_L1) &&
                        !Has("Experiment Comments"_L1);
         ++reads)
        NextLine();
    if (!Has("Time per Step Data"_L1))
        return false;
    m_rRecord.m_nFirmwareRelease = 5;
    return true;
}

// A label on the "Displacement Data" line or after it is not read. The line
// the version text came from holds whatever the box reported, which may say
// "Displacement Data" too: it is never taken for the section's label.
void CExperimentFileReader::ReadHeaderValues()
{
    const bool onVersionLine = m_rRecord.m_nFileFormat == 5;
    for (int reads = 0; reads < kHeaderLineReads; ++reads) {
        if (Has("Displacement Data"_L1) && !(reads == 0 && onVersionLine))
            break;
        NextLine();
        for (const HeaderLabel& label : kHeaderLabels) {
            if (Has(label.text))
                m_rRecord.*label.member = CTextRules::ValueAfterLabel(m_strLine, label.text);
        }
    }
}

void CExperimentFileReader::ReadStroke(CUIntArray& down, CUIntArray& up)
{
    ReadSection("Down"_L1, down);
    NextLine();  // the empty line after "*End*"
    ReadSection("Up"_L1, up);
}

// Every value up to the section's "*End*" belongs to it, however many there
// are; at the end of the input the section simply ends.
void CExperimentFileReader::ReadSection(QLatin1StringView startMarker, CUIntArray& values)
{
    // A line of digits holds no marker, and is not searched for one:
    // sections of a large run log are read by the thousand.
    for (bool end = Has("End"_L1); !end && !m_lines.AtEnd();) {
        NextLine();
        const bool plainNumber = HoldsOnlyDigitsAndBlanks(m_strLine);
        end = !plainNumber && Has("End"_L1);
        if (!end && (plainNumber || !Has(startMarker)))
            values.append(SampleValue(m_strLine));
    }
}

// The writer ends the comments with a line break and an empty line before
// its end marker; neither belongs to the comments, so both are dropped here
// and a save and load gives back exactly the comments saved. The writer's
// own marker line ends them first: a comment may well say "End of File".
// Files from other writers, or with the marker's hyphens cut, end at their
// last line that holds "End of File". The comments grow as one string: a
// list of line strings would cost many times the file's size.
bool CExperimentFileReader::ReadComments()
{
    QString& comments = m_rRecord.m_strComments;
    qsizetype linesHeld = 0;
    qsizetype lengthAtLastMention = -1;
    for (NextLine(); !Has(QLatin1StringView(CExperimentFileWriter::kEndMarker)); NextLine()) {
        if (Has("End of File"_L1))
            lengthAtLastMention = CommentsLengthWithoutEmptyLastLine(linesHeld);
        AppendCommentLine(linesHeld);
        if (m_lines.AtEnd()) {
            if (lengthAtLastMention < 0)
                return false;
            comments.truncate(lengthAtLastMention);
            return true;
        }
    }
    comments.truncate(CommentsLengthWithoutEmptyLastLine(linesHeld));
    return true;
}

void CExperimentFileReader::AppendCommentLine(qsizetype& linesHeld)
{
    if (linesHeld > 0)
        m_rRecord.m_strComments += "\r\n"_L1;
    m_rRecord.m_strComments += m_strLine;
    ++linesHeld;
}

qsizetype CExperimentFileReader::CommentsLengthWithoutEmptyLastLine(qsizetype linesHeld) const
{
    // No line holds a LF: the comments end in CR LF only after an empty last
    // line (a single empty line leaves them empty anyway).
    const QString& comments = m_rRecord.m_strComments;
    if (linesHeld > 1 && comments.endsWith("\r\n"_L1))
        return comments.size() - 2;
    return comments.size();
}

void CExperimentFileReader::FinishLoad()
{
    m_rRecord.m_bDataPresent = !m_rRecord.m_arrDispDown.isEmpty() &&
                               !m_rRecord.m_arrDispUp.isEmpty() &&
                               !m_rRecord.m_arrForceDown.isEmpty();
}

LoadOutcome CExperimentFileReader::ReadTranscript()
{
    bool complete = false;
    if (!Has("Completed"_L1)) {
        for (int remarks = 0; remarks < kTranscriptRemarkLines;) {
            if (Has("#"_L1)) {
                AppendTranscriptPair('#', m_rRecord.m_arrDispDown, m_rRecord.m_arrForceDown);
            } else if (Has("-"_L1)) {
                AppendTranscriptPair('-', m_rRecord.m_arrDispUp, m_rRecord.m_arrForceUp);
            } else {
                ++remarks;
            }
            NextLine();
            if (Has("Completed"_L1)) {
                complete = true;
                break;
            }
        }
    }
    return complete ? LoadOutcome::Complete : LoadOutcome::OldFormatFailed;
}

// "12#345": the separator is sought from the second character on, so a sign
// in front of the displacement is not taken for it.
void CExperimentFileReader::AppendTranscriptPair(char separator, CUIntArray& displacement,
                                                 CUIntArray& force)
{
    const qsizetype split = m_strLine.indexOf(QLatin1Char(separator), 1);
    QStringView left = split < 0 ? QStringView() : QStringView(m_strLine).first(split);
    QStringView right = QStringView(m_strLine).sliced(split + 1);
    while (left.startsWith(QLatin1Char(separator)))
        left = left.sliced(1);
    while (right.endsWith(QLatin1Char(separator)))
        right.chop(1);
    displacement.append(SampleValue(left));
    force.append(SampleValue(right));
}

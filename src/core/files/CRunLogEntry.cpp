#include "core/files/CRunLogEntry.h"

#include "core/files/CExperimentFileWriter.h"
#include "core/record/CBoxWords.h"
#include "core/record/CRunStamp.h"
#include "core/record/CTextRules.h"

#include <string_view>

namespace {

constexpr int kVersionLineReads = 3;
constexpr int kHeaderLineReads = 30;

// Lines of 8-bit text as the experiment file reader takes them (LF or
// CR LF ends, the end of the text gives empty lines), without converting
// them: a list reads thousands of entries.
class CByteLines
{
public:
    explicit CByteLines(QByteArrayView text) : m_text(text) {}

    void Next()
    {
        if (m_nPos >= m_text.size()) {
            m_line = QByteArrayView();
            return;
        }
        qsizetype end = m_text.indexOf('\n', m_nPos);
        const qsizetype next = end < 0 ? m_text.size() : end + 1;
        if (end < 0)
            end = m_text.size();
        else if (end > m_nPos && m_text[end - 1] == '\r')
            --end;
        m_line = m_text.sliced(m_nPos, end - m_nPos);
        m_nPos = next;
    }

    // Lines are short: a plain search beats the general one by far.
    bool Has(std::string_view marker) const
    {
        return std::string_view(m_line.data(), size_t(m_line.size())).find(marker) !=
               std::string_view::npos;
    }
    bool AtEnd() const { return m_nPos >= m_text.size(); }
    QByteArrayView Line() const { return m_line; }
    qsizetype Pos() const { return m_nPos; }
    void MoveTo(qsizetype pos)
    {
        m_nPos = pos;
        m_line = QByteArrayView();
    }

private:
    QByteArrayView m_text;
    qsizetype m_nPos = 0;
    QByteArrayView m_line;
};

struct SummaryLabel {
    QLatin1StringView text;
    int CRunLogEntry::*member;
};

const SummaryLabel kSummaryLabels[] = {
    {QLatin1StringView("Desired Force:"), &CRunLogEntry::m_nDesiredForce},
    {QLatin1StringView("Actual Force:"), &CRunLogEntry::m_nActualForce},
    {QLatin1StringView("Actual Displacement:"), &CRunLogEntry::m_nActualDisp},
    {QLatin1StringView("Actual Velocity:"), &CRunLogEntry::m_nActualVelocity},
};

QString Latin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.data(), bytes.size());
}

// The reader's section rule: every line up to the one holding "End" that
// is not the section's own marker is a value.
qint64 CountSectionValues(CByteLines& lines, std::string_view startMarker)
{
    qint64 values = 0;
    while (!lines.Has("End") && !lines.AtEnd()) {
        lines.Next();
        if (!lines.Has(startMarker) && !lines.Has("End"))
            ++values;
    }
    return values;
}

}  // namespace

void CRunLogEntry::Summarize(QByteArrayView text)
{
    CByteLines lines(text);
    lines.Next();
    const bool currentLayout = lines.Has("v5.0");
    m_nFirmwareRelease = 4;
    if (currentLayout) {
        for (int reads = 0; reads < kVersionLineReads && !lines.Has("Firmware Release"); ++reads)
            lines.Next();
        const QString line = Latin1(lines.Line());
        const qsizetype label = line.indexOf(QLatin1StringView("Version:"));
        m_strFirmwareVersion = CTextRules::Trimmed(label < 0 ? QStringView(line)
                                                             : QStringView(line).sliced(label + 8));
        m_nFirmwareRelease = CBoxWords::Release(m_strFirmwareVersion, 0);
    }
    for (int reads = 0; reads < kHeaderLineReads; ++reads) {
        if (lines.Has("Displacement Data") && !(reads == 0 && currentLayout))
            break;
        lines.Next();
        for (const SummaryLabel& label : kSummaryLabels) {
            if (lines.Line().contains(QByteArrayView(label.text.data(), label.text.size())))
                this->*label.member = CTextRules::ValueAfterLabel(Latin1(lines.Line()), label.text);
        }
    }
    m_nDownSamples = CountSectionValues(lines, "Down");
    lines.Next();
    m_nUpSamples = CountSectionValues(lines, "Up");

    // The force and step time sections hold numbers only: the first
    // "Experiment Comments" after them is the reader's.
    const qsizetype commentsLabel = text.indexOf("Experiment Comments", lines.Pos());
    if (commentsLabel < 0)
        return;
    lines.MoveTo(commentsLabel);
    lines.Next();
    QString comments;
    qsizetype linesHeld = 0;
    for (lines.Next(); !lines.Has(CExperimentFileWriter::kEndMarker); lines.Next()) {
        if (linesHeld++ > 0)
            comments += QStringLiteral("\r\n");
        comments += Latin1(lines.Line());
        if (lines.AtEnd() || comments.size() > kMaxCommentsKept)
            break;
    }
    // The writer's empty line before its end marker is no comment.
    if (linesHeld > 1 && comments.endsWith(QStringLiteral("\r\n")))
        comments.chop(2);
    m_strComments = comments.left(kMaxCommentsKept);
    m_stampTime = CRunStamp::TimeOf(m_strComments);
    m_strSubject = CRunStamp::SubjectOf(m_strComments);
}

QString CRunLogEntry::DateText() const
{
    return m_stampTime.isValid() ? m_stampTime.toString(QStringLiteral("yyyy-MM-dd"))
                                 : QStringLiteral("-");
}

QString CRunLogEntry::TimeText() const
{
    return m_stampTime.isValid() ? m_stampTime.toString(QStringLiteral("HH:mm:ss"))
                                 : QStringLiteral("-");
}

bool CRunLogEntry::Summarizes(QByteArrayView text) const
{
    CRunLogEntry found;
    found.Summarize(text);
    return SummaryOf(found) == SummaryOf(*this);
}

bool CRunLogEntry::HasPossibleValues() const
{
    const auto within = [this](qint64 count) { return count >= 0 && count <= m_nLength; };
    return m_nQuality >= kNotJudged &&
           (m_nFirmwareRelease == 0 || m_nFirmwareRelease == 4 || m_nFirmwareRelease == 5) &&
           within(m_nDownSamples) && within(m_nUpSamples) && within(m_strFirmwareVersion.size()) &&
           m_strComments.size() <= kMaxCommentsKept &&
           m_stampTime == CRunStamp::TimeOf(m_strComments) &&
           m_strSubject == CRunStamp::SubjectOf(m_strComments);
}

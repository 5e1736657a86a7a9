#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <tuple>

// One entry of a run log as its index knows it: where its text lies, and
// what a list of entries shows of it, read from the text without loading
// its samples. The values follow the experiment file reader's rules, so a
// list shows what opening the entry shows.
class CRunLogEntry
{
public:
    // Comments beyond this are not kept for the list: a stamp and a subject
    // take under 100 characters.
    static constexpr qsizetype kMaxCommentsKept = 1024;

    // Fills the list's values from the entry's text (or from its head, when
    // the entry is too large to be read).
    void Summarize(QByteArrayView text);
    // The stamp's date ("2026-12-08") and time ("14:03:22") as lists show
    // them; "-" for an entry without a stamp.
    QString DateText() const;
    QString TimeText() const;
    // The list's values are those Summarize finds in text.
    bool Summarizes(QByteArrayView text) const;
    // Every value within what Summarize can give for an entry of m_nLength bytes.
    bool HasPossibleValues() const;

    // The values Summarize finds, and with them every value the index cache
    // keeps, in its order: the cache's format version counts them.
    template <typename Entry> static auto SummaryOf(Entry& entry)
    {
        return std::tie(entry.m_stampTime, entry.m_strSubject, entry.m_strFirmwareVersion,
                        entry.m_nFirmwareRelease, entry.m_nDesiredForce, entry.m_nActualForce,
                        entry.m_nActualDisp, entry.m_nActualVelocity, entry.m_nDownSamples,
                        entry.m_nUpSamples, entry.m_strComments);
    }
    template <typename Entry> static auto StoredOf(Entry& entry)
    {
        return std::tuple_cat(std::tie(entry.m_nOffset, entry.m_nLength, entry.m_bTorn),
                              SummaryOf(entry), std::tie(entry.m_nQuality));
    }

    qint64 m_nOffset = 0;  // bytes from the start of the log
    qint64 m_nLength = 0;  // bytes, the end marker included
    // The end marker is missing: the log ends, or the next entry begins,
    // inside this entry (a crash or a full disk while it was written).
    bool m_bTorn = false;

    // Values a text does not hold are those of the load's reset.
    QDateTime m_stampTime;  // invalid when the comments hold no stamp
    QString m_strSubject;
    QString m_strFirmwareVersion;
    int m_nFirmwareRelease = 0;
    int m_nDesiredForce = 100;
    int m_nActualForce = 0;
    int m_nActualDisp = 0;
    int m_nActualVelocity = 0;
    qint64 m_nDownSamples = 0;
    qint64 m_nUpSamples = 0;
    QString m_strComments;  // at most kMaxCommentsKept characters

    // The quality verdict kept with the index, coded by the quality checks
    // under the index's m_qualityKey: its flags, kNoVerdict or kNotJudged.
    static constexpr qint32 kNotJudged = -2;
    static constexpr qint32 kNoVerdict = -1;
    qint32 m_nQuality = kNotJudged;
};

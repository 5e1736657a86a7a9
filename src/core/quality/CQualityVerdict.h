#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The outcome of the quality checks for one impact: the flags it raised,
// none for a pass. It describes the impact and is never stored with it.
class CQualityVerdict
{
public:
    enum class Flag {
        ForceOffTarget,
        VelocityOffTarget,
        EarlyContact,
        SecondHit,
        BoneContact,
        TooFewSamples,
    };
    static constexpr int kFlagCount = 6;
    static inline const QString kPassText = QStringLiteral("QC pass");

    static const QList<Flag>& AllFlags();
    // "second-hit": for scripts, the JSON and the CSV.
    static QString Key(Flag flag);
    // "second hit": for people.
    static QString Name(Flag flag);

    void Add(Flag flag) { m_nFlags |= Bit(flag); }
    bool Has(Flag flag) const { return m_nFlags & Bit(flag); }
    bool Passed() const { return m_nFlags == 0; }
    QList<Flag> Flags() const;
    QStringList Keys() const;
    // The flags' names, "second hit, bone contact"; empty for a pass.
    QString FlagNames() const;
    // "QC pass", or "QC flags: " and the flags' names.
    QString Text() const;

    bool operator==(const CQualityVerdict&) const = default;

private:
    static quint32 Bit(Flag flag) { return 1u << int(flag); }

    quint32 m_nFlags = 0;
};

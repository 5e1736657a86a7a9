#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <iterator>
#include <optional>

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
    struct FlagRow {
        Flag flag;
        const char* key;   // for scripts, the JSON and the CSV
        const char* name;  // for people
    };
    // In bit order: the run log index cache keeps a verdict by its flags' bits, so a new
    // flag goes last.
    static constexpr FlagRow kFlags[] = {
        {Flag::ForceOffTarget, "force-off-target", "force off target"},
        {Flag::VelocityOffTarget, "velocity-off-target", "velocity off target"},
        {Flag::EarlyContact, "early-contact", "early contact"},
        {Flag::SecondHit, "second-hit", "second hit"},
        {Flag::BoneContact, "bone-contact", "bone contact"},
        {Flag::TooFewSamples, "too-few-samples", "too few samples"},
    };
    static constexpr int kFlagCount = int(std::size(kFlags));
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
    // A table's cell: "pass", the flags' names, or "-" for a record not judged.
    static QString Cell(const std::optional<CQualityVerdict>& verdict);
    // {"pass": ..., "flags": [...], "text": ...}, or null without an impact.
    static QJsonValue Json(const std::optional<CQualityVerdict>& verdict);

    bool operator==(const CQualityVerdict&) const = default;

private:
    static quint32 Bit(Flag flag) { return 1u << int(flag); }

    quint32 m_nFlags = 0;
};

#include "core/quality/CQualityVerdict.h"

namespace {

struct FlagText {
    const char* key;
    const char* name;
};

const FlagText kFlagTexts[CQualityVerdict::kFlagCount] = {
    {"force-off-target", "force off target"}, {"velocity-off-target", "velocity off target"},
    {"early-contact", "early contact"},       {"second-hit", "second hit"},
    {"bone-contact", "bone contact"},         {"too-few-samples", "too few samples"},
};

}  // namespace

const QList<CQualityVerdict::Flag>& CQualityVerdict::AllFlags()
{
    static const QList<Flag> flags = {Flag::ForceOffTarget, Flag::VelocityOffTarget,
                                      Flag::EarlyContact,   Flag::SecondHit,
                                      Flag::BoneContact,    Flag::TooFewSamples};
    return flags;
}

QString CQualityVerdict::Key(Flag flag)
{
    return QLatin1String(kFlagTexts[int(flag)].key);
}

QString CQualityVerdict::Name(Flag flag)
{
    return QLatin1String(kFlagTexts[int(flag)].name);
}

QList<CQualityVerdict::Flag> CQualityVerdict::Flags() const
{
    QList<Flag> flags;
    for (Flag flag : AllFlags()) {
        if (Has(flag))
            flags.append(flag);
    }
    return flags;
}

QStringList CQualityVerdict::Keys() const
{
    QStringList keys;
    for (Flag flag : Flags())
        keys.append(Key(flag));
    return keys;
}

QString CQualityVerdict::FlagNames() const
{
    QStringList names;
    for (Flag flag : Flags())
        names.append(Name(flag));
    return names.join(QStringLiteral(", "));
}

QString CQualityVerdict::Text() const
{
    return Passed() ? kPassText : QStringLiteral("QC flags: ") + FlagNames();
}

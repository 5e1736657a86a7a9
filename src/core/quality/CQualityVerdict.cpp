#include "core/quality/CQualityVerdict.h"

#include <QJsonArray>
#include <QJsonObject>

static_assert(
    [] {
        int bit = 0;
        for (const CQualityVerdict::FlagRow& row : CQualityVerdict::kFlags) {
            if (int(row.flag) != bit++)
                return false;
        }
        return true;
    }(),
    "a flag's row stands at its bit");

const QList<CQualityVerdict::Flag>& CQualityVerdict::AllFlags()
{
    static const QList<Flag> flags = [] {
        QList<Flag> all;
        for (const FlagRow& row : kFlags)
            all.append(row.flag);
        return all;
    }();
    return flags;
}

QString CQualityVerdict::Key(Flag flag)
{
    return QLatin1String(kFlags[int(flag)].key);
}

QString CQualityVerdict::Name(Flag flag)
{
    return QLatin1String(kFlags[int(flag)].name);
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

QString CQualityVerdict::Cell(const std::optional<CQualityVerdict>& verdict)
{
    if (!verdict)
        return QStringLiteral("-");
    return verdict->Passed() ? QStringLiteral("pass") : verdict->FlagNames();
}

QJsonValue CQualityVerdict::Json(const std::optional<CQualityVerdict>& verdict)
{
    if (!verdict)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("pass"), verdict->Passed()},
                       {QStringLiteral("flags"), QJsonArray::fromStringList(verdict->Keys())},
                       {QStringLiteral("text"), verdict->Text()}};
}

#include "core/record/CRunSubject.h"

#include "core/record/CTextRules.h"

namespace {

// Readers split a log at these texts and end a record's comments at the
// second: a subject that held one would cut its own record in two.
const QLatin1StringView kLayoutMarkers[] = {
    QLatin1StringView("Impactor Experiment File"),
    QLatin1StringView("End of File"),
};

bool IsControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

}  // namespace

QString CRunSubject::Normalized(QStringView typed)
{
    return CTextRules::Trimmed(typed);
}

bool CRunSubject::IsStorable(QChar c)
{
    return c.unicode() <= 0xFF && !IsControl(c);
}

QString CRunSubject::Refusal(QStringView subject)
{
    if (subject.size() > kMaxCharacters)
        return QStringLiteral("The subject is %1 characters long; it may hold at most %2.")
            .arg(subject.size())
            .arg(kMaxCharacters);
    for (QChar c : subject) {
        if (IsControl(c))
            return QStringLiteral("The subject must be one line of text, without tabs or other "
                                  "control characters.");
        if (!IsStorable(c))
            return QStringLiteral("The subject holds \"%1\", which an experiment file cannot "
                                  "store: it keeps 8-bit (Latin-1) text only.")
                .arg(c);
    }
    for (QLatin1StringView marker : kLayoutMarkers) {
        if (subject.contains(marker))
            return QStringLiteral("The subject may not hold \"%1\": experiment files and the run "
                                  "log are divided at that text.")
                .arg(marker);
    }
    return QString();
}

#include "core/files/CRunFileName.h"

#include "core/files/CRunLogEntry.h"
#include "core/record/CRunSubject.h"

#include <QDateTime>

namespace {

bool KeptInName(QChar c)
{
    return c.isLetterOrNumber() || QStringView(u"-.+()#").contains(c);
}

}  // namespace

QString CRunFileName::SafeSubject(QStringView subject)
{
    QString safe;
    // Longer subjects than the program takes (a crafted log entry's) are
    // cut: the name, with a temporary file's affixes, stays far below the
    // 255 bytes file systems allow.
    for (QChar c : subject.first(qMin(subject.size(), qsizetype(CRunSubject::kMaxCharacters)))) {
        if (KeptInName(c))
            safe += c;
        else if (!safe.endsWith(u'_'))
            safe += u'_';
    }
    // The stamp's "_" and the suffix's "." stand on either side of it.
    while (safe.startsWith(u'_') || safe.startsWith(u'.'))
        safe.remove(0, 1);
    while (safe.endsWith(u'_') || safe.endsWith(u'.'))
        safe.chop(1);
    return safe;
}

QString CRunFileName::BaseName(const QDateTime& stamp, QStringView subject)
{
    // No colons: Windows refuses them in file names.
    QString name = stamp.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString safe = SafeSubject(subject);
    if (!safe.isEmpty())
        name += u'_' + safe;
    return name;
}

QString CRunFileName::For(const QDateTime& stamp, QStringView subject)
{
    return BaseName(stamp, subject) + QLatin1String(kSuffix);
}

QString CRunFileName::ForEntry(const CRunLogEntry& entry, qsizetype number)
{
    if (!entry.m_stampTime.isValid())
        return QStringLiteral("run-log-entry-%1%2").arg(number).arg(QLatin1String(kSuffix));
    return For(entry.m_stampTime, entry.m_strSubject);
}

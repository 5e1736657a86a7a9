#include "core/study/CStudyDecisions.h"

#include "core/files/CFileErrorText.h"
#include "core/files/CWholeFileWrite.h"
#include "core/study/CCsvTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

enum Column { kTarget, kEntry, kDecision, kReason, kWho, kWhen, kColumnCount };

}  // namespace

const QStringList& CStudyDecisions::Header()
{
    static const QStringList header = {"Target", "Entry", "Decision", "Reason", "Who", "When"};
    return header;
}

QString CStudyDecisions::PathFor(const QString& source)
{
    return QFileInfo(source).absoluteDir().filePath(QLatin1String(kFileName));
}

QString CStudyDecisions::OperatorName()
{
    for (const char* name : {"USER", "USERNAME"}) {
        const QString who = qEnvironmentVariable(name);
        if (!who.isEmpty())
            return who;
    }
    return QStringLiteral("unknown");
}

QString CStudyDecisions::KindText(Kind kind)
{
    return kind == Kind::Exclude ? QStringLiteral("exclude") : QStringLiteral("include");
}

QString CStudyDecisions::EffectText(Kind kind, const CQualityVerdict& verdict)
{
    const bool include = kind == Kind::Include;
    if (include == verdict.Passed())
        return include ? QStringLiteral("included, as the checks passed it")
                       : QStringLiteral("excluded, as its QC flags already did");
    return include
               ? QStringLiteral("included by hand over its QC flags (%1)").arg(verdict.FlagNames())
               : QStringLiteral("excluded by hand though the checks passed it");
}

QString CStudyDecisions::Key(const QString& fileName, int entry)
{
    return fileName + u'#' + QString::number(entry);
}

QString CStudyDecisions::ReasonRefusal(const QString& reason)
{
    if (reason.trimmed().isEmpty())
        return QStringLiteral("A decision needs its reason.");
    if (std::any_of(reason.cbegin(), reason.cend(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("A reason is one line of text without control characters.");
    return QString();
}

CStudyDecisions::Result CStudyDecisions::Append(const QString& source, int entry,
                                                const Decision& decision)
{
    const QString path = PathFor(source);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {false, CFileErrorText::ForOpenToWrite(path, file)};
    QString text = file.size() == 0 ? CCsvTable::Line(Header()) : QString();
    text += CCsvTable::Line({QFileInfo(source).fileName(),
                             entry > 0 ? QString::number(entry) : QString(),
                             KindText(decision.kind), decision.reason.trimmed(), decision.who,
                             decision.when.toUTC().toString(Qt::ISODate)});
    if (!CWholeFileWrite::Write(file, text.toUtf8()) || !file.flush())
        return {false, QStringLiteral("The decision could not be added to %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString())};
    return {};
}

std::optional<CStudyDecisions::Decision> CStudyDecisions::Find(const QString& source, int entry)
{
    const Folder& folder = Load(PathFor(source));
    const auto found = folder.constFind(Key(QFileInfo(source).fileName(), entry));
    if (found == folder.cend())
        return std::nullopt;
    return *found;
}

const CStudyDecisions::Folder& CStudyDecisions::Load(const QString& path)
{
    auto found = m_folders.constFind(path);
    if (found != m_folders.cend())
        return *found;
    Folder& folder = m_folders[path];
    if (!QFile::exists(path))
        return folder;
    CCsvTable table;
    const CCsvTable::Result read = CCsvTable::Read(path, table);
    if (!read.ok || table.m_header != Header()) {
        m_problems.append(read.ok ? path + QStringLiteral(": Its first line is not the decisions "
                                                          "header; no decision of it was used.")
                                  : read.message);
        return folder;
    }
    for (qsizetype i = 0; i < table.m_rows.size(); ++i) {
        const QStringList& row = table.m_rows[i];
        const bool known =
            row.size() == kColumnCount && (row[kDecision] == KindText(Kind::Exclude) ||
                                           row[kDecision] == KindText(Kind::Include));
        if (!known) {
            m_problems.append(QStringLiteral("%1: line %2 is no decision; it was not used.")
                                  .arg(path)
                                  .arg(i + 2));
            continue;
        }
        const Kind kind = row[kDecision] == KindText(Kind::Exclude) ? Kind::Exclude : Kind::Include;
        folder.insert(
            Key(row[kTarget], row[kEntry].toInt()),
            {kind, row[kReason], row[kWho], QDateTime::fromString(row[kWhen], Qt::ISODate)});
    }
    return folder;
}

#include "core/files/COutputTarget.h"

#include "core/files/CRunLogPath.h"

#include <QDir>
#include <QFileInfo>

namespace {

using Kind = CPlatformFile::Kind;

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool SameName(const QString& path, const QString& log)
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(log).absoluteFilePath();
}

// A log not created yet has no identity, only its name.
bool IsRunLog(const QString& path, const CPlatformFile::Identity& target, const QString& log)
{
    return target.SameFileAs(CPlatformFile::IdentityOf(log, true)) || SameName(path, log);
}

QString RunLogText(const QString& path, const QString& log)
{
    const QString otherName =
        SameName(path, log) ? QString() : QStringLiteral(" (%1)").arg(Shown(log));
    return QStringLiteral("%1 is the run log%2, which is only ever added to. Nothing was written.")
        .arg(Shown(path), otherName);
}

}  // namespace

COutputTarget::Result COutputTarget::Check(const QString& path, const QStringList& runLogs)
{
    const CPlatformFile::Identity target = CPlatformFile::IdentityOf(path, true);
    if (target.kind != Kind::Absent && target.kind != Kind::File)
        return {Outcome::NotAFile, QStringLiteral("%1 is %2, not a file. Nothing was written.")
                                       .arg(Shown(path), KindText(target.kind))};
    for (const QString& log : runLogs + QStringList{CRunLogPath::Resolve()}) {
        if (IsRunLog(path, target, log))
            return {Outcome::RunLog, RunLogText(path, log)};
    }
    return {};
}

COutputTarget::Result COutputTarget::CheckRunLog(const QString& path)
{
    const Kind kind = CPlatformFile::IdentityOf(path, true).kind;
    if (kind == Kind::Absent || kind == Kind::File)
        return {};
    return {Outcome::NotAFile,
            QStringLiteral("The run log %1 is %2, not a file, so no run could be logged in it. "
                           "Nothing was sent to the control box.")
                .arg(Shown(path), KindText(kind))};
}

QString COutputTarget::KindText(Kind kind)
{
    switch (kind) {
    case Kind::Folder:
        return QStringLiteral("a folder");
    case Kind::Link:
        return QStringLiteral("a symbolic link");
    case Kind::Pipe:
        return QStringLiteral("a pipe");
    case Kind::Socket:
        return QStringLiteral("a socket");
    case Kind::Device:
        return QStringLiteral("a device");
    case Kind::Absent:
    case Kind::File:
        break;
    }
    return QStringLiteral("a file");
}

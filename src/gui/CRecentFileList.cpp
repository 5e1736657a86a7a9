#include "gui/CRecentFileList.h"

#include "core/program/CUserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QString EntryName(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

bool SameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

void CRecentFileList::Load()
{
    QSettings settings(CUserSettings::kOrganization, CUserSettings::kApplication);
    settings.beginGroup(kSection);
    m_arrFiles.clear();
    for (int i = 0; i < kMaxFiles; ++i) {
        const QString path = settings.value(EntryName(i)).toString();
        if (!path.isEmpty())
            m_arrFiles.append(path);
    }
}

void CRecentFileList::Save() const
{
    QSettings settings(CUserSettings::kOrganization, CUserSettings::kApplication);
    settings.beginGroup(kSection);
    for (int i = 0; i < kMaxFiles; ++i) {
        if (i < m_arrFiles.size())
            settings.setValue(EntryName(i), m_arrFiles[i]);
        else
            settings.remove(EntryName(i));
    }
}

void CRecentFileList::Add(const QString& path)
{
    Remove(path);
    m_arrFiles.prepend(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (m_arrFiles.size() > kMaxFiles)
        m_arrFiles.removeLast();
}

void CRecentFileList::Remove(const QString& path)
{
    m_arrFiles.removeIf([&path](const QString& entry) { return SameFile(entry, path); });
}

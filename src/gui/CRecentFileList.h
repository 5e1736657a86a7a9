#pragma once

#include <QStringList>

// The most recently used experiment files, newest first, kept in the
// per-user settings under "Recent File List" as File1 ... File4.
class CRecentFileList
{
public:
    static constexpr int kMaxFiles = 4;
    static inline const QString kSection = QStringLiteral("Recent File List");

    void Load();
    void Save() const;

    // Moves the file to the top; the oldest falls off past four.
    void Add(const QString& path);
    void Remove(const QString& path);

    const QStringList& Files() const { return m_arrFiles; }

private:
    QStringList m_arrFiles;
};

#include "core/quality/CCohortReader.h"

#include "core/CZentakDoc.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

CCohortReader::CCohortReader(RunVisitor onRun, ProblemVisitor onProblem)
    : m_fnOnRun(std::move(onRun)), m_fnOnProblem(std::move(onProblem))
{
}

void CCohortReader::ReadPaths(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir())
            ReadFolder(path);
        else
            ReadFile(path);
    }
}

void CCohortReader::ReadFolder(const QString& path)
{
    // The filter ignores case: ".EXP" files from a Windows share count too.
    QStringList files;
    QDirIterator entries(path, {QStringLiteral("*.exp")}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        files.append(entries.next());
    std::sort(files.begin(), files.end());
    if (files.isEmpty())
        m_fnOnProblem({path, 0, QStringLiteral("The folder holds no experiment files (.exp).")});
    for (const QString& file : files)
        ReadFile(file);
}

void CCohortReader::ReadFile(const QString& path)
{
    CZentakDoc doc;
    if (!doc.Load(path)) {
        m_fnOnProblem({path, 0, doc.FileErrorString()});
        return;
    }
    const QString why =
        WhyNoImpact(doc.LoadMessage(), doc.LastLoadOutcome() == CZentakDoc::LoadOutcome::Complete,
                    doc.DataPresent());
    if (!why.isEmpty()) {
        m_fnOnProblem({path, 0, why});
        return;
    }
    m_fnOnRun({path, 0, doc.Record()});
}

QString CCohortReader::WhyNoImpact(const QString& loadMessage, bool loadedWhole, bool dataPresent)
{
    if (!loadMessage.isEmpty())
        return QString(loadMessage).replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified();
    if (!loadedWhole)
        return QStringLiteral("It ends before its end marker: the file was cut short.");
    if (!dataPresent)
        return QStringLiteral("It holds no impact data.");
    return QString();
}

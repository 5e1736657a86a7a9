#include "core/quality/CCohortReader.h"

#include "core/CZentakDoc.h"
#include "core/files/CRunLogReader.h"

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

void CCohortReader::ReadRunLog(const QString& path, const QString& indexCacheFolder)
{
    CRunLogReader log(indexCacheFolder);
    QString error;
    if (log.Open(path, error) != CRunLogReader::OpenResult::Opened) {
        m_fnOnProblem({path, 0, error});
        return;
    }
    for (const CRunLogIndex::ForeignText& text : log.ForeignText())
        m_fnOnProblem({path, 0,
                       QStringLiteral("%1 bytes at offset %2 belong to no entry.")
                           .arg(text.m_nLength)
                           .arg(text.m_nOffset)});
    Run run{path, 0, CImpactRecord()};
    for (qsizetype i = 0; i < log.Entries().size(); ++i) {
        run.entry = int(i + 1);
        const QString why = ReadLogEntry(log, i, run.record);
        if (why.isEmpty())
            m_fnOnRun(run);
        else
            m_fnOnProblem({path, run.entry, why});
    }
}

QString CCohortReader::ReadLogEntry(const CRunLogReader& log, qsizetype index,
                                    CImpactRecord& record)
{
    if (log.Entries()[index].m_bTorn)
        return QStringLiteral("The entry is torn: the log ends, or the next entry begins, "
                              "inside it.");
    CExperimentFileReader::Result result;
    QString error;
    if (!log.ReadEntry(index, record, result, error))
        return error;
    return WhyNoImpact(result.message,
                       result.outcome == CExperimentFileReader::LoadOutcome::Complete,
                       record.m_bDataPresent);
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

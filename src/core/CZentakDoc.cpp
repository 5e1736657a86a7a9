#include "core/CZentakDoc.h"

#include "core/files/CCsvExport.h"
#include "core/files/CExperimentFileReader.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CFileErrorText.h"
#include "core/files/CInputFile.h"
#include "core/files/CRunFileName.h"
#include "core/files/CRunLogFile.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CRunLogReader.h"
#include "core/files/CWholeFileWrite.h"
#include "core/record/CRunStamp.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>

CZentakDoc::CZentakDoc(QObject* parent) : QObject(parent)
{
}

bool CZentakDoc::OnNewDocument()
{
    SetPathName(QString());
    SetTitle(QString(), QString());
    SetModifiedFlag(false);
    const bool before = m_record.m_bDataPresent;
    m_record.Reset();
    AnnounceDataPresent(before);
    return true;
}

void CZentakDoc::SetPathName(const QString& path)
{
    if (m_strPathName == path)
        return;
    m_strPathName = path;
    Q_EMIT captionChanged();
}

void CZentakDoc::SetModifiedFlag(bool modified)
{
    m_bRunUnlogged = m_bRunUnlogged && modified;
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    Q_EMIT captionChanged();
}

void CZentakDoc::SetDataPresent(bool present)
{
    const bool before = m_record.m_bDataPresent;
    m_record.m_bDataPresent = present;
    AnnounceDataPresent(before);
}

void CZentakDoc::AnnounceDataPresent(bool before)
{
    if (m_record.m_bDataPresent != before)
        Q_EMIT dataPresentChanged(m_record.m_bDataPresent);
}

// The load's own reset keeps the file name and the modified flag.
bool CZentakDoc::Load(QIODevice& device)
{
    m_strFileError.clear();
    const bool before = m_record.m_bDataPresent;
    m_record.ResetForLoad();
    AnnounceDataPresent(before);
    CExperimentFileReader reader(device, m_record);
    const CExperimentFileReader::Result result = reader.Read();
    m_eLastLoadOutcome = result.outcome;
    m_strLoadMessage = result.message;
    AnnounceDataPresent(false);
    if (result.outcome == LoadOutcome::Complete)
        Q_EMIT recordChanged();
    if (!reader.ReadFailed())
        return true;
    m_strFileError = device.errorString();
    return false;
}

bool CZentakDoc::Load(const QString& path)
{
    QFile file(path);
    if (!CInputFile::Open(file, CExperimentFileReader::kMaxFileBytes,
                          CExperimentFileReader::kFileKind, m_strFileError))
        return false;
    // The document takes the file's name even after a load message.
    SetTitle(QString(), QString());
    SetPathName(path);
    SetModifiedFlag(false);
    if (Load(file))
        return true;
    m_strFileError = CFileErrorText::ForRead(path, file);
    SetPathName(QString());
    return false;
}

bool CZentakDoc::Save(QIODevice& device)
{
    m_strFileError.clear();
    QByteArray text = CExperimentFileWriter::ValuesAndTraces(m_record);
    Q_EMIT storeViewsRequested();
    text += CExperimentFileWriter::Comments(m_record);
    if (CWholeFileWrite::Write(device, text))
        return true;
    m_strFileError = device.errorString();
    return false;
}

bool CZentakDoc::Save(const QString& path)
{
    const auto write = [this](QIODevice& file) { return Save(file); };
    if (!CWholeFileWrite::Replace(path, write, m_strFileError, {RunLogPath()}))
        return false;
    SetTitle(QString(), QString());
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CZentakDoc::LoadRunLogEntry(const CRunLogReader& log, qsizetype index)
{
    QByteArray text = log.EntryText(index, m_strFileError);
    if (text.isEmpty())
        return false;
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    SetPathName(QString());
    SetModifiedFlag(false);
    Load(buffer);
    const CRunLogEntry& entry = log.Entries().at(index);
    if (entry.m_bTorn && m_strLoadMessage.isEmpty())
        m_strLoadMessage = QStringLiteral("Run log entry %1 is torn: the log ends, or the next "
                                          "entry begins, before its end. What the log holds of "
                                          "it is shown.")
                               .arg(index + 1);
    const QDateTime stamp = entry.m_stampTime;
    const QString stampText =
        stamp.isValid() ? stamp.toString(QStringLiteral(", yyyy-MM-dd HH:mm:ss")) : QString();
    SetTitle(QStringLiteral("Run Log Entry %1%2").arg(index + 1).arg(stampText),
             CRunFileName::ForEntry(entry, index + 1));
    return true;
}

void CZentakDoc::SetTitle(const QString& title, const QString& suggestedFileName)
{
    m_strSuggestedFileName = suggestedFileName;
    if (m_strTitle == title)
        return;
    m_strTitle = title;
    Q_EMIT captionChanged();
}

bool CZentakDoc::SaveCsv(QIODevice& device)
{
    m_strFileError.clear();
    if (CWholeFileWrite::Write(device, CCsvExport::Text(m_record)))
        return true;
    m_strFileError = device.errorString();
    return false;
}

bool CZentakDoc::SaveCsv(const QString& path)
{
    const auto write = [this](QIODevice& file) { return SaveCsv(file); };
    return CWholeFileWrite::Replace(path, write, m_strFileError, {RunLogPath()});
}

QString CZentakDoc::RunLogPath() const
{
    return CRunLogPath::Resolve(m_strRunLogPath);
}

bool CZentakDoc::WriteRunLog()
{
    m_strFileError.clear();
    const QString path = RunLogPath();
    if (path == CRunLogPath::DefaultPath())
        QDir().mkpath(CRunLogPath::DefaultFolder());
    QString reason;
    const CRunLogFile::Result result =
        CRunLogFile::Append(path, CExperimentFileWriter::Text(m_record), &reason);
    if (result == CRunLogFile::Result::Appended)
        return true;
    m_strFileError = CRunLogFile::FailureMessage(result, path, reason);
    return false;
}

bool CZentakDoc::CompleteRun(const QDateTime& localTime, const QString& subject)
{
    SetDataPresent(true);
    m_record.DeriveActualValues();
    // Notes typed for this run follow its stamp and subject; an earlier
    // run's stamp is never carried into this one.
    const QString& comments = m_record.m_strComments;
    const QString notes = CRunStamp::TimeOf(comments).isValid() ? QString() : comments;
    m_record.StampRun(localTime, subject);
    m_record.m_strComments += notes;
    SetTitle(QString(), CRunFileName::For(localTime, subject));
    if (WriteRunLog())
        return true;
    m_bRunUnlogged = true;
    SetModifiedFlag(true);
    return false;
}

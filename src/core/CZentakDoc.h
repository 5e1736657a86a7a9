#pragma once

#include "core/files/CLoadOutcome.h"
#include "core/record/CImpactRecord.h"

#include <QObject>
#include <QString>

class CRunLogReader;
class QDateTime;
class QIODevice;

// The program's one document: the impact record, the file it came from or
// went to, whether it holds what no file holds yet, and why the last file
// operation failed. It reads and writes the record's files and the run log;
// it shows nothing and asks nothing: callers tell the operator what its
// results and messages say.
class CZentakDoc : public QObject
{
    Q_OBJECT

public:
    using LoadOutcome = CLoadOutcome;

    explicit CZentakDoc(QObject* parent = nullptr);

    const CImpactRecord& Record() const { return m_record; }
    // For whoever fills the record in place: the control panel, a run.
    CImpactRecord& EditRecord() { return m_record; }

    // The new-document reset: the record's, the file name and the modified flag.
    bool OnNewDocument();

    void SetDataPresent(bool present);
    bool DataPresent() const { return m_record.m_bDataPresent; }

    const QString& PathName() const { return m_strPathName; }
    void SetPathName(const QString& path);
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);
    // A run whose run log entry failed: it exists only in this record.
    bool RunUnlogged() const { return m_bRunUnlogged; }

    // Reads any of the three layouts and leaves the record as the file
    // allows; LastLoadOutcome() and LoadMessage() say how it went. A device,
    // a pipe or a file larger than any experiment file is refused before it
    // is read, and the record stays as it was. False only when the file
    // could not be read (FileErrorString() says why); after a read that
    // failed part-way the record has no file name, so no save goes over the
    // file without asking.
    bool Load(const QString& path);
    bool Load(QIODevice& device);
    LoadOutcome LastLoadOutcome() const { return m_eLastLoadOutcome; }

    // Opens entry index of the log as File Open opens a file with the same
    // text; the record then has no file name and is unmodified, so File Save
    // asks for a name. False when its text could not be read
    // (FileErrorString() says why). A torn entry always leaves a LoadMessage().
    bool LoadRunLogEntry(const CRunLogReader& log, qsizetype index);
    // What the record is called while it has no file of its own: for a run
    // log entry its number and stamp, "Run Log Entry 17, 2026-12-08
    // 14:03:22"; empty otherwise.
    const QString& Title() const { return m_strTitle; }
    // The name File Save offers for a record without a file, or empty.
    const QString& SuggestedFileName() const { return m_strSuggestedFileName; }
    // What the operator is to be told of the last load, or empty.
    const QString& LoadMessage() const { return m_strLoadMessage; }

    // Writes the ".exp" text: the values and traces, then storeViewsRequested
    // lets the views store their fields, then the comments. Through a
    // temporary file: the previous file survives any failure.
    bool Save(const QString& path);
    bool Save(QIODevice& device);

    // Creates or replaces the file without asking; the previous file
    // survives any failure.
    bool SaveCsv(const QString& path);
    bool SaveCsv(QIODevice& device);

    // The operator's message for the last failed load, save, export or run
    // log entry.
    const QString& FileErrorString() const { return m_strFileError; }

    // Appends the record to the run log; false when the entry could not be
    // written whole.
    bool WriteRunLog();
    // Empty: the environment's or the per-user default log (CRunLogPath).
    void SetRunLogPath(const QString& path) { m_strRunLogPath = path; }
    QString RunLogPath() const;

    // What a completed impact leaves behind: data present, actual values
    // derived, comments stamped (with the subject line when subject, checked
    // by CRunSubject, is not empty; the notes the comments held follow), run
    // logged, and the run's file name offered for its first save. False when the log entry
    // could not be written: the results stay here, marked as unlogged and
    // modified, so they are not discarded without a question.
    bool CompleteRun(const QDateTime& localTime, const QString& subject = QString());

Q_SIGNALS:
    // The record now holds other traces: the views repaint.
    void recordChanged();
    // The file name, the title or the modified flag changed.
    void captionChanged();
    void dataPresentChanged(bool present);
    // A save has written the values and traces; the views store their
    // fields into the record now.
    void storeViewsRequested();

private:
    void AnnounceDataPresent(bool before);
    void SetTitle(const QString& title, const QString& suggestedFileName);

    CImpactRecord m_record;
    QString m_strPathName;
    bool m_bModified = false;
    bool m_bRunUnlogged = false;
    QString m_strFileError;
    QString m_strLoadMessage;
    LoadOutcome m_eLastLoadOutcome = LoadOutcome::Complete;
    QString m_strRunLogPath;
    QString m_strTitle;
    QString m_strSuggestedFileName;
};

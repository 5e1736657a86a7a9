#pragma once

#include "core/protocol/CExperimentDialogue.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CRunProgress;
class CSerialSettings;
class QDateTime;
class QIODevice;

using CUIntArray = QList<quint32>;

// One impact experiment: what was asked for, what the impactor achieved,
// the sampled traces of both strokes, the statistics derived from them and
// the comments. The program holds exactly one record at a time.
class CZentakDoc : public QObject
{
    Q_OBJECT

public:
    static constexpr quint32 kContactForce = 200;   // tenths of a K dyne
    static constexpr quint32 kDispMinStart = 5555;  // starting minimum of the position scan
    static constexpr double kMicronsPerCount = 17.63889;
    static constexpr double kRelease4SampleMs = 0.36;

    explicit CZentakDoc(COperatorPrompt& prompt, QObject* parent = nullptr);
    ~CZentakDoc() override;

    // The reset of a new document; also clears the data-present flag.
    bool OnNewDocument();

    void ComputeTraceStats();
    void SetActualValues(int force, int displacement, int velocity, int dwell);
    void DeriveActualValues();

    // Where runs find their serial ports and how they wait; the main window
    // (or the command line) owns both and hands them over once.
    void SetPortAccess(CPortFactory& factory, CClock& clock);
    // Who is told what a run is doing while it waits (the window's status
    // bar); none by default.
    void SetRunProgress(CRunProgress* progress) { m_pRunProgress = progress; }

    // One impact with the control box: the dialogue from wake-up to the
    // downloaded traces.
    CExperimentDialogue::Result RunExperiment(int mode, const CSerialSettings& settings);

    const QString& PathName() const { return m_strPathName; }
    void SetPathName(const QString& path) { m_strPathName = path; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true)
    {
        m_bModified = modified;
        m_bRunUnlogged = m_bRunUnlogged && modified;
    }
    // A run whose run log entry failed: it exists only in this record.
    void MarkRunUnlogged()
    {
        m_bRunUnlogged = true;
        m_bModified = true;
    }
    bool RunUnlogged() const { return m_bRunUnlogged; }

    // The record holds traces that may be drawn, saved, logged and exported.
    void SetDataPresent(bool present);
    bool DataPresent() const { return m_bDataPresent; }

    COperatorPrompt& Prompt() const { return m_rPrompt; }

    // How the last load ended. A load with a message still counts as opened;
    // only a complete one may be saved over its file.
    enum class LoadOutcome {
        Complete,
        NoEndMarker,
        NotValid,
        OldFormatFailed,
        LineTooLong,  // a line beyond the line reader's bound ended the read
        TooLarge,     // the input grew beyond the file size bound while read
        ReadFailed,
    };

    // Storing writes the ".exp" text; loading reads any of the three layouts,
    // shows the load messages and leaves the record as the file allows.
    // False only when the device fails; FileErrorString() then says why.
    bool Serialize(QIODevice& device, bool storing);
    // Saves through a temporary file: the previous file survives any failure.
    bool SaveToFile(const QString& path);
    // A device, a pipe or a file larger than any experiment file is refused
    // before it is read, and the record stays as it was. After a read that
    // failed part-way the record has no file name, so no save goes over the
    // file without asking.
    bool LoadFromFile(const QString& path);
    const QString& FileErrorString() const { return m_strFileError; }
    LoadOutcome LastLoadOutcome() const { return m_eLastLoadOutcome; }
    // The views store their fields into the record (hint 0); a save calls
    // this after the values and traces and before the comments are written.
    void SetStoreViewsHook(std::function<void()> hook) { m_fnStoreViews = std::move(hook); }

    // Appends the record to the run log; false (after telling the operator)
    // when the entry could not be written whole.
    bool WriteRunLog();
    // Empty: the environment's or the per-user default log (CRunLogPath).
    void SetRunLogPath(const QString& path) { m_strRunLogPath = path; }
    QString RunLogPath() const;

    // "Date: ... Time: ..." of a run, English month names whatever the locale.
    static QString RunStamp(const QDateTime& localTime);
    // The stamp becomes the run stamp and replaces the comments.
    void StampRun(const QDateTime& localTime);
    // What a completed impact leaves behind: data present, actual values
    // derived, comments stamped, run logged. False when the log entry could
    // not be written (the operator has been told; the results stay here).
    bool CompleteRun(const QDateTime& localTime);

    bool WriteCsv(QIODevice& device);
    // Creates or replaces the file without asking; the previous file
    // survives any failure.
    bool SaveCsvToFile(const QString& path);

Q_SIGNALS:
    // The record now holds other traces: the main window repaints.
    void recordChanged();
    void dataPresentChanged(bool present);

public:
    CUIntArray m_arrDispDown;
    CUIntArray m_arrForceDown;
    CUIntArray m_arrDispUp;
    CUIntArray m_arrForceUp;
    CUIntArray m_arrStepTimeDown;
    CUIntArray m_arrStepTimeUp;
    quint32 m_nDispMax = 0;
    quint32 m_nDispMin = kDispMinStart;
    quint32 m_nForceMax = 0;
    int m_nContactIndex = 0;
    bool m_bDataPresent = false;
    bool m_bDataValid = false;
    QString m_strComments;
    QString m_strRunStamp;
    int m_nDesiredForce = 100;
    int m_nDesiredDisp = 1;
    int m_nDesiredVelocity = 1;
    int m_nDesiredDwell = 0;
    int m_nActualForce = 0;
    int m_nActualDisp = 0;
    int m_nActualVelocity = 0;
    int m_nActualDwell = 0;
    int m_nDownCount = 0;
    int m_nUpCount = 0;
    int m_nFileFormat = 0;
    int m_nFirmwareRelease = 0;
    QString m_strFirmwareVersion;

private:
    void ResetStats();
    void ClearTraces();
    void ResetForLoad();
    void CopyWriteCounts();
    // Writes through a temporary file that replaces path only when whole.
    bool ReplaceFile(const QString& path, const std::function<bool(QIODevice&)>& write);
    int VelocityFromDownTrace() const;
    int DisplacementToDeepest() const;

    COperatorPrompt& m_rPrompt;
    CPortFactory* m_pPortFactory = nullptr;
    CClock* m_pClock = nullptr;
    CRunProgress* m_pRunProgress = nullptr;
    QString m_strPathName;
    bool m_bModified = false;
    bool m_bRunUnlogged = false;
    QString m_strFileError;
    LoadOutcome m_eLastLoadOutcome = LoadOutcome::Complete;
    std::function<void()> m_fnStoreViews;
    QString m_strRunLogPath;
};

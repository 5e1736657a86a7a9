#pragma once

#include "core/files/CRunLogReader.h"
#include "core/quality/CQualityThresholds.h"
#include "core/study/CStudyDecisions.h"

#include <QDialog>
#include <QElapsedTimer>

class COperatorPrompt;
class CRunLogTableModel;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

// File > Open from Run Log...: the entries of the run log in a table that
// sorts by any column, newest first, a filter box over subject, date and
// comment text, and Open. The log is indexed once the dialog is up; when
// that takes longer than kProgressDelayMs a progress bar appears, and the
// indexing can be cancelled. Each entry shows its quality verdict and the
// operator's decision on it; Exclude... and Include... record a decision,
// asking for its reason, beside the log.
class CRunLogDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kProgressDelayMs = 500;

    CRunLogDialog(const QString& logPath, COperatorPrompt& prompt, QWidget* parent = nullptr,
                  const QString& indexCacheFolder = CRunLogReader::DefaultIndexCacheFolder());

    // Reads the log into the table, once. False when it could not be read
    // (the operator has been told why) or the operator cancelled; the
    // dialog is then rejected.
    bool IndexLog();
    // For tests: how long indexing may take before the progress bar shows.
    void SetProgressDelayMs(int ms) { m_nProgressDelayMs = ms; }

    const CRunLogReader& Reader() const { return m_reader; }
    // The entry chosen with Open, or -1.
    qsizetype ChosenIndex() const { return m_nChosenIndex; }

    QTableView* Table() const { return m_pTable; }
    QLineEdit* FilterBox() const { return m_pFilter; }

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    // The entries' model, the sorting and filtering proxy over it, and the table.
    void CreateTable();
    bool OnIndexProgress(qint64 indexedBytes, qint64 totalBytes);
    void ShowEntries();
    void OnFilterChanged(const QString& text);
    void UpdateButtons();
    void OnOpen();
    void OnDecide(CStudyDecisions::Kind kind);
    std::optional<CQualityVerdict> VerdictOf(qsizetype index) const;
    qsizetype SelectedIndex() const;

    QString m_strLogPath;
    COperatorPrompt& m_rPrompt;
    CRunLogReader m_reader;
    CRunLogTableModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pProxy = nullptr;
    QTableView* m_pTable = nullptr;
    QLineEdit* m_pFilter = nullptr;
    QLabel* m_pSummary = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pCancelIndexing = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    QPushButton* m_pOpen = nullptr;
    QPushButton* m_pExclude = nullptr;
    QPushButton* m_pInclude = nullptr;
    CQualityThresholds m_thresholds;
    QElapsedTimer m_indexTimer;
    qint64 m_nLastEventsMs = 0;
    int m_nProgressDelayMs = kProgressDelayMs;
    enum class IndexState { NotStarted, Running, Done, Failed };
    IndexState m_eIndexState = IndexState::NotStarted;
    bool m_bCancelRequested = false;
    qsizetype m_nChosenIndex = -1;
};

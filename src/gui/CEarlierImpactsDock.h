#pragma once

#include "core/files/CRunLogReader.h"
#include "core/quality/CQualityThresholds.h"
#include "render/CImpactSamples.h"

#include <QDockWidget>
#include <QList>

class CEarlierImpactsModel;
class CZentakDoc;
class QCheckBox;
class QDateEdit;
class QLabel;
class QTableView;

// Earlier Impacts: the impacts of the run log from today or a chosen day.
// Ticked ones are drawn behind the current impact, with the mean of the
// ticked ones the quality check did not flag when asked; a double-click
// asks for the entry to be opened. Refresh() after a run picks up the new
// entry, the index making it cheap.
class CEarlierImpactsDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit CEarlierImpactsDock(const CZentakDoc& doc, QWidget* parent = nullptr);

    const CRunLogReader& Reader() const { return m_reader; }
    CEarlierImpactsModel& Model() { return *m_pModel; }
    QTableView& Table() { return *m_pTable; }
    QDateEdit& Day() { return *m_pDay; }
    QCheckBox& ShowMean() { return *m_pShowMean; }
    void SetQualityThresholds(const CQualityThresholds& thresholds);

public Q_SLOTS:
    // Reads the log again (only what was appended since is indexed).
    void Refresh();

Q_SIGNALS:
    // The ticked impacts to draw behind the current one, and their mean.
    void comparisonChanged(const QList<CImpactSamples>& earlier, const CImpactSamples& mean);
    void openRequested(qsizetype entryIndex);

private:
    void BuildComparison();

    const CZentakDoc& m_rDoc;
    CRunLogReader m_reader;
    CQualityThresholds m_thresholds;
    CEarlierImpactsModel* m_pModel = nullptr;
    QTableView* m_pTable = nullptr;
    QDateEdit* m_pDay = nullptr;
    QCheckBox* m_pShowMean = nullptr;
    QLabel* m_pNotice = nullptr;
};

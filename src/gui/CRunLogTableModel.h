#pragma once

#include "core/quality/CRunLogColumns.h"
#include "core/study/CStudyDecisions.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include <functional>
#include <optional>

// The entries of a run log as the dialog's table shows them: the listed
// columns of CRunLogColumns and the operator's decision, a value to sort
// each column by, and the text the filter box searches (subject, date,
// comments). An entry's quality verdict is read when its row is first
// shown, as reading every entry of a long log would keep the table from
// the operator.
class CRunLogTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kDecision = CRunLogColumns::kListedCount;
    static constexpr int kColumnCount = kDecision + 1;
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kFilterRole = Qt::UserRole + 1;
    // The entry's index in the log (its number less one).
    static constexpr int kIndexRole = Qt::UserRole + 2;

    explicit CRunLogTableModel(QObject* parent = nullptr);

    using Decision = std::optional<CStudyDecisions::Decision>;
    // The verdict of the entry at an index; empty for one not judged.
    using VerdictSource = std::function<std::optional<CQualityVerdict>(qsizetype index)>;

    void SetEntries(const QList<CRunLogEntry>& entries, const VerdictSource& verdicts = {},
                    const QList<Decision>& decisions = {});
    void SetDecision(qsizetype index, const CStudyDecisions::Decision& decision);
    std::optional<CQualityVerdict> Verdict(qsizetype index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant DisplayValue(int row, int column) const;
    QVariant SortValue(int row, int column) const;
    static QString FilterText(const CRunLogEntry& entry);

    QList<CRunLogEntry> m_arrEntries;
    QStringList m_arrFilterTexts;
    VerdictSource m_fnVerdicts;
    mutable QHash<qsizetype, std::optional<CQualityVerdict>> m_verdicts;
    QList<Decision> m_arrDecisions;
};

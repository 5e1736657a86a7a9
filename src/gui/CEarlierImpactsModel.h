#pragma once

#include "core/files/CRunLogEntry.h"
#include "core/quality/CQualityThresholds.h"
#include "core/quality/CQualityVerdict.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>

#include <optional>

class CRunLogReader;

// The impacts of one day in the run log, as the Earlier Impacts list shows
// them: time, subject, actual force, displacement and velocity, and the
// quality verdict, each with a tick box. A verdict needs the entry read
// whole, so it is read when its row is first shown and then kept.
class CEarlierImpactsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { kTime, kSubject, kForce, kDisplacement, kVelocity, kVerdict, kColumnCount };

    explicit CEarlierImpactsModel(QObject* parent = nullptr);

    // The day's entries of the opened log; ticks stay on the entries that remain.
    void SetLog(const CRunLogReader* log, const QDate& day);
    void SetQualityThresholds(const CQualityThresholds& thresholds);

    // The log indexes of the ticked entries, oldest first.
    QList<qsizetype> TickedEntries() const;
    qsizetype EntryIndex(int row) const { return m_arrIndexes.value(row, -1); }
    // Empty where the entry cannot be read whole or holds no impact.
    std::optional<CQualityVerdict> Verdict(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void tickedChanged();

private:
    QVariant DisplayValue(const CRunLogEntry& entry, int row, int column) const;

    const CRunLogReader* m_pLog = nullptr;
    CQualityThresholds m_thresholds;
    QList<qsizetype> m_arrIndexes;  // into the log, a row each
    QSet<qint64> m_ticked;          // by the entry's offset in the log, which never changes
    mutable QHash<qsizetype, std::optional<CQualityVerdict>> m_verdicts;
};

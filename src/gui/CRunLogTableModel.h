#pragma once

#include "core/files/CRunLogEntry.h"

#include <QAbstractTableModel>
#include <QList>

// The entries of a run log as the dialog's table shows them: the columns
// of zentak-cli log list, a value to sort each column by, and the text the
// filter box searches (subject, date, comments).
class CRunLogTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        kNumber,
        kDate,
        kTime,
        kFirmware,
        kDesiredForce,
        kActualForce,
        kDisplacement,
        kVelocity,
        kDownSamples,
        kUpSamples,
        kState,
        kSubject,
        kColumnCount
    };
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kFilterRole = Qt::UserRole + 1;
    // The entry's index in the log (its number less one).
    static constexpr int kIndexRole = Qt::UserRole + 2;

    explicit CRunLogTableModel(QObject* parent = nullptr);

    void SetEntries(const QList<CRunLogEntry>& entries);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant DisplayValue(const CRunLogEntry& entry, int row, int column) const;
    QVariant SortValue(const CRunLogEntry& entry, int row, int column) const;
    static QString FilterText(const CRunLogEntry& entry);

    QList<CRunLogEntry> m_arrEntries;
    QStringList m_arrFilterTexts;
};
